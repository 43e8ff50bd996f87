#include "engine/StripTicks.h"

namespace dialoon {

StripTicks::StripTicks(const StripModel& strip, WelcomeWatch& watch, CaptionEffects& effects,
                       PlaybackCycle& cycle, Runner run)
    : strip_(strip), watch_(watch), effects_(effects), cycle_(cycle)
{
    for (int t = 0; t < kTimerCount; ++t) {
        const auto which = static_cast<StripTimer>(t);
        timers_[which].setInterval(kTimerIntervalsMs[which]);
        QObject::connect(&timers_[which], &TickTimer::timeout,
                         [this, run, which] { run([=, this] { tick(which); }); });
    }
}

void StripTicks::tick(StripTimer which)
{
    if (which == Timer1) watch_.tick();
    if (which == Timer2) effects_.barTick();
    if (which == Timer3) effects_.slideUpTick();
    if (which == Timer4) effects_.slideInTick();
    if (which == Timer5) cycle_.tick();
}

void StripTicks::follow()
{
    for (int t = 0; t < kTimerCount; ++t) {
        TickTimer& timer = timers_[t];
        if (strip_.timerEnabled[t] && !timer.isActive())
            timer.start();
        else if (!strip_.timerEnabled[t] && timer.isActive())
            timer.stop();
    }
}

void StripTicks::apply(const WakePlan& plan)
{
    for (int t = 0; t < kTimerCount; ++t)
        timers_[t].setDeferrable(plan[t].mayWait, plan[t].mostWaitMs);
}

void StripTicks::pointerMoved()
{
    WakeObservations seen;
    seen.pointerMoved = true;
    const TickWait watch = plan(seen)[Timer1];
    timers_[Timer1].setDeferrable(watch.mayWait, watch.mostWaitMs);
}

void StripTicks::stopAll()
{
    for (TickTimer& timer : timers_)
        timer.stop();
}

} // namespace dialoon
