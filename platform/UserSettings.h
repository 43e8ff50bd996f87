// Where a program's per-user settings live on this system: an INI file under the XDG config folder on
// Linux, the per-user registry on Windows.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace dialoon {

std::unique_ptr<QSettings> openUserSettings(const QString& application);

} // namespace dialoon
