// The shared clock behind every TickTimer of a thread: one precise, repeating Qt timer, always set for the
// earliest tick due, and a list of the timers. It lives while any TickTimer of its thread does.
#include "base/TickTimer.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace dialoon {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kGridNs = TickTimer::kGridMs * kNsPerMs;
// A tick this close to its time runs with the wake-up at hand instead of waking the thread once more.
constexpr std::int64_t kEarlyNs = kNsPerMs;
// The Qt timer comes within a millisecond of the moment it was set for; later than this, it came late.
constexpr std::int64_t kLateNs = 2 * kNsPerMs;

std::uint64_t wakeUpCount = 0;
std::function<std::int64_t()> testTime;

std::int64_t ceilToGrid(std::int64_t ns)
{
    return ns <= 0 ? 0 : (ns + kGridNs - 1) / kGridNs * kGridNs;
}

} // namespace

class TickClock
{
public:
    static TickClock& acquire()
    {
        if (!current_) current_ = new TickClock;
        return *current_;
    }
    static TickClock* current() { return current_; }

    void enrol(TickTimer* timer) { timers_.push_back(timer); }

    void withdraw(TickTimer* timer)
    {
        timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
        if (!retiredIfIdle()) arm();
    }

    // Sets the Qt timer for the next tick due; every change of a timer ends here.
    void arm()
    {
        const std::int64_t moment = wakeMoment();
        if (moment < 0) {
            wake_.stop();
            armedFor_ = -1;
            return;
        }
        if (wake_.isActive() && armedFor_ == moment) return;
        armedFor_ = moment;
        const std::int64_t wait = moment - now();
        const int waitMs = wait <= 0 ? 0 : int((wait + kNsPerMs - 1) / kNsPerMs);
        repeatNs_ = std::int64_t(waitMs) * kNsPerMs;
        wake_.start(waitMs);
    }

    // Inside a tick a timer started counts from that tick's moment, so the two stay in step.
    std::int64_t startMoment() const { return running_ >= 0 ? running_ : now(); }
    std::uint64_t nextOrder() { return nextOrder_++; }

    std::int64_t armedFor() const { return wake_.isActive() ? armedFor_ : -1; }

    // Runs every tick that is due, earliest first, then sets the Qt timer for the next one.
    void wake()
    {
        ++wakeUpCount;
        // The Qt timer repeats: unless this wake-up came late, it comes again one interval on, and is
        // left alone when that is the moment the next tick needs, which spares it being set anew.
        armedFor_ = wake_.isActive() && now() < armedFor_ + kLateNs ? armedFor_ + repeatNs_ : -1;
        ++depth_;
        while (TickTimer* next = earliest()) {
            const std::int64_t at = now();
            if (next->dueNs_ > at + kEarlyNs) break;
            // A latest-only tick stands for the moment of the wake-up that runs it: one tick for all
            // that waited, and the next counts from this wake-up, so that it can wait for the same
            // timer's next wake-up.
            const bool latestOnly = next->deferrable_ && next->latestOnly_;
            const std::int64_t moment =
                latestOnly ? std::max(next->dueNs_, (at + kEarlyNs) / kGridNs * kGridNs) : next->dueNs_;
            if (next->singleShot_) {
                next->active_ = false;
            } else {
                const std::int64_t step =
                    std::max<std::int64_t>(ceilToGrid(std::int64_t(next->interval_) * kNsPerMs), kGridNs);
                next->dueNs_ = moment + step;
                // Ticks missed while the thread was held up are dropped; the timer keeps its step.
                // A deferrable timer's ticks that merely waited for this wake-up all run.
                const std::int64_t keepFrom = at - (next->deferrable_ ? next->mostWaitNs_ : 0);
                if (!latestOnly && next->dueNs_ <= keepFrom)
                    next->dueNs_ += ((keepFrom - next->dueNs_) / step + 1) * step;
            }
            // Set before the tick runs: a dialog's event loop opened by the tick keeps the other timers
            // going.
            arm();
            const std::int64_t outer = running_;
            running_ = moment;
            emit next->timeout();
            running_ = outer;
        }
        --depth_;
        if (!retiredIfIdle()) arm();
    }

    std::int64_t now() const { return testTime ? testTime() : elapsed_.nsecsElapsed(); }

private:
    TickClock()
    {
        elapsed_.start();
        wake_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&wake_, &QTimer::timeout, &wake_, [this] { wake(); });
    }

    // The clock goes with the last timer of its thread, though not while it is running ticks.
    bool retiredIfIdle()
    {
        if (!timers_.empty() || depth_ != 0) return false;
        current_ = nullptr;
        delete this;
        return true;
    }

    TickTimer* earliest() const
    {
        TickTimer* best = nullptr;
        for (TickTimer* t : timers_)
            if (t->active_ && (!best || t->dueNs_ < best->dueNs_ ||
                               (t->dueNs_ == best->dueNs_ && t->order_ < best->order_)))
                best = t;
        return best;
    }

    static bool ridesOthers(const TickTimer* t) { return t->deferrable_ && t->latestOnly_; }

    // The moment the thread must wake: the earliest tick due, where a deferrable tick counts as due only
    // when it has waited as long as it may, and a latest-only one only when, besides, no other timer
    // wakes the thread within that wait. -1 when no timer runs.
    std::int64_t wakeMoment() const
    {
        std::int64_t moment = -1;
        for (const TickTimer* t : timers_) {
            if (!t->active_ || ridesOthers(t)) continue;
            const std::int64_t due = t->dueNs_ + (t->deferrable_ ? t->mostWaitNs_ : 0);
            if (moment < 0 || due < moment) moment = due;
        }
        const std::int64_t others = moment;
        for (const TickTimer* t : timers_) {
            if (!t->active_ || !ridesOthers(t) || (others >= 0 && others <= t->dueNs_ + t->mostWaitNs_))
                continue;
            const std::int64_t due = t->dueNs_ + std::min(t->ownWaitNs_, t->mostWaitNs_);
            if (moment < 0 || due < moment) moment = due;
        }
        return moment;
    }

    static thread_local TickClock* current_;

    QElapsedTimer elapsed_;
    QTimer wake_;
    std::vector<TickTimer*> timers_;
    std::int64_t running_ = -1;
    std::int64_t armedFor_ = -1;
    std::int64_t repeatNs_ = 0;
    std::uint64_t nextOrder_ = 0;
    int depth_ = 0;
};

thread_local TickClock* TickClock::current_ = nullptr;

TickTimer::TickTimer(QObject* parent) : QObject(parent)
{
    TickClock::acquire().enrol(this);
}

TickTimer::~TickTimer()
{
    active_ = false;
    if (TickClock* clock = TickClock::current()) clock->withdraw(this);
}

void TickTimer::setInterval(int ms)
{
    interval_ = ms;
    if (active_) start();
}

// Both are set after every handler: unchanged, they cost nothing.
void TickTimer::setDeferrable(bool deferrable, int mostWaitMs)
{
    const std::int64_t mostWaitNs = std::int64_t(std::max(mostWaitMs, 0)) * kNsPerMs;
    if (deferrable == deferrable_ && mostWaitNs == mostWaitNs_) return;
    deferrable_ = deferrable;
    mostWaitNs_ = mostWaitNs;
    if (active_) TickClock::current()->arm();
}

void TickTimer::setLatestOnly(bool latestOnly, int ownWaitMs)
{
    const std::int64_t ownWaitNs = std::int64_t(std::max(ownWaitMs, 0)) * kNsPerMs;
    if (latestOnly == latestOnly_ && ownWaitNs == ownWaitNs_) return;
    latestOnly_ = latestOnly;
    ownWaitNs_ = ownWaitNs;
    if (active_) TickClock::current()->arm();
}

void TickTimer::start()
{
    TickClock& clock = *TickClock::current();
    dueNs_ = ceilToGrid(clock.startMoment() + std::int64_t(std::max(interval_, 0)) * kNsPerMs);
    order_ = clock.nextOrder();
    active_ = true;
    clock.arm();
}

void TickTimer::start(int ms)
{
    interval_ = ms;
    start();
}

void TickTimer::stop()
{
    if (!active_) return;
    active_ = false;
    TickClock::current()->arm();
}

std::uint64_t TickTimer::wakeUps()
{
    return wakeUpCount;
}

void TickTimer::useTimeForTests(std::function<std::int64_t()> nowNs)
{
    testTime = std::move(nowNs);
}

std::int64_t TickTimer::wakeMomentForTests()
{
    TickClock* clock = TickClock::current();
    return clock ? clock->armedFor() : -1;
}

void TickTimer::wakeForTests()
{
    if (TickClock* clock = TickClock::current()) clock->wake();
}

} // namespace dialoon
