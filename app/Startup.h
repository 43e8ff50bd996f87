// Start-up: from nothing to the welcome phase. Prepares the character, initialises the settings store
// on the first run, reads every setting, places the strip and the splash, arms the timers and loads
// the first sentence.
#pragma once

#include <functional>

namespace dialoon {

struct AppState;
struct StripModel;
class SettingsStore;
class Platform;
class SentenceSource;

class Startup
{
public:
    Startup(AppState& state, StripModel& strip, SettingsStore& store, Platform& platform,
            SentenceSource& selector)
        : state_(state), strip_(strip), store_(store), platform_(platform), selector_(selector)
    {
    }

    // Runs every step in order. prepareCharacter loads and shows the speaking character.
    void run(const std::function<void()>& prepareCharacter);
    // Reads every key into the state; keys that cannot be read get their first-run value and are
    // reported in one message.
    void readSettings();

private:
    AppState& state_;
    StripModel& strip_;
    SettingsStore& store_;
    Platform& platform_;
    SentenceSource& selector_;
};

} // namespace dialoon
