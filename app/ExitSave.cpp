// Saving at exit.
#include "app/ExitSave.h"

#include "engine/AppState.h"
#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "engine/StripModel.h"

namespace dialoon::ExitSave {

void save(const AppState& state, const StripModel& strip, SettingsStore& store)
{
    QList<SettingsStore::Setting> settings = {
        {SettingKeys::voice, SettingText::fromInt16(state.readAloud)},
        {SettingKeys::left, SettingText::fromSingle(static_cast<float>(strip.chosenLeft))},
    };
    if (state.saveSchedule == 1 && state.sequentialPlay == 1)
        settings.append({SettingKeys::guagen, SettingText::fromInt16(state.sentenceId)});
    store.writeSettings(settings);
}

} // namespace dialoon::ExitSave
