#include "app/SettingsSave.h"

#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "base/Errors.h"
#include "engine/AppState.h"
#include "platform/Platform.h"

namespace dialoon {

QString Set_Auto_Start(const AppState& state, Platform& platform)
{
    if (state.startWithWindows == 0) return platform.removeLogonEntry();
    if (state.startWithWindows == 1) return platform.writeLogonEntry(platform.executablePath());
    return {};
}

void SettingsSave::save(const AppState& state, SettingsStore& store, Platform& platform)
{
    const QString entryProblem = Set_Auto_Start(state, platform);
    const std::string entryFailed = "Starting at logon could not be set: " + entryProblem.toStdString() + ".";
    QList<SettingsStore::Setting> settings = {
        {SettingKeys::xxx, QStringLiteral("1")},
        {SettingKeys::sspeed, SettingText::fromInt16(state.speedSetting)}};
    // The read-aloud flag and the place are the exit's to keep.
    for (const SettingKeys::Integer& key : SettingKeys::kIntegers)
        if (key.key != SettingKeys::voice && key.key != SettingKeys::guagen)
            settings.append({key.key, SettingText::fromInt16(state.*(key.field))});
    try {
        store.writeSettings(settings);
    } catch (const StoreWriteError& error) {
        if (entryProblem.isEmpty()) throw;
        throw StoreWriteError(error.what() + std::string("\n\n") + entryFailed);
    }
    if (!entryProblem.isEmpty()) throw StoreWriteError(entryFailed + " The other settings were saved.");
}

} // namespace dialoon
