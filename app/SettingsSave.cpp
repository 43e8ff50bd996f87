// Saving the dialog's settings.
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
    const auto number = [](const QString& key, std::int16_t value) {
        return SettingsStore::Setting{key, SettingText::fromInt16(value)};
    };
    try {
        store.writeSettings({
            number(SettingKeys::ce, state.germanFirst),
            number(SettingKeys::n, state.repeatCount),
            number(SettingKeys::ctime, state.englishSeconds),
            number(SettingKeys::etime, state.germanSeconds),
            number(SettingKeys::rd, state.sequentialPlay),
            number(SettingKeys::psave, state.saveSchedule),
            number(SettingKeys::ssave, state.saveSettings),
            number(SettingKeys::visi, state.autoHide),
            number(SettingKeys::guage, state.lessonIndex),
            number(SettingKeys::red, state.redSetting),
            number(SettingKeys::mark, state.startWithWindows),
            {SettingKeys::xxx, QStringLiteral("1")},
            number(SettingKeys::sspeed, state.speedSetting),
        });
    } catch (const StoreWriteError& error) {
        if (entryProblem.isEmpty()) throw;
        throw StoreWriteError(error.what() + std::string("\n\n") + entryFailed);
    }
    if (!entryProblem.isEmpty()) throw StoreWriteError(entryFailed + " The other settings were saved.");
}

} // namespace dialoon
