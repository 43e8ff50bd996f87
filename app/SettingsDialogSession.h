// What the settings dialog does to the running program, apart from showing and collecting: while it is
// open the menu button rests and the playback cycle stands still; when it closes the choices take
// effect, the course may start again from its beginning, and the cycle runs on.
#pragma once

#include <cstdint>

namespace dialoon {

struct AppState;
struct StripModel;

// What the dialog collected when it closed.
struct DialogChoices
{
    int lessonIndex = -1;  // -1 when no lesson button is selected (a hand-edited lesson outside the course)
    bool sequence = false; // "Sequence", else "at random"
    bool germanFirst = true;
    std::int16_t repeatCount = 0;
    std::int16_t germanSeconds = 0;
    std::int16_t englishSeconds = 0;
    bool keepSchedule = false; // "Save schedule while exit" ticked
};

namespace SettingsDialogSession {

void opened(StripModel& strip);

// Puts the choices into force. True when they are also to be kept in the store.
bool closed(AppState& state, StripModel& strip, const DialogChoices& choices);

} // namespace SettingsDialogSession
} // namespace dialoon
