// The per-user settings location: an INI file under the XDG config folder.
#include "platform/posix/UserSettings.h"

namespace dialoon {

std::unique_ptr<QSettings> openUserSettings(const QString& application)
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application);
}

} // namespace dialoon
