// What the program keeps when it ends: the read-aloud flag, the strip's position and, in sequence mode,
// the place in the course. Used by the Exit command and when the session ends or the process is told
// to stop.
#pragma once

#include "app/SettingsStore.h"

#include <cstdint>
#include <optional>

namespace dialoon {

struct AppState;
struct StripModel;

namespace ExitSave {

// The keys, in one durable replacement of the store: all of them are kept or none. Raises StoreWriteError.
void save(const AppState& state, const StripModel& strip, SettingsStore& store);

// The place in the course an exit keeps: in sequence mode with the place kept at exit, else none.
std::optional<std::int16_t> placeKept(const AppState& state);
// What an exit writes, from the values it takes.
QList<SettingsStore::Setting> settings(std::int16_t readAloud, float chosenLeft, std::optional<std::int16_t> place);

} // namespace ExitSave
} // namespace dialoon
