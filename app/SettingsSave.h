// Keeping the settings chosen in the settings dialog: the logon entry first, then the store.
#pragma once

namespace dialoon {

struct AppState;
class SettingsStore;
class Platform;

// Makes the logon entry agree with startWithWindows: 1 writes or replaces it, 0 removes it, any other
// value leaves it alone. Silent.
void Set_Auto_Start(const AppState& state, Platform& platform);

namespace SettingsSave {

// Set_Auto_Start, then the thirteen keys in one durable replacement of the store. Raises StoreWriteError.
void save(const AppState& state, SettingsStore& store, Platform& platform);

} // namespace SettingsSave
} // namespace dialoon
