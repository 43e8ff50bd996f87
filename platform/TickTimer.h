// A timer like QTimer whose ticks share the program's wake-ups. Every TickTimer of the program runs on
// one clock with a 10 ms grid: a timer started inside another's tick keeps that tick's time as its
// start, one started elsewhere starts at the next grid line, and its ticks then come at exactly its
// interval. Ticks of different timers that fall on the same moment run one after the other in a single
// wake-up of the thread, in the order the timers were started, where independent QTimers would wake it
// once each. Late ticks are dropped, as QTimer drops them; nothing drifts.
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

    explicit TickTimer(QObject* parent = nullptr);
    ~TickTimer() override;
    TickTimer(const TickTimer&) = delete;
    TickTimer& operator=(const TickTimer&) = delete;

    // As QTimer: an active timer given a new interval starts again from now.
    void setInterval(int ms);
    int interval() const { return interval_; }
    void setSingleShot(bool singleShot) { singleShot_ = singleShot; }
    bool isSingleShot() const { return singleShot_; }
    // Ticks keep their interval exactly, as a precise QTimer's do.
    Qt::TimerType timerType() const { return Qt::PreciseTimer; }
    bool isActive() const { return active_; }

    void start();
    void start(int ms);
    void stop();

    // How many times the thread has woken for ticks, and how many ticks it ran: the difference is what
    // sharing saved.
    static std::uint64_t wakeUps();
    static std::uint64_t ticksRun();

    // For tests: the clock reads this instead of the monotonic clock (nanoseconds), and a wake-up is
    // made by hand instead of by the event loop.
    static void useTimeForTests(std::function<std::int64_t()> nowNs);
    static void wakeForTests();

signals:
    void timeout();

private:
    friend class TickClock;

    int interval_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    std::int64_t dueNs_ = 0;
    std::uint64_t order_ = 0;
};

} // namespace dialoon
