// What the program keeps when it ends: the read-aloud flag, the strip's position and, in sequence mode,
// the place in the course. Used by the Exit command and when the session ends or the process is told
// to stop.
#pragma once

namespace dialoon {

struct AppState;
struct StripModel;
class SettingsStore;

namespace ExitSave {

// The keys, in one durable replacement of the store: all of them are kept or none. Raises StoreWriteError.
void save(const AppState& state, const StripModel& strip, SettingsStore& store);

} // namespace ExitSave
} // namespace dialoon
