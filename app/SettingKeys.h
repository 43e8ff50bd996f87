// The names of the stored settings.
#pragma once

#include <QString>

namespace dialoon::SettingKeys {

inline const QString ce = QStringLiteral("ce");
inline const QString n = QStringLiteral("n");
inline const QString ctime = QStringLiteral("ctime");
inline const QString etime = QStringLiteral("etime");
inline const QString rd = QStringLiteral("rd");
inline const QString psave = QStringLiteral("psave");
inline const QString ssave = QStringLiteral("ssave");
inline const QString visi = QStringLiteral("visi");
inline const QString voice = QStringLiteral("voice");
inline const QString guage = QStringLiteral("guage");
inline const QString guagen = QStringLiteral("guagen");
inline const QString red = QStringLiteral("red");
inline const QString mark = QStringLiteral("mark");
inline const QString xxx = QStringLiteral("xxx");
inline const QString left = QStringLiteral("left");
inline const QString sspeed = QStringLiteral("sspeed");
// Not written on the first run: a store without it means the usual rate.
inline const QString slow = QStringLiteral("slow");

} // namespace dialoon::SettingKeys
