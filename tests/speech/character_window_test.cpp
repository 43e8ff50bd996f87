// The character's window keeps its frames cheap: a pose that looks like the one on screen draws nothing,
// a breathing pose seen before is not drawn from the art again, and the window's shape goes to the
// window system only when the outline changes.
#include "speech/CharacterAnimator.h"
#include "speech/CharacterArt.h"
#include "platform/QtPlatform.h"
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
        if (event->type() == QEvent::Paint)
            ++paints;
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
        const int drawn = window.framesDrawn();
        const int rendered = window.framesRendered();
        // Less than a quantum of breath apart: the picture would be the same.
        window.setPose(breathing(1.0004));
        window.setPose(breathing(0.9997));
        QTest::qWait(50);
        QCOMPARE(window.framesDrawn(), drawn);
        QCOMPARE(window.framesRendered(), rendered);
        QCOMPARE(counter.paints, 0);
    }

    void breathingFramesAreDrawnFromTheArtOnce()
    {
        CharacterWindow window(art, platform);
        const QList<double> cycle{1.0, 1.008, 1.016, 1.008, 1.0, 0.992, 0.984, 0.992};
        for (int round = 0; round < 3; ++round) {
            for (const double breath : cycle)
                window.setPose(breathing(breath));
        }
        QCOMPARE(window.framesDrawn(), 3 * cycle.size());
        QCOMPARE(window.framesRendered(), 5); // the distinct breaths of the cycle
    }

    // Every new outline makes the window system expose the window again, so breathing must not
    // change it at every frame: a breath moves the head by a pixel at a time.
    void aBreathChangesTheOutlineAFewTimes()
    {
        CharacterWindow window(art, platform);
        CharacterAnimator animator(7);
        animator.show();
        animator.advance(CharacterAnimator::kAppearMs);
        window.setPose(animator.pose());
        const int masks = window.masksSet();
        constexpr int kBreaths = 3;
        constexpr int kFrameMs = 20;
        for (int ms = 0; ms < kBreaths * CharacterAnimator::kBreathMs; ms += kFrameMs) {
            animator.advance(kFrameMs);
            window.setPose(animator.pose());
        }
        const int changes = window.masksSet() - masks;
        QVERIFY2(changes >= kBreaths, "the bird still breathes");
        QVERIFY2(changes <= 8 * kBreaths, qPrintable(QStringLiteral("%1 outlines in %2 breaths").arg(changes).arg(kBreaths)));
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
                CharacterPose pose = breathing(1.004);
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
};

QTEST_MAIN(CharacterWindowTest)
#include "character_window_test.moc"
