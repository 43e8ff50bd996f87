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
    const auto write = [&store](const QString& key, std::int16_t value) {
        store.writeSetting(key, SettingText::fromInt16(value));
    };
    write(SettingKeys::ce, state.germanFirst);
    write(SettingKeys::n, state.repeatCount);
    write(SettingKeys::ctime, state.englishSeconds);
    write(SettingKeys::etime, state.germanSeconds);
    write(SettingKeys::rd, state.sequentialPlay);
    write(SettingKeys::psave, state.saveSchedule);
    write(SettingKeys::ssave, state.saveSettings);
    write(SettingKeys::visi, state.autoHide);
    write(SettingKeys::guage, state.lessonIndex);
    write(SettingKeys::red, state.redSetting);
    write(SettingKeys::mark, state.startWithWindows);
    store.writeSetting(SettingKeys::xxx, QStringLiteral("1"));
    write(SettingKeys::sspeed, state.speedSetting);
}

} // namespace dialoon
