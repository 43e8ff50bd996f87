// The start-at-logon entry: an XDG autostart file.
#include "platform/posix/LogonEntry.h"

#include "base/BuildInfo.h"
#include "platform/posix/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace dialoon::LogonEntry {
namespace {

bool needsQuoting(const QString& arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (arg.isEmpty()) return true;
    for (const QChar c : arg)
        if (reserved.contains(c)) return true;
    return false;
}

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
    QString arg;
    if (needsQuoting(executablePath)) {
        arg = QStringLiteral("\"");
        for (const QChar c : executablePath) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') arg += u'\\';
            arg += c;
        }
        arg += u'"';
    } else {
        arg = executablePath;
    }
    QString value;
    for (const QChar c : arg) {
        switch (c.unicode()) {
        case '\\':
            value += QStringLiteral("\\\\");
            break;
        case '\n':
            value += QStringLiteral("\\n");
            break;
        case '\t':
            value += QStringLiteral("\\t");
            break;
        case '\r':
            value += QStringLiteral("\\r");
            break;
        case '%':
            value += QStringLiteral("%%");
            break;
        default:
            value += c;
        }
    }
    return value;
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
