// Which of the strip's ticks may wait for another wake-up, and for how long, in the situations a user
// meets: unrolled and playing, rolled up with or without the character, the English rising; and how
// seldom the program wakes, rolled up and silent, when it waits as planned.
#include "EngineRig.h"

#include <QTest>

using namespace dialoon;

class WakePlanTest : public QObject
{
    Q_OBJECT
private slots:
    void ticksNobodyNoticesWait_data()
    {
        QTest::addColumn<bool>("rolledUp");
        QTest::addColumn<bool>("pointerResting");
        QTest::addColumn<bool>("pointerMoved"); // since the plan was made
        QTest::addColumn<bool>("characterShown");
        QTest::addColumn<int>("cyclePhase");
        QTest::addColumn<bool>("riseLooksTheSame");
        // The most each timer's next tick waits, in milliseconds; 0: it runs on time.
        QTest::addColumn<QList<int>>("waits");
        const int counted = (5 * 10 - 1 - 11 + 1) * 100; // the German seconds' ticks left to count
        QTest::newRow("unrolled, German shown, pointer moving")
            << false << false << false << true << 1 << false << QList<int>{0, 1500, 0, 0, counted};
        QTest::newRow("unrolled, pointer resting: the watch waits too")
            << false << true << false << true << 1 << false << QList<int>{2000, 1500, 0, 0, counted};
        QTest::newRow("unrolled, the resting pointer moves: the watch is on time again, at once")
            << false << true << true << true << 1 << false << QList<int>{0, 1500, 0, 0, counted};
        QTest::newRow("unrolled, a caption about to change")
            << false << true << false << true << 2 << false << QList<int>{2000, 1500, 0, 0, 0};
        QTest::newRow("unrolled, a rise step that moves no pixel")
            << false << false << false << true << 2 << true << QList<int>{0, 1500, 50, 0, 0};
        QTest::newRow("rolled up, character shown: he speaks at the playback's ticks")
            << true << false << false << true << 2 << false << QList<int>{0, 0, 2000, 2000, 0};
        QTest::newRow("rolled up, character hidden, pointer resting: only the bar on time")
            << true << true << false << false << 2 << false << QList<int>{2000, 0, 2000, 2000, 2000};
    }
    void ticksNobodyNoticesWait()
    {
        QFETCH(bool, rolledUp);
        QFETCH(bool, pointerResting);
        QFETCH(bool, pointerMoved);
        QFETCH(bool, characterShown);
        QFETCH(int, cyclePhase);
        QFETCH(bool, riseLooksTheSame);
        QFETCH(QList<int>, waits);
        EngineRig rig;
        rig.state.autoHide = 1;
        rig.state.welcomeCountdown = 1; // the welcome is over
        rig.state.cyclePhase = static_cast<std::int16_t>(cyclePhase);
        rig.state.cycleTicks = 11;
        rig.strip.windowRect = {100, 0, 577, rolledUp ? 1 : 23};
        rig.strip.cursorPos = rolledUp ? PixelPoint{300, 400} : PixelPoint{300, 10};
        rig.strip.height = rolledUp ? StripDesign::kRolledUpHeight : rig.strip.fullHeight;
        rig.strip.barDrawn = rolledUp ? rig.strip.barColour : -1;
        WakeObservations seen;
        seen.captionsInView = !rolledUp;
        seen.riseUnderWay = riseLooksTheSame;
        seen.riseLooksTheSame = riseLooksTheSame;
        seen.pointerResting = pointerResting;
        seen.pointerMoved = pointerMoved;
        seen.characterShown = characterShown;
        const WakePlan plan = rig.timers.plan(seen);
        QList<int> got;
        for (const TickWait& wait : plan) {
            QCOMPARE(wait.mayWait, wait.mostWaitMs > 0);
            got << wait.mostWaitMs;
        }
        QCOMPARE(got, waits);
        // A movement between two plans reaches the watch's timer at once, and no other.
        seen.pointerMoved = false;
        rig.timers.apply(rig.timers.plan(seen));
        if (pointerMoved) rig.timers.pointerMoved();
        for (int t = 0; t < kTimerCount; ++t)
            QCOMPARE(rig.timers.timer(static_cast<StripTimer>(t)).isDeferrable(), waits[t] > 0);
    }

    // Rolled up with the character hidden and the pointer away, the program wakes only for the line's
    // ticks (every 1.5 s): everything else rides on them.
    void rolledUpAndSilentWakesOnlyForTheLine()
    {
        EngineRig rig;
        rig.state.autoHide = 1;
        rig.state.welcomeCountdown = 1;
        rig.strip.windowRect = {100, 0, 577, 1};
        rig.strip.cursorPos = {300, 400};
        rig.strip.height = StripDesign::kRolledUpHeight;
        rig.strip.barDrawn = rig.strip.barColour;
        rig.selector.Load_Next_Sentence();
        for (const StripTimer on : {Timer1, Timer2, Timer5})
            rig.strip.timerEnabled[on] = true;
        rig.seen = WakeObservations{false, false, false, true, false};
        rig.stepUntil(Timer1); // the first tick, before any plan
        const std::uint64_t before = TickTimer::wakeUps();
        int played = 0;
        QObject::connect(&rig.timers.timer(Timer5), &TickTimer::timeout, [&played] { ++played; });
        while (rig.now < 60'000)
            rig.stepUntil(Timer2);
        QCOMPARE(TickTimer::wakeUps() - before, std::uint64_t(40));
        QVERIFY(played >= 599); // the playback's ticks all ran, each 100 ms, though they waited
        QCOMPARE(rig.strip.height, StripDesign::kRolledUpHeight);
    }
};

QTEST_GUILESS_MAIN(WakePlanTest)
#include "wake_plan_test.moc"
