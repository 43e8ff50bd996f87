// The 60 ms watch of the strip (welcome banner and auto-hide) and dragging, stepped tick by tick.
#include "EngineRig.h"

#include "engine/StripDrag.h"
#include "engine/StripGeometry.h"

#include <QTest>

#include <tuple>

using namespace dialoon;

namespace {

const QString kBanner = QStringLiteral(" Welcome to use Dialoon V1.01.");

// The strip after start-up on a 1024-pixel screen: left at 5680 twips, full height.
void startStrip(EngineRig& rig, int countdown)
{
    rig.strip.left = 5680;
    rig.state.welcomeCountdown = static_cast<std::int16_t>(countdown);
    rig.strip.splashOpen = true;
    StripGeometry::Get_Windows_Rect(rig.strip, rig.platform);
}

} // namespace

class StripWatchTest : public QObject
{
    Q_OBJECT
private slots:
    void welcomeTimeline()
    {
        EngineRig rig;
        startStrip(rig, 70);
        rig.state.autoHide = 1;
        rig.platform.cursor = {0, 700}; // far from the strip
        for (int tick = 1; tick <= 75; ++tick) {
            rig.watch.tick();
            const QString label = rig.strip.label1Text;
            if (tick <= 49)
                QCOMPARE(label, QString(50 - tick, u' ') + kBanner);
            else if (tick <= 67)
                QCOMPARE(label, kBanner);
            else
                QCOMPARE(label, QStringLiteral(" "));
            QCOMPARE(rig.strip.splashOpen, tick < 20);
            QCOMPARE(rig.strip.timerEnabled[Timer5], tick >= 68);
            // The strip never rolls up before the welcome is over.
            QCOMPARE(rig.strip.height, tick < 70 ? 340.0 : 20.0);
        }
        QCOMPARE(rig.state.welcomeCountdown, 1);
    }

    void splashClickJumpsToTheMiddleOfTheBanner()
    {
        EngineRig rig;
        startStrip(rig, 70);
        for (int tick = 1; tick <= 5; ++tick)
            rig.watch.tick();
        rig.state.welcomeCountdown = 50; // what a click on the splash does
        rig.watch.tick();
        QCOMPARE(rig.strip.label1Text, QString(29, u' ') + kBanner);
    }

    void auxiliaryWindowHoldsPlaybackBack()
    {
        EngineRig rig;
        startStrip(rig, 3);
        rig.strip.image1Enabled = false;
        for (int tick = 0; tick < 5; ++tick)
            rig.watch.tick();
        QVERIFY(!rig.strip.timerEnabled[Timer5]);
        QCOMPARE(rig.strip.label1Text, QStringLiteral(" "));
    }

    void autoHide_data()
    {
        QTest::addColumn<int>("autoHide");
        QTest::addColumn<int>("topBar");
        QTest::addColumn<QList<QPoint>>("cursor");
        QTest::addColumn<QList<int>>("heights");
        // The strip covers pixels x 379..855, y 0..22, or 32..54 under a top bar of 32 pixels.
        QTest::newRow("off never rolls up") << 0 << 0 << QList<QPoint>{{10, 500}, {10, 500}} << QList<int>{340, 340};
        QTest::newRow("leaving rolls up at once")
            << 1 << 0 << QList<QPoint>{{500, 10}, {500, 30}} << QList<int>{340, 20};
        QTest::newRow("back from below stays rolled up")
            << 1 << 0 << QList<QPoint>{{500, 30}, {500, 10}, {500, 4}} << QList<int>{20, 20, 20};
        QTest::newRow("pushed to the top edge above it unrolls")
            << 1 << 0 << QList<QPoint>{{500, 30}, {500, 3}, {500, 15}} << QList<int>{20, 340, 340};
        QTest::newRow("top edge beside it stays rolled up")
            << 1 << 0 << QList<QPoint>{{500, 30}, {100, 0}, {856, 0}} << QList<int>{20, 20, 20};
        QTest::newRow("right and bottom edges are outside")
            << 1 << 0 << QList<QPoint>{{855, 22}, {856, 5}} << QList<int>{340, 20};
        QTest::newRow("any non-zero value is on") << 7 << 0 << QList<QPoint>{{10, 500}} << QList<int>{20};
        QTest::newRow("under a top bar: leaving rolls up, its line unrolls")
            << 1 << 32 << QList<QPoint>{{500, 40}, {500, 60}, {500, 45}, {500, 32}, {500, 50}}
            << QList<int>{340, 20, 20, 340, 340};
        QTest::newRow("under a top bar: the bar itself is not the strip")
            << 1 << 32 << QList<QPoint>{{500, 60}, {500, 3}, {500, 31}} << QList<int>{20, 20, 20};
    }
    void autoHide()
    {
        QFETCH(int, autoHide);
        QFETCH(int, topBar);
        QFETCH(QList<QPoint>, cursor);
        QFETCH(QList<int>, heights);
        EngineRig rig;
        rig.platform.workAreaTopPixels = topBar;
        startStrip(rig, 1);
        rig.state.autoHide = static_cast<std::int16_t>(autoHide);
        QList<int> seen;
        for (const QPoint& p : cursor) {
            rig.platform.cursor = {p.x(), p.y()};
            rig.watch.tick();
            seen << static_cast<int>(rig.strip.height);
        }
        QCOMPARE(seen, heights);
    }

    // The watch's ticks may wait while the pointer rests only if one finding the cursor where it was
    // sampled last changes nothing: checked against a real tick over the welcome, both settings of
    // auto-hide, both heights and the cursor's telling places.
    void aTickThatChangesNothingIsForeseen()
    {
        const QList<QPoint> places{{10, 500}, {500, 10}, {500, 3}, {100, 0}};
        int foreseenQuiet = 0;
        int foreseenChange = 0;
        for (int countdown : {70, 51, 21, 3, 2, 1})
            for (int autoHide : {0, 1})
                for (double height : {340.0, 20.0})
                    for (const QPoint& place : places) {
                        EngineRig rig;
                        startStrip(rig, countdown);
                        rig.state.autoHide = static_cast<std::int16_t>(autoHide);
                        rig.strip.height = height;
                        rig.platform.cursor = rig.strip.cursorPos = {place.x(), place.y()};
                        const auto seen = [&rig] {
                            return std::tuple(rig.strip.height, rig.state.welcomeCountdown, rig.strip.label1Text,
                                              rig.strip.splashOpen, rig.strip.visible, rig.strip.timerEnabled[Timer5]);
                        };
                        const bool foreseen = rig.watch.nextTickChangesNothing();
                        const auto before = seen();
                        rig.watch.tick();
                        QVERIFY2(foreseen == (seen() == before),
                                 qPrintable(QStringLiteral("countdown %1, auto-hide %2, height %3, cursor %4,%5")
                                                .arg(countdown)
                                                .arg(autoHide)
                                                .arg(height)
                                                .arg(place.x())
                                                .arg(place.y())));
                        ++(foreseen ? foreseenQuiet : foreseenChange);
                    }
        QVERIFY(foreseenQuiet > 0 && foreseenChange > 0);
    }

    void dragFollowsTheSampledCursor()
    {
        EngineRig rig;
        startStrip(rig, 1);
        QCOMPARE(rig.strip.windowRect, (PixelRect{379, 0, 856, 23}));
        rig.platform.cursor = {400, 10};
        rig.watch.tick();
        rig.drag().press();
        rig.platform.cursor = {450, 200};
        rig.drag().move(); // between two samples the strip stays put
        QCOMPARE(rig.platform.strip.left, 379);
        rig.watch.tick();
        rig.drag().move();
        QCOMPARE(rig.platform.strip, (PixelRect{429, 190, 906, 213}));
        QCOMPARE(rig.strip.top, 190 * 15.0);
        rig.drag().release();
        QCOMPARE(rig.strip.left, 429 * 15.0);
        QCOMPARE(rig.strip.top, 0.0);
        QCOMPARE(rig.strip.height, 340.0);
        QCOMPARE(rig.strip.windowRect, (PixelRect{429, 0, 906, 23}));
        QVERIFY(!rig.strip.dragging);
    }

    void moveWithoutPressDoesNothing()
    {
        EngineRig rig;
        startStrip(rig, 1);
        rig.platform.cursor = {100, 100};
        rig.watch.tick();
        rig.drag().move();
        QCOMPARE(rig.strip.left, 5680.0);
    }

    void releaseClamps_data()
    {
        QTest::addColumn<double>("screenPixels");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("clamped");
        QTest::addColumn<int>("topBar");
        QTest::newRow("left of the screen") << 1024.0 << -900.0 << 0.0 << 0;
        QTest::newRow("exactly at zero") << 1024.0 << 0.0 << 0.0 << 0;
        QTest::newRow("past the right edge") << 1024.0 << 9000.0 << 15360.0 - 7110.0 << 0;
        QTest::newRow("right edge exactly") << 1024.0 << 8250.0 << 8250.0 << 0;
        QTest::newRow("inside") << 1024.0 << 4000.0 << 4000.0 << 0;
        QTest::newRow("screen narrower than the strip") << 400.0 << 100.0 << 6000.0 - 7110.0 << 0;
        QTest::newRow("under a top bar of 32 pixels") << 1024.0 << 4000.0 << 4000.0 << 32;
    }
    void releaseClamps()
    {
        QFETCH(double, screenPixels);
        QFETCH(double, left);
        QFETCH(double, clamped);
        QFETCH(int, topBar);
        EngineRig rig;
        rig.platform.screenWidthPixels = screenPixels;
        rig.platform.workAreaTopPixels = topBar;
        startStrip(rig, 1);
        rig.strip.left = left;
        rig.strip.top = 3000;
        rig.drag().release(); // a click without movement snaps the same way
        QCOMPARE(rig.strip.left, clamped);
        QCOMPARE(rig.strip.chosenLeft, clamped); // a drag is the user's choice
        QCOMPARE(rig.strip.top, topBar * 15.0);
        QCOMPARE(rig.strip.height, 340.0);
    }
};

QTEST_GUILESS_MAIN(StripWatchTest)
#include "strip_watch_test.moc"
