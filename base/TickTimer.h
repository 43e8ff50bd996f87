// A timer like QTimer whose ticks share the program's wake-ups. Two ideas:
//
// Coalescing: every TickTimer of a thread runs on one clock with a 10 ms grid. A timer started inside
// another's tick counts from that tick's moment, one started elsewhere from the next grid line; ticks of
// one moment run in one wake-up, in the order their timers were started. Late ticks are dropped, as
// QTimer drops them; nothing drifts.
//
// Slack: a deferrable timer's ticks (ones nobody sees or hears until something else happens, or an
// animation's frame worked out from the time passed) wake nobody: they wait, at most kMaxDeferMs or the
// wait given, for another timer's wake-up, and run there in their place, none dropped. A latest-only
// timer runs one tick for all that waited, its next due one interval after that wake-up, and wakes the
// thread itself after its own, shorter wait when no other wake-up comes: frames lock onto another
// timer's ticks whatever their phase, and come at their own pace when none does.
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
