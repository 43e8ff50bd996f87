#include "app/MenuCommands.h"

#include "app/ContactLinks.h"
#include "app/ExitSave.h"
#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsSave.h"
#include "app/SettingsStore.h"
#include "base/BuildInfo.h"
#include "base/Errors.h"
#include "engine/AppState.h"
#include "platform/Platform.h"

namespace dialoon {

template <typename Save> void MenuCommands::warnIfNotKept(const Save& save)
{
    try {
        save();
    } catch (const StoreWriteError& error) {
        platform_.showWarning(QString::fromLatin1(BuildInfo::kTitle), QString::fromStdString(error.what()));
    }
}

void MenuCommands::saveSettings()
{
    warnIfNotKept([this] { SettingsSave::save(state_, store_, platform_); });
}

void MenuCommands::chooseSlowSpeech(bool slow)
{
    state_.slowSpeech = slow ? 1 : 0;
    warnIfNotKept(
        [this] { store_.writeSetting(SettingKeys::slow, SettingText::fromInt16(state_.slowSpeech)); });
}

void MenuCommands::openWebPage()
{
    platform_.openUrl(ContactLinks::webPage(platform_.executablePath()));
}

void MenuCommands::openEmail()
{
    platform_.openUrl(ContactLinks::email());
}

void MenuCommands::saveForExit()
{
    ExitSave::save(state_, strip_, store_);
}

} // namespace dialoon
