// What the menus and the settings dialog ask of the running program besides showing windows: keeping
// the dialog's choices and the character's pace, the web page and the e-mail, and what an exit keeps.
// A store that cannot be written is told in one warning; the choices stay in force for this run.
#pragma once

namespace dialoon {

struct AppState;
struct StripModel;
class Platform;
class SettingsStore;

class MenuCommands
{
public:
    MenuCommands(AppState& state, const StripModel& strip, SettingsStore& store, Platform& platform)
        : state_(state), strip_(strip), store_(store), platform_(platform)
    {
    }

    // The settings dialog's choices and the logon entry.
    void saveSettings();
    // Slow speech on or off, kept at once.
    void chooseSlowSpeech(bool slow);
    void openWebPage();
    void openEmail();
    // What an exit keeps. Raises StoreWriteError: the program ends either way.
    void saveForExit();

private:
    template <typename Save> void warnIfNotKept(const Save& save);

    AppState& state_;
    const StripModel& strip_;
    SettingsStore& store_;
    Platform& platform_;
};

} // namespace dialoon
