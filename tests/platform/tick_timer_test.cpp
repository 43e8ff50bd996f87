// The shared tick clock, on a clock the test moves by hand: where ticks fall, which ticks share a
// wake-up, in which order they run, and what happens to ticks missed or cancelled.
#include "base/TickTimer.h"

#include <QTest>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

using namespace dialoon;

namespace {

constexpr std::int64_t kMs = 1'000'000;

} // namespace

class TickTimerTest : public QObject
{
    Q_OBJECT
private:
    std::int64_t now = 0;
    // When each tick ran (test milliseconds), and which timer it was.
    std::vector<std::pair<std::int64_t, QString>> ticks;

    void record(TickTimer& timer, const QString& name)
    {
        connect(&timer, &TickTimer::timeout, this, [this, name] { ticks.emplace_back(now / kMs, name); });
    }

    // Moves the clock forward from grid line to grid line, waking the clock at each, as the event loop
    // would at the moments it was asked for; ticks run only when due.
    void runUntil(std::int64_t ms)
    {
        constexpr std::int64_t grid = TickTimer::kGridMs * kMs;
        while (now < ms * kMs) {
            now = (now / grid + 1) * grid;
            TickTimer::wakeForTests();
        }
    }

    // Moves the clock only to the moments it asked to be woken at, as the event loop does; returns how
    // many wake-ups that took.
    int followClockUntil(std::int64_t ms)
    {
        int wakeUps = 0;
        for (std::int64_t at = TickTimer::wakeMomentForTests(); at >= 0 && at <= ms * kMs;
             at = TickTimer::wakeMomentForTests()) {
            now = std::max(now, at);
            TickTimer::wakeForTests();
            ++wakeUps;
        }
        now = ms * kMs;
        return wakeUps;
    }

    QStringList namesInOrder() const
    {
        QStringList names;
        for (const auto& tick : ticks)
            names << tick.second;
        return names;
    }

    std::vector<std::int64_t> ticksOf(const QString& name) const
    {
        std::vector<std::int64_t> at;
        for (const auto& [ms, who] : ticks)
            if (who == name) at.push_back(ms);
        return at;
    }

private slots:
    void init()
    {
        now = 0;
        ticks.clear();
        TickTimer::useTimeForTests([this] { return now; });
    }
    void cleanup() { TickTimer::useTimeForTests({}); }

    // Started at odd moments, two timers still tick on the grid, at their exact intervals, and meet
    // every least common multiple: 60 and 100 ms share one moment in every 300 ms.
    void timersStartedApartShareTheirCommonMoments()
    {
        TickTimer watch;
        TickTimer cycle;
        record(watch, "watch");
        record(cycle, "cycle");
        now = 3 * kMs;
        watch.start(60);
        now = 7 * kMs;
        cycle.start(100);
        runUntil(1000);

        const auto w = ticksOf("watch");
        const auto c = ticksOf("cycle");
        QCOMPARE(w.front(), 70);
        QCOMPARE(c.front(), 110);
        for (std::size_t i = 1; i < w.size(); ++i)
            QCOMPARE(w[i] - w[i - 1], 60);
        for (std::size_t i = 1; i < c.size(); ++i)
            QCOMPARE(c[i] - c[i - 1], 100);
        std::vector<std::int64_t> shared;
        std::set_intersection(w.begin(), w.end(), c.begin(), c.end(), std::back_inserter(shared));
        QCOMPARE(shared, (std::vector<std::int64_t>{310, 610, 910}));
    }

    // A timer started in another's tick counts from that tick's moment, even when the tick ran late, so
    // an effect started by the playback cycle keeps in step with it.
    void aTimerStartedInATickCountsFromThatTick()
    {
        TickTimer cycle;
        TickTimer effect;
        record(cycle, "cycle");
        record(effect, "effect");
        connect(&cycle, &TickTimer::timeout, this, [&] {
            if (!effect.isActive()) effect.start(80);
        });
        cycle.start(100);
        now = 104 * kMs; // the thread woke 4 ms late
        TickTimer::wakeForTests();
        runUntil(500);
        QCOMPARE(ticksOf("cycle"), (std::vector<std::int64_t>{104, 200, 300, 400, 500}));
        QCOMPARE(ticksOf("effect"), (std::vector<std::int64_t>{180, 260, 340, 420, 500}));
    }

    // Ticks of one moment run in the order their timers were started; a tick that stops a later timer
    // of the same moment keeps it from running.
    void ticksOfOneMomentRunInStartOrder()
    {
        TickTimer first;
        TickTimer second;
        TickTimer third;
        record(first, "first");
        record(second, "second");
        record(third, "third");
        third.start(50);
        first.start(100);
        second.start(100);
        runUntil(100);
        QCOMPARE(ticks, (std::vector<std::pair<std::int64_t, QString>>{
                            {50, "third"}, {100, "third"}, {100, "first"}, {100, "second"}}));

        ticks.clear();
        connect(&first, &TickTimer::timeout, this, [&] { second.stop(); });
        runUntil(200);
        QCOMPARE(ticks, (std::vector<std::pair<std::int64_t, QString>>{
                            {150, "third"}, {200, "third"}, {200, "first"}}));
        QVERIFY(!second.isActive());
    }

    // A thread held up for a while runs each timer once when it wakes, and the timers keep their phase.
    void ticksMissedWhileHeldUpAreDropped()
    {
        TickTimer watch;
        record(watch, "watch");
        watch.start(60);
        now = 400 * kMs;
        TickTimer::wakeForTests();
        runUntil(500);
        QCOMPARE(ticksOf("watch"), (std::vector<std::int64_t>{400, 420, 480}));
    }

    // Deferrable ticks wake nobody: they run with the next tick of a timer that is not deferrable, yet
    // every handler runs in the order it has on time, and a timer started by a late tick still counts
    // from that tick's moment.
    void deferrableTicksWaitForOthersAndKeepTheirOrder()
    {
        const auto play = [this](bool deferred) {
            ticks.clear();
            now = 0;
            TickTimer watch;
            TickTimer cycle;
            TickTimer effect;
            record(watch, "watch");
            record(cycle, "cycle");
            record(effect, "effect");
            int steps = 0;
            connect(&cycle, &TickTimer::timeout, this, [&] {
                if (!effect.isActive() && steps == 0) effect.start(80);
            });
            connect(&effect, &TickTimer::timeout, this, [&] {
                if (++steps == 5) effect.stop();
            });
            cycle.setDeferrable(deferred);
            effect.setDeferrable(deferred);
            watch.start(60);
            cycle.start(100);
            const int wakeUps = followClockUntil(1200);
            return std::pair(wakeUps, ticksOf("cycle"));
        };
        const auto [onTimeWakeUps, onTimeCycle] = play(false);
        const QStringList onTime = namesInOrder();
        const auto [deferredWakeUps, deferredCycle] = play(true);
        QCOMPARE(namesInOrder(), onTime);
        QCOMPARE(onTimeWakeUps, 30);   // 20 watch, 12 cycle and 5 effect ticks, 7 of them on a shared moment
        QCOMPARE(deferredWakeUps, 20); // the watch's alone
        QCOMPARE(deferredCycle.front(), 120);
        for (std::size_t i = 0; i < deferredCycle.size(); ++i) {
            QCOMPARE(deferredCycle[i] % 60, 0);
            QVERIFY(deferredCycle[i] - onTimeCycle[i] < 60);
        }
    }

    // Without another timer a deferrable tick waits as long as it may, then runs; a thread held up runs
    // the ticks that were only waiting and drops older ones, as it drops any late tick.
    void deferrableTicksWaitAtMostTheirAllowance()
    {
        TickTimer cycle;
        record(cycle, "cycle");
        cycle.setDeferrable(true);
        cycle.start(100);
        QCOMPARE(followClockUntil(450), 2);
        QCOMPARE(ticks, (std::vector<std::pair<std::int64_t, QString>>{
                            {200, "cycle"}, {200, "cycle"}, {400, "cycle"}, {400, "cycle"}}));

        ticks.clear();
        now = 1000 * kMs;
        TickTimer::wakeForTests();
        QCOMPARE(ticks, (std::vector<std::pair<std::int64_t, QString>>{{1000, "cycle"}, {1000, "cycle"}}));

        // No longer deferrable, it wakes the thread at its own moments again.
        ticks.clear();
        cycle.setDeferrable(false);
        QCOMPARE(TickTimer::wakeMomentForTests(), 1100 * kMs);
    }

    // Given a longer wait, deferrable ticks ride on a slow timer's ticks: all of them run, in their
    // order, and once no longer deferrable the one due runs at once.
    void aLongerWaitRidesOnASlowTimer()
    {
        TickTimer watch;
        TickTimer line;
        record(watch, "watch");
        record(line, "line");
        watch.setDeferrable(true, 2000);
        watch.start(60);
        line.start(1500);
        QCOMPARE(followClockUntil(6000), 4); // the line's alone
        QCOMPARE(ticksOf("watch").size(), std::size_t(100));
        QCOMPARE(ticksOf("line"), (std::vector<std::int64_t>{1500, 3000, 4500, 6000}));
        QCOMPARE(namesInOrder().mid(0, 26), QStringList(25, "watch") << "line");

        now = 6100 * kMs; // the tick due at 6060 waits
        watch.setDeferrable(false);
        QCOMPARE(TickTimer::wakeMomentForTests(), 6060 * kMs); // past: at once
    }

    // Frames that only need the latest picture ride on whatever timer wakes the thread within their wait,
    // once per wake-up, whatever its phase, and wake it themselves, sooner, only when none does.
    void latestOnlyTicksRunOncePerWakeUp_data()
    {
        QTest::addColumn<int>("other");
        QTest::addColumn<int>("otherFrom");
        QTest::addColumn<int>("wakeUps");
        QTest::addColumn<std::vector<std::int64_t>>("frames");
        const std::vector<std::int64_t> every80{80, 160, 240, 320, 400, 480};
        QTest::newRow("alone") << 0 << 0 << 6 << every80;
        QTest::newRow("an 80 ms effect") << 80 << 0 << 6 << every80;
        QTest::newRow("an 80 ms effect, 20 ms apart")
            << 80 << 20 << 6 << std::vector<std::int64_t>{100, 180, 260, 340, 420, 500};
        QTest::newRow("an 80 ms effect, 30 ms apart")
            << 80 << 30 << 5 << std::vector<std::int64_t>{110, 190, 270, 350, 430};
        QTest::newRow("a 50 ms effect")
            << 50 << 0 << 10 << std::vector<std::int64_t>{50, 100, 150, 200, 250, 300, 350, 400, 450, 500};
        QTest::newRow("the 60 ms watch")
            << 60 << 0 << 8 << std::vector<std::int64_t>{60, 120, 180, 240, 300, 360, 420, 480};
    }
    void latestOnlyTicksRunOncePerWakeUp()
    {
        QFETCH(int, other);
        QFETCH(int, otherFrom);
        QFETCH(int, wakeUps);
        QFETCH(std::vector<std::int64_t>, frames);
        TickTimer frame;
        TickTimer effect;
        record(frame, "frame");
        frame.setLatestOnly(true, 40);
        frame.setDeferrable(true, 80);
        frame.start(40);
        int woken = 0;
        if (otherFrom > 0) woken += followClockUntil(otherFrom);
        if (other > 0) effect.start(other);
        woken += followClockUntil(500);
        QCOMPARE(ticksOf("frame"), frames);
        QCOMPARE(woken, wakeUps);
    }

    void singleShotsChangedIntervalsAndDeletion()
    {
        auto once = std::make_unique<TickTimer>();
        once->setSingleShot(true);
        record(*once, "once");
        once->start(30);
        runUntil(100);
        QCOMPARE(ticksOf("once"), (std::vector<std::int64_t>{30}));
        QVERIFY(!once->isActive());

        // A new interval on a running timer starts it again from now, as QTimer does.
        TickTimer frames;
        record(frames, "frames");
        frames.start(50);
        runUntil(150);
        frames.setInterval(200);
        runUntil(600);
        QCOMPARE(ticksOf("frames"), (std::vector<std::int64_t>{150, 350, 550}));

        // A timer deleted by its own tick is gone without harm; the others go on.
        once->setSingleShot(false);
        connect(once.get(), &TickTimer::timeout, this, [&] { once.reset(); });
        once->start(10);
        runUntil(700);
        QVERIFY(!once);
        QCOMPARE(ticksOf("frames").back(), 550);
    }
};

QTEST_GUILESS_MAIN(TickTimerTest)
#include "tick_timer_test.moc"
