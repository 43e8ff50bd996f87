// Start-at-logon entry on each platform.
#include "platform/LogonEntry.h"

#include "platform/BuildInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

#include "platform/BuildInfo.h"

namespace dialoon::LogonEntry {
namespace {

// The entry's failures stay out of the user interface (the setting is kept all the same), but not out
// of sight: one line on standard error says what could not be done.
void complain(const QString& what)
{
    std::fprintf(stderr, "%s: %s\n", BuildInfo::kTitle, qPrintable(what));
    std::fflush(stderr);
}

#ifdef Q_OS_WIN
const char* const kRunKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValueName = "German";
#endif

bool needsQuoting(const QString& arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (arg.isEmpty())
        return true;
    for (const QChar c : arg)
        if (reserved.contains(c))
            return true;
    return false;
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
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                arg += u'\\';
            arg += c;
        }
        arg += u'"';
    } else {
        arg = executablePath;
    }
    QString value;
    for (const QChar c : arg) {
        switch (c.unicode()) {
        case '\\': value += QStringLiteral("\\\\"); break;
        case '\n': value += QStringLiteral("\\n"); break;
        case '\t': value += QStringLiteral("\\t"); break;
        case '\r': value += QStringLiteral("\\r"); break;
        case '%': value += QStringLiteral("%%"); break;
        default: value += c;
        }
    }
    return value;
}

QString windowsRunValue(const QString& directory, const QString& baseName)
{
    if (directory.endsWith(u'\\'))
        return directory + baseName + QStringLiteral(".exe");
    return directory + u'\\' + baseName + QStringLiteral(".exe");
}

QString location()
{
#ifdef Q_OS_WIN
    return QString::fromLatin1(kRunKey) + u'\\' + QString::fromLatin1(kRunValueName);
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QString::fromLatin1(BuildInfo::kAppId) + QStringLiteral(".desktop");
#endif
}

QString earlierLocation()
{
#ifdef Q_OS_WIN
    return {};
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/dialoon.desktop");
#endif
}

void write(const QString& executablePath)
{
#ifdef Q_OS_WIN
    const QFileInfo info(executablePath);
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.setValue(QString::fromLatin1(kRunValueName),
                 windowsRunValue(QDir::toNativeSeparators(info.absolutePath()), info.completeBaseName()));
    run.sync();
    if (run.status() != QSettings::NoError)
        complain(QStringLiteral("the start-at-logon entry %1 could not be written").arg(location()));
#else
    const QString path = location();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        complain(QStringLiteral("the start-at-logon entry %1 could not be written (%2)").arg(path, file.errorString()));
        return;
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Dialoon\n"
                                         "Comment=German phrase player\n"
                                         "Exec=%1\n"
                                         "Icon=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(desktopExecValue(executablePath), QString::fromLatin1(BuildInfo::kAppId));
    file.write(entry.toUtf8());
    if (!file.commit()) {
        complain(QStringLiteral("the start-at-logon entry %1 could not be written (%2)").arg(path, file.errorString()));
        return;
    }
    // An entry left under the earlier name would start a second copy at logon.
    QFile::remove(earlierLocation());
#endif
}

void remove()
{
#ifdef Q_OS_WIN
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.remove(QString::fromLatin1(kRunValueName));
    run.sync();
    if (run.status() != QSettings::NoError)
        complain(QStringLiteral("the start-at-logon entry %1 could not be removed").arg(location()));
#else
    QFile entry(location());
    if (entry.exists() && !entry.remove())
        complain(QStringLiteral("the start-at-logon entry %1 could not be removed (%2)")
                     .arg(entry.fileName(), entry.errorString()));
    QFile::remove(earlierLocation());
#endif
}

} // namespace dialoon::LogonEntry
