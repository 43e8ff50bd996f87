// Keeping the settings chosen in the settings dialog: the logon entry first, then the store.
#pragma once

#include <QString>

namespace dialoon {

struct AppState;
class SettingsStore;
class Platform;

// Makes the logon entry agree with startWithWindows: 1 writes or replaces it, 0 removes it, any other
// value leaves it alone. Returns the empty text when done, else what could not be done.
QString Set_Auto_Start(const AppState& state, Platform& platform);

namespace SettingsSave {

// Set_Auto_Start, then the thirteen keys in one durable replacement of the store. Raises StoreWriteError
// naming whatever failed, the logon entry, the store or both; the store is written either way.
void save(const AppState& state, SettingsStore& store, Platform& platform);

} // namespace SettingsSave
} // namespace dialoon
