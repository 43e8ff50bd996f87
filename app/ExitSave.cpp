#include "app/ExitSave.h"

#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "engine/AppState.h"
#include "engine/StripModel.h"

namespace dialoon::ExitSave {

Kept kept(const AppState& state, const StripModel& strip)
{
    const bool placeKept = state.saveSchedule == 1 && state.sequentialPlay == 1;
    Kept kept{state.readAloud, static_cast<float>(strip.chosenLeft),
              placeKept ? std::optional(state.sentenceId) : std::nullopt, state.playingDeck, std::nullopt};
    if (placeKept && !state.playingDeck.isEmpty()) kept.deckPlace = state.deckPlace;
    return kept;
}

QString deckPlaceKey(const QString& deck)
{
    return QStringLiteral("Decks/%1.place").arg(deck);
}

QList<SettingsStore::Setting> settings(const Kept& kept)
{
    QList<SettingsStore::Setting> settings = {
        {SettingKeys::voice, SettingText::fromInt16(kept.readAloud)},
        {SettingKeys::left, SettingText::fromSingle(kept.chosenLeft)},
    };
    if (kept.place) settings.append({SettingKeys::guagen, SettingText::fromInt16(*kept.place)});
    if (kept.deckPlace) settings.append({deckPlaceKey(kept.deck), QString::number(*kept.deckPlace)});
    return settings;
}

void save(const AppState& state, const StripModel& strip, SettingsStore& store)
{
    store.writeSettings(settings(kept(state, strip)));
}

} // namespace dialoon::ExitSave
