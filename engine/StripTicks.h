// The strip's five timers: they run while the model has them on, each tick runs its step, and one plan
// says which of their ticks may wait for another wake-up.
#pragma once

#include "base/TickTimer.h"
#include "engine/CaptionEffects.h"
#include "engine/PlaybackCycle.h"
#include "engine/StripModel.h"
#include "engine/WelcomeWatch.h"

#include <array>
#include <functional>

namespace dialoon {

// What the window side sees when the plan is made.
struct WakeObservations
{
    bool captionsInView = true;    // unrolled, the strip shows its captions
    bool riseUnderWay = false;     // the English rise's timer runs
    bool riseLooksTheSame = false; // its next step leaves the caption on the same pixels, or below the strip
    bool pointerResting = false;
    bool characterShown = false; // shown, the character speaks or waves at the playback's ticks
    bool pointerMoved = false;   // since the last plan: resting or not, the pointer is no longer still
};

// Whether a timer's next ticks may wait for another wake-up, and for how long at most.
struct TickWait
{
    bool mayWait = false;
    int mostWaitMs = 0;
};
using WakePlan = std::array<TickWait, kTimerCount>;

class StripTicks
{
public:
    // How long ticks nobody will notice until something else happens may wait: longer than the interval
    // of the watch's timer, whose ticks then run on time, so that they run with its ticks at the latest.
    static constexpr int kUnnoticedWaitMs = 2000;

    // Runs a tick's step: the program puts its error edge and its drawing around it.
    using Runner = std::function<void(const std::function<void()>& step)>;

    StripTicks(const StripModel& strip, WelcomeWatch& watch, CaptionEffects& effects, PlaybackCycle& cycle,
               Runner run);

    void tick(StripTimer which);
    // Starts and stops the timers as the model has them.
    void follow();
    // Lets each timer's ticks wait as the plan says.
    void apply(const WakePlan& plan);
    // The pointer moved between two plans: the watch's entry is planned again at once, since it must see
    // the movement now. The other timers' entries do not hang on the pointer, and stay as they are.
    void pointerMoved();
    void stopAll();
    TickTimer& timer(StripTimer which) { return timers_[which]; }

    // Ticks that change nothing anyone sees or hears need not wake the program: they run with the next
    // tick that does, in their order.
    // - The watch's, once the welcome is over, while the pointer rests and the strip would keep its
    //   height. The pointer's first movement makes them on time again, from the one due, even before
    //   the next plan sees it no longer resting.
    // - Rolled up, the strip shows no caption: the caption effects' ticks, and the playback's while the
    //   character is not shown. Any of the watch's ticks unrolling the strip comes before them.
    // - Whatever is shown, the playback's ticks that only count out a language's seconds. They wait at
    //   most until the tick after the one ending the count is due: it changes a caption, and runs on time.
    // - The English rise's steps that leave its caption on the same pixels, or below the strip: a step
    //   of 10 twips is less than a pixel. They wait at most for the next step.
    // - The bar's ticks while it is not drawn and would not be (the strip unrolled): they only turn its
    //   colours round. They wait at most for the next of them.
    WakePlan plan(const WakeObservations& seen) const
    {
        const auto upTo = [](bool mayWait, int mostWaitMs) {
            return TickWait{mayWait, mayWait ? mostWaitMs : 0};
        };
        const bool unseen = !seen.captionsInView;
        WakePlan plan;
        plan[Timer1] = upTo(!seen.pointerMoved && seen.pointerResting && watch_.nextTickChangesNothing(),
                            kUnnoticedWaitMs);
        plan[Timer2] = upTo(effects_.nextBarTickChangesNothing(), kTimerIntervalsMs[Timer2]);
        plan[Timer3] = unseen ? upTo(true, kUnnoticedWaitMs)
                              : upTo(seen.riseUnderWay && seen.riseLooksTheSame, kTimerIntervalsMs[Timer3]);
        plan[Timer4] = upTo(unseen, kUnnoticedWaitMs);
        const int counting = cycle_.ticksOnlyCounting();
        plan[Timer5] = unseen && !seen.characterShown
                           ? upTo(true, kUnnoticedWaitMs)
                           : upTo(counting > 0, counting * kTimerIntervalsMs[Timer5]);
        return plan;
    }

private:
    const StripModel& strip_;
    WelcomeWatch& watch_;
    CaptionEffects& effects_;
    PlaybackCycle& cycle_;
    std::array<TickTimer, kTimerCount> timers_;
};

} // namespace dialoon
