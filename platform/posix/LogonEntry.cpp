#include "platform/posix/LogonEntry.h"

#include "base/BuildInfo.h"
#include "platform/posix/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace dialoon::LogonEntry {
namespace {

QString autostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/");
}

} // namespace

QString desktopExecValue(const QString& executablePath)
{
    // First the quoting rule of the Exec key, then the escapes of a string value, which a reader
    // undoes before it applies the quoting rule.
    QString arg = executablePath;
    const auto reserved = [](QChar c) { return QStringView(u" \t\n\"'\\><~|&;$*?#()`").contains(c); };
    if (arg.isEmpty() || std::any_of(arg.cbegin(), arg.cend(), reserved)) {
        for (const QChar c : {u'\\', u'"', u'`', u'$'}) // the backslash first
            arg.replace(c, u'\\' + QString(c));
        arg = u'"' + arg + u'"';
    }
    const std::pair<QChar, const char*> escapes[] = {
        {u'\\', "\\\\"}, {u'\n', "\\n"}, {u'\t', "\\t"}, {u'\r', "\\r"}, {u'%', "%%"}};
    for (const auto& [c, escape] : escapes)
        arg.replace(c, QLatin1String(escape));
    return arg;
}

QString location()
{
    return autostartFolder() + QString::fromLatin1(BuildInfo::kAppId) + QStringLiteral(".desktop");
}

QString earlierLocation()
{
    return autostartFolder() + QStringLiteral("dialoon.desktop");
}

QString write(const QString& executablePath)
{
    const QString path = location();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Comment=German phrase player\n"
                                         "Exec=%2\n"
                                         "Icon=%3\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(QString::fromLatin1(BuildInfo::kTitle), desktopExecValue(executablePath),
                                   QString::fromLatin1(BuildInfo::kAppId));
    QString problem;
    if (!DurableFile::replace(path, entry.toUtf8(), &problem))
        return QStringLiteral("the start-at-logon entry %1 could not be written (%2)").arg(path, problem);
    // An entry left under the earlier name would start a second copy at logon.
    QFile::remove(earlierLocation());
    return {};
}

QString remove()
{
    QFile entry(location());
    QFile::remove(earlierLocation());
    if (entry.exists() && !entry.remove())
        return QStringLiteral("the start-at-logon entry %1 could not be removed (%2)")
            .arg(entry.fileName(), entry.errorString());
    return {};
}

} // namespace dialoon::LogonEntry
