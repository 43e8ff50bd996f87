// The per-user settings location of each system.
#include "platform/UserSettings.h"

namespace dialoon {

std::unique_ptr<QSettings> openUserSettings(const QString& application)
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + application,
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application);
#endif
}

} // namespace dialoon
