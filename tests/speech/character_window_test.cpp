// The character's window keeps its frames cheap: a pose that looks like the one on screen draws nothing,
// a breathing pose seen before is not drawn from the art again, and the window's shape goes to the
// window system only when the outline changes: never while the bird breathes, a few times a wave, and
// where windows blend, only while it grows.
#include "FakePlatform.h"
#include "platform/x11/QtPlatform.h"
#include "speech/CharacterAnimator.h"
#include "speech/CharacterArt.h"
#include "speech/CharacterWindow.h"

#include <QApplication>
#include <QTest>

using namespace dialoon;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

CharacterPose breathing(double breath)
{
    CharacterPose pose;
    pose.breath = breath;
    return pose;
}

} // namespace

class CharacterWindowTest : public QObject
{
    Q_OBJECT

    QtPlatform platform;

private:
    CharacterArt art;

private slots:
    void aPoseThatLooksTheSameDrawsNothing()
    {
        CharacterWindow window(art, platform);
        window.setPose(breathing(1.0));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
        PaintCounter counter(&window);
        const int rendered = window.framesRendered();
        // Less than a quantum of breath apart: the picture would be the same.
        window.setPose(breathing(1.0004));
        window.setPose(breathing(0.9997));
        QTest::qWait(50);
        QCOMPARE(window.framesRendered(), rendered);
        QCOMPARE(counter.paints, 0);
    }

    void breathingFramesAreDrawnFromTheArtOnce()
    {
        CharacterWindow window(art, platform);
        const QList<double> cycle{1.0, 1.05, 1.0, 0.95};
        for (int round = 0; round < 3; ++round) {
            for (const double breath : cycle)
                window.setPose(breathing(breath));
        }
        QCOMPARE(window.framesRendered(), 3); // the distinct breaths of the cycle
    }

    // Every new outline makes the window system expose the window again: breathing keeps it, and a wave
    // changes it only as the wing takes its next place.
    void theOutlineChangesOnlyAsTheWingMoves_data()
    {
        QTest::addColumn<bool>("waving");
        QTest::addColumn<int>("most");
        QTest::newRow("three breaths") << false << 0;
        QTest::newRow("a wave") << true << 6;
    }
    void theOutlineChangesOnlyAsTheWingMoves()
    {
        QFETCH(bool, waving);
        QFETCH(int, most);
        CharacterWindow window(art, platform);
        CharacterAnimator animator(7);
        animator.show();
        animator.advance(CharacterAnimator::kAppearMs);
        window.setPose(animator.pose());
        const int masks = window.masksSet();
        CharacterPose shown = animator.pose().quantized();
        if (waving) animator.wave();
        const int lasts = waving ? CharacterAnimator::kWaveMs : 3 * CharacterAnimator::kBreathMs;
        constexpr int kFrameMs = 20;
        int moves = 0; // poses that look different from the one before
        for (int ms = 0; ms < lasts; ms += kFrameMs) {
            animator.advance(kFrameMs);
            window.setPose(animator.pose());
            moves += animator.pose().quantized() != shown ? 1 : 0;
            shown = animator.pose().quantized();
        }
        QVERIFY2(moves >= 6, "the bird still moves");
        const int changes = window.masksSet() - masks;
        QVERIFY2(changes <= most, qPrintable(QString::number(changes)));
        QVERIFY(!waving || changes > 0);
    }

    // Where windows blend, the transparency keeps the square around the bird from showing: the outline
    // takes in every pose's, and a second wave changes nothing.
    void whereWindowsBlendTheOutlineOnlyGrows()
    {
        FakePlatform blending;
        blending.blending = true;
        CharacterWindow window(art, blending);
        CharacterAnimator animator(7);
        animator.show();
        animator.advance(CharacterAnimator::kAppearMs);
        window.setPose(animator.pose());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRegion atRest = window.mask();
        int masksBefore = 0;
        for (int wave = 0; wave < 2; ++wave) {
            masksBefore = window.masksSet();
            animator.wave();
            for (int ms = 0; ms < CharacterAnimator::kWaveMs; ms += 20) {
                animator.advance(20);
                window.setPose(animator.pose());
                QVERIFY(window.mask().contains(atRest.boundingRect().center()));
            }
        }
        QCOMPARE(window.masksSet(), masksBefore);
        QVERIFY(window.mask().united(atRest) == window.mask());
        QVERIFY(window.mask() != atRest);

        // Once no compositing manager runs, the next wave's outline follows the picture again.
        blending.blending = false;
        animator.wave();
        animator.advance(20);
        window.setPose(animator.pose());
        animator.advance(CharacterAnimator::kWaveMs);
        window.setPose(animator.pose());
        QCOMPARE(window.mask(), atRest);
    }

    // The beak of a sentence spoken with the breath held takes a few poses again and again: each is
    // drawn from the art once, and the breathing frames are still kept beside them.
    void spokenFramesAreDrawnFromTheArtOnce()
    {
        CharacterWindow window(art, platform);
        window.setPose(breathing(1.0));
        QCOMPARE(window.framesRendered(), 1);
        const QList<double> beak{0.0, 0.3, 0.65, 1.0, 0.65, 0.3, 0.15};
        for (int word = 0; word < 4; ++word) {
            for (const double open : beak) {
                CharacterPose pose = breathing(1.05);
                pose.beakOpen = open;
                window.setPose(pose);
            }
        }
        // The rest pose, the held breath with the beak shut, and the four open beaks.
        QCOMPARE(window.framesRendered(), 6);
        window.setPose(breathing(1.0));
        QCOMPARE(window.framesRendered(), 6);
    }

    void theShapeIsSetOnlyWhenTheOutlineChanges()
    {
        CharacterWindow window(art, platform);
        window.setPose(breathing(1.0));
        const int masks = window.masksSet();
        QCOMPARE(masks, 1);
        QVERIFY(!window.mask().isEmpty());
        // Back and forth between two poses with different outlines: each change is one shape.
        CharacterPose raised;
        raised.wingAngle = -135.0;
        window.setPose(raised);
        QCOMPARE(window.masksSet(), masks + 1);
        QVERIFY(window.mask() != QRegion());
        window.setPose(breathing(1.0));
        QCOMPARE(window.masksSet(), masks + 2);
        // A blink stays inside the outline: the shape stays as it is.
        CharacterPose blink;
        blink.lidClosure = 1.0;
        window.setPose(blink);
        QCOMPARE(window.masksSet(), masks + 2);
    }

    // A window partly off the free area moves in just enough; one larger than the area stands at its
    // left or top edge.
    void aWindowIsKeptInsideTheFreeArea_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("kept");
        QTest::newRow("inside") << QRect(100, 100, 128, 128) << QPoint(100, 100);
        QTest::newRow("past the right and bottom") << QRect(950, 700, 128, 128) << QPoint(896, 640);
        QTest::newRow("above the panel") << QRect(-20, 10, 128, 128) << QPoint(0, 32);
        QTest::newRow("wider than the area") << QRect(500, 100, 1200, 50) << QPoint(0, 100);
        QTest::newRow("taller than the area") << QRect(100, 300, 50, 900) << QPoint(100, 32);
    }
    void aWindowIsKeptInsideTheFreeArea()
    {
        QFETCH(QRect, window);
        QFETCH(QPoint, kept);
        QCOMPARE(keptInside(window, QRect(0, 32, 1024, 736)), kept);
    }
};

QTEST_MAIN(CharacterWindowTest)
#include "character_window_test.moc"
