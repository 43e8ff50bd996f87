// Where a program's per-user settings live: an INI file under the XDG config folder
// ($XDG_CONFIG_HOME/<application>.ini, by default ~/.config/<application>.ini).
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace dialoon {

std::unique_ptr<QSettings> openUserSettings(const QString& application);

} // namespace dialoon
