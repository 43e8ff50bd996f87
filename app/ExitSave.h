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

struct Kept
{
    std::int16_t readAloud = 0;
    float chosenLeft = 0.0f;
    std::optional<std::int16_t> place; // in sequence mode with the place kept at exit, else none
    QString deck;                      // the deck of the user's own that plays, or empty
    std::optional<int> deckPlace;      // its place, kept as the course's place is

    // The places only: what the quiet saves follow.
    bool samePlaces(const Kept& other) const
    {
        return place == other.place && deck == other.deck && deckPlace == other.deckPlace;
    }
};

// The key of a deck's place in the store.
QString deckPlaceKey(const QString& deck);

// What an exit keeps of the running program now.
Kept kept(const AppState& state, const StripModel& strip);
// What an exit writes of it.
QList<SettingsStore::Setting> settings(const Kept& kept);

// The keys, in one durable replacement of the store: all of them are kept or none. Raises StoreWriteError.
void save(const AppState& state, const StripModel& strip, SettingsStore& store);

} // namespace ExitSave
} // namespace dialoon
