// Which step each of the strip's timers runs.
#pragma once

#include "engine/CaptionEffects.h"
#include "engine/PlaybackCycle.h"
#include "engine/StripModel.h"
#include "engine/WelcomeWatch.h"

namespace dialoon {

class StripTicks
{
public:
    StripTicks(WelcomeWatch& watch, CaptionEffects& effects, PlaybackCycle& cycle)
        : watch_(watch), effects_(effects), cycle_(cycle)
    {
    }

    void tick(StripTimer which)
    {
        switch (which) {
        case Timer1: watch_.tick(); break;
        case Timer2: effects_.barTick(); break;
        case Timer3: effects_.slideUpTick(); break;
        case Timer4: effects_.slideInTick(); break;
        case Timer5: cycle_.tick(); break;
        default: break;
        }
    }

private:
    WelcomeWatch& watch_;
    CaptionEffects& effects_;
    PlaybackCycle& cycle_;
};

} // namespace dialoon
