// The strip's 60 ms watch: counts the welcome phase down, samples the mouse, rolls the strip up or
// down, scrolls the welcome banner and, when the welcome is over, starts playback.
#pragma once

#include <QString>

namespace dialoon {

struct AppState;
struct StripModel;
class Platform;

class WelcomeWatch
{
public:
    WelcomeWatch(AppState& state, StripModel& strip, Platform& platform);

    // One tick of Timer1.
    void tick();

    static const QString kBanner;

private:
    AppState& state_;
    StripModel& strip_;
    Platform& platform_;
};

} // namespace dialoon
