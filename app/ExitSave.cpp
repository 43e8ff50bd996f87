// Saving at exit.
#include "app/ExitSave.h"

#include "engine/AppState.h"
#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "engine/StripModel.h"

namespace dialoon::ExitSave {

std::optional<std::int16_t> placeKept(const AppState& state)
{
    if (state.saveSchedule == 1 && state.sequentialPlay == 1)
        return state.sentenceId;
    return std::nullopt;
}

QList<SettingsStore::Setting> settings(std::int16_t readAloud, float chosenLeft, std::optional<std::int16_t> place)
{
    QList<SettingsStore::Setting> settings = {
        {SettingKeys::voice, SettingText::fromInt16(readAloud)},
        {SettingKeys::left, SettingText::fromSingle(chosenLeft)},
    };
    if (place)
        settings.append({SettingKeys::guagen, SettingText::fromInt16(*place)});
    return settings;
}

void save(const AppState& state, const StripModel& strip, SettingsStore& store)
{
    store.writeSettings(settings(state.readAloud, static_cast<float>(strip.chosenLeft), placeKept(state)));
}

} // namespace dialoon::ExitSave
