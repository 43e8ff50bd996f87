// A timer like QTimer whose ticks share the program's wake-ups. Every TickTimer of the program runs on
// one clock with a 10 ms grid: a timer started inside another's tick keeps that tick's time as its
// start, one started elsewhere starts at the next grid line, and its ticks then come at exactly its
// interval. Ticks of different timers that fall on the same moment run one after the other in a single
// wake-up of the thread, in the order the timers were started, where independent QTimers would wake it
// once each. Late ticks are dropped, as QTimer drops them; nothing drifts.
//
// A timer may be made deferrable while its ticks do nothing anyone can see or hear, or while a tick
// run a little later is as good as one on time (an animation's frame worked out from the time passed):
// its ticks then wake nobody, but wait for the next wake-up of a timer that is not deferrable (at most
// kMaxDeferMs, or the wait it was given) and run there in their place among that wake-up's ticks, none
// dropped. Every handler still runs in the order and with the moments it would have had on time; only
// when it runs moves. A long wait suits ticks that nobody will notice until something else happens,
// which then wakes the program anyway.
//
// A deferrable timer whose ticks only need the latest (an animation's frames) may ask for that: of its
// ticks that waited for one wake-up, one runs there, and its next tick is due one interval after that
// wake-up. It rides on any wake-up within its wait, but when none is coming by then it wakes the thread
// itself once it has waited its own, shorter wait. So frames lock onto the ticks of another timer that
// runs often enough, whatever their phase, and come at their own pace when none does.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

namespace dialoon {

class TickTimer : public QObject
{
    Q_OBJECT
public:
    // The grid every tick lies on.
    static constexpr int kGridMs = 10;
    // The longest a deferrable timer's tick waits for another timer's wake-up, unless given a wait.
    static constexpr int kMaxDeferMs = 100;

    explicit TickTimer(QObject* parent = nullptr);
    ~TickTimer() override;
    TickTimer(const TickTimer&) = delete;
    TickTimer& operator=(const TickTimer&) = delete;

    // As QTimer: an active timer given a new interval starts again from now.
    void setInterval(int ms);
    int interval() const { return interval_; }
    void setSingleShot(bool singleShot) { singleShot_ = singleShot; }
    bool isActive() const { return active_; }
    void setDeferrable(bool deferrable, int mostWaitMs = kMaxDeferMs);
    bool isDeferrable() const { return deferrable_; }
    void setLatestOnly(bool latestOnly, int ownWaitMs = 0);

    void start();
    void start(int ms);
    void stop();

    // How many times the thread has woken for ticks: the wake-up count the program's lightness is
    // measured by.
    static std::uint64_t wakeUps();

    // For tests: the clock reads this instead of the monotonic clock (nanoseconds), and a wake-up is
    // made by hand instead of by the event loop.
    static void useTimeForTests(std::function<std::int64_t()> nowNs);
    static void wakeForTests();
    // The moment (test nanoseconds) the clock has asked to be woken at, or -1 when it waits for nothing.
    static std::int64_t wakeMomentForTests();

signals:
    void timeout();

private:
    friend class TickClock;

    int interval_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    bool deferrable_ = false;
    bool latestOnly_ = false;
    std::int64_t ownWaitNs_ = 0;
    std::int64_t mostWaitNs_ = std::int64_t(kMaxDeferMs) * 1'000'000;
    std::int64_t dueNs_ = 0;
    std::uint64_t order_ = 0;
};

} // namespace dialoon
