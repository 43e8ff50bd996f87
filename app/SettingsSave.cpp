// Saving the dialog's settings.
#include "app/SettingsSave.h"

#include "engine/AppState.h"
#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "platform/Platform.h"

namespace dialoon {

void Set_Auto_Start(const AppState& state, Platform& platform)
{
    if (state.startWithWindows == 0)
        platform.removeLogonEntry();
    else if (state.startWithWindows == 1)
        platform.writeLogonEntry(platform.executablePath());
}

void SettingsSave::save(const AppState& state, SettingsStore& store, Platform& platform)
{
    Set_Auto_Start(state, platform);
    const auto number = [](const QString& key, std::int16_t value) {
        return SettingsStore::Setting{key, SettingText::fromInt16(value)};
    };
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
}

} // namespace dialoon
