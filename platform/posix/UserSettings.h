// Where a program's per-user settings live: an INI file under the XDG config folder
// ($XDG_CONFIG_HOME/<application>.ini, by default ~/.config/<application>.ini).
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace dialoon {

inline std::unique_ptr<QSettings> openUserSettings(const QString& application)
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application);
}

} // namespace dialoon
