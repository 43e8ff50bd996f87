// The strip's 60 ms watch: counts the welcome phase down, samples the mouse, rolls the strip up or
// down, scrolls the welcome banner and, when the welcome is over, starts playback.
#pragma once

#include "base/Geometry.h"

namespace dialoon {

struct AppState;
struct StripModel;
class Platform;

class WelcomeWatch
{
public:
    WelcomeWatch(AppState& state, StripModel& strip, Platform& platform)
        : state_(state), strip_(strip), platform_(platform)
    {
    }

    // One tick of Timer1.
    void tick();
    // Whether the next tick, finding the cursor where it was last sampled, would leave everything as it
    // is: the welcome is over and the strip keeps its height.
    bool nextTickChangesNothing() const;

private:
    // The strip's height after a tick that counted down to c and found the cursor there.
    double heightFor(int c, PixelPoint cursor) const;

    AppState& state_;
    StripModel& strip_;
    Platform& platform_;
};

} // namespace dialoon
