// The strip's watch asks where the pointer is only when it may have moved: movements of a pointing
// device and of the pointer over the desktop (heard from the X server) and pointer events on the
// program's own windows count, and after a while it looks anyway.
#include "platform/x11/PointerWatch.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

using namespace dialoon;

namespace {

void xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(5000);
}

// Looks a few times, well below the count that looks anyway, until a movement is told.
bool movementToldSoon(PointerWatch& watch)
{
    for (int look = 0; look < PointerWatch::kLooksWithoutNews / 2; ++look) {
        QTest::qWait(60);
        if (watch.movedSinceLastLook()) return true;
    }
    return false;
}

// Looks, leaving time for answers to come, until a movement is told; returns at which look.
int looksUntilMoved(PointerWatch& watch)
{
    int look = 1;
    while (!watch.movedSinceLastLook() && look < 4 * PointerWatch::kLooksWithoutNews) {
        ++look;
        QTest::qWait(5);
    }
    return look;
}

} // namespace

class PointerWatchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X display");
        xdotool({"mousemove", "0", "700"});
        QTest::qWait(100);
    }

    // Every so often the watch looks anyway, without waiting for the answer: a pointer standing where it
    // was last asked for is no movement.
    void anIdlePointerIsNeverToldAsMoved()
    {
        PointerWatch watch;
        QVERIFY(watch.movedSinceLastLook()); // nothing known yet
        QCOMPARE(watch.askPointer(), QPoint(0, 700));
        for (int look = 1; look <= 4 * PointerWatch::kLooksWithoutNews; ++look) {
            QVERIFY2(!watch.movedSinceLastLook(), qPrintable(QString::number(look)));
            QTest::qWait(5); // time for an answer to come
        }
    }

    // A pointer that stands elsewhere than it was last asked for (here: the watch was told of the move,
    // but nobody asked where to) is told at the look after the look anyway.
    void theLookAnywayTellsAPointerStandingElsewhere()
    {
        PointerWatch watch;
        watch.movedSinceLastLook();
        QCOMPARE(watch.askPointer(), QPoint(0, 700));
        xdotool({"mousemove", "5", "5"});
        QVERIFY(movementToldSoon(watch));
        QCOMPARE(looksUntilMoved(watch), PointerWatch::kLooksWithoutNews + 1);
        xdotool({"mousemove", "0", "700"});
    }

    // Without the watch's earlier answer nothing can be compared: the look anyway then counts as a
    // movement, as it always did.
    void theLookAnywayWithoutAnEarlierAnswerCounts()
    {
        PointerWatch watch;
        watch.movedSinceLastLook();
        QCOMPARE(looksUntilMoved(watch), PointerWatch::kLooksWithoutNews + 1);
    }

    void aDeviceMovementIsHeard()
    {
        PointerWatch watch;
        watch.movedSinceLastLook();
        QVERIFY(!watch.movedSinceLastLook());
        xdotool({"mousemove_relative", "--", "3", "2"}); // through the XTEST device, like a mouse
        QVERIFY(movementToldSoon(watch));
        QVERIFY(!watch.movedSinceLastLook());
        xdotool({"mousemove", "0", "700"});
    }

    void aPointerEventOnOurWindowCounts()
    {
        QWidget window;
        window.resize(100, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PointerWatch watch;
        watch.movedSinceLastLook();
        QVERIFY(!watch.movedSinceLastLook());
        QTest::mouseMove(&window, QPoint(10, 10));
        QVERIFY(movementToldSoon(watch));
        QVERIFY(!watch.movedSinceLastLook());
    }

    // At rest the watch listens: the first movement is told at once, with nobody looking. A pointer
    // that stays where it is is never told, not even by the answers to the looks anyway.
    void aRestingPointerTellsItsFirstMovementAtOnce_data()
    {
        QTest::addColumn<QString>("movement");
        QTest::newRow("a device") << "device";
        QTest::newRow("a warp over the desktop") << "warp";
        QTest::newRow("an event on our window") << "window";
    }
    void aRestingPointerTellsItsFirstMovementAtOnce()
    {
        QFETCH(QString, movement);
        QWidget window;
        window.resize(100, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        xdotool({"mousemove", "0", "700"});
        QTest::qWait(100); // the window's own pointer events come before the watch
        PointerWatch watch;
        int told = 0;
        watch.setMovementHandler([&told] { ++told; });
        watch.movedSinceLastLook();
        QCOMPARE(watch.askPointer(), QPoint(0, 700));
        for (int look = 1; look <= PointerWatch::kLooksBeforeRest; ++look) {
            QVERIFY(!watch.movedSinceLastLook());
            QCOMPARE(watch.resting(), look == PointerWatch::kLooksBeforeRest);
        }
        for (int look = 0; look < 2 * PointerWatch::kLooksWithoutNews; ++look) {
            QVERIFY(!watch.movedSinceLastLook());
            QTest::qWait(5);
        }
        QVERIFY(watch.resting());
        QTest::qWait(50);
        QCOMPARE(told, 0);

        if (movement == "device")
            xdotool({"mousemove_relative", "--", "3", "2"});
        else if (movement == "warp")
            xdotool({"mousemove", "5", "5"});
        else
            QTest::mouseMove(&window, QPoint(10, 10));
        QTRY_COMPARE(told, 1);
        QVERIFY(!watch.resting());
        QVERIFY(watch.movedSinceLastLook());
        xdotool({"mousemove", "0", "700"});
        QTest::qWait(50);
        QCOMPARE(told, 1); // no longer listening
    }

    void aPointerWarpedOverTheDesktopIsSeen()
    {
        PointerWatch watch;
        watch.movedSinceLastLook();
        QVERIFY(!watch.movedSinceLastLook());
        xdotool({"mousemove", "5", "5"}); // a warp: no device reports it, the root window is told
        QVERIFY(movementToldSoon(watch));
        xdotool({"mousemove", "0", "700"});
    }

    // Through XWayland the server keeps placing a pointer that left for a Wayland window where our window
    // last saw it; on X11 the place moves on, or lies outside.
    void aPlaceLeftBehindInOurWindowIsNotBelieved_data()
    {
        QTest::addColumn<QRect>("left");
        QTest::addColumn<std::optional<QPoint>>("firstAfter");
        QTest::addColumn<QPoint>("asked");
        QTest::addColumn<QPoint>("believed");
        const QRect strip(379, 32, 477, 23);
        const QPoint inside(600, 40);
        QTest::newRow("over ours") << QRect() << std::optional<QPoint>() << inside << inside;
        QTest::newRow("left, first look inside")
            << strip << std::optional<QPoint>() << inside << PointerWatch::kNowhere;
        QTest::newRow("left, unchanged since")
            << strip << std::optional(inside) << inside << PointerWatch::kNowhere;
        QTest::newRow("left, moved on inside")
            << strip << std::optional(inside) << QPoint(601, 40) << QPoint(601, 40);
        QTest::newRow("left, outside")
            << strip << std::optional<QPoint>() << QPoint(600, 90) << QPoint(600, 90);
    }
    void aPlaceLeftBehindInOurWindowIsNotBelieved()
    {
        QFETCH(QRect, left);
        QFETCH(std::optional<QPoint>, firstAfter);
        QFETCH(QPoint, asked);
        QFETCH(QPoint, believed);
        QCOMPARE(PointerWatch::believed(asked, left, firstAfter), believed);
    }
};

QTEST_MAIN(PointerWatchTest)
#include "pointer_watch_test.moc"
