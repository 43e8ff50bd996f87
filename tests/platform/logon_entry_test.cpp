// The start-at-logon entry: a desktop entry in the XDG autostart folder that starts the program by its
// absolute path, whatever characters that path holds.
#include "app/SettingsSave.h"
#include "base/BuildInfo.h"
#include "engine/AppState.h"
#include "platform/posix/LogonEntry.h"
#include "platform/x11/QtPlatform.h"
#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace dialoon;

namespace {

// How a desktop reads the Exec value back: string escapes first, then the quoting of arguments.
QStringList execArguments(const QString& value)
{
    QString unescaped;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            unescaped += next == u's'   ? QChar(u' ')
                         : next == u'n' ? QChar(u'\n')
                         : next == u't' ? QChar(u'\t')
                                        : next;
        } else if (value[i] == u'%' && i + 1 < value.size() && value[i + 1] == u'%') {
            unescaped += u'%';
            ++i;
        } else {
            unescaped += value[i];
        }
    }
    QStringList args;
    QString current;
    bool quoted = false, any = false;
    for (int i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < unescaped.size())
                current += unescaped[++i];
            else if (c == u'"')
                quoted = false;
            else
                current += c;
        } else if (c == u'"') {
            quoted = any = true;
        } else if (c == u' ') {
            if (any || !current.isEmpty()) args << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty()) args << current;
    return args;
}

} // namespace

class LogonEntryTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QCOMPARE(LogonEntry::location(), config.path() + "/autostart/" + BuildInfo::kAppId + ".desktop");
        QCOMPARE(LogonEntry::earlierLocation(), config.path() + "/autostart/dialoon.desktop");
    }

    // An entry left by an earlier version under "dialoon.desktop" is taken away by both a write and a
    // removal, so that an upgrade never starts the program twice nor keeps an entry the user turned off.
    void earlierEntryNeverStays_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<bool>("existsAfter");
        QTest::newRow("1 replaces it") << 1 << true;
        QTest::newRow("0 removes it") << 0 << false;
    }
    void earlierEntryNeverStays()
    {
        QFETCH(int, flag);
        QFETCH(bool, existsAfter);
        QFile::remove(LogonEntry::location());
        QDir().mkpath(config.path() + "/autostart");
        QFile earlier(LogonEntry::earlierLocation());
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("[Desktop Entry]\nType=Application\nName=Dialoon\nExec=/old/dialoon\n");
        earlier.close();
        QtPlatform platform;
        AppState state;
        state.startWithWindows = static_cast<std::int16_t>(flag);
        Set_Auto_Start(state, platform);
        QVERIFY(!QFile::exists(LogonEntry::earlierLocation()));
        QCOMPARE(QFile::exists(LogonEntry::location()), existsAfter);
    }

    void entryShowsTheProgramsIcon()
    {
        LogonEntry::write("/usr/bin/dialoon");
        QFile file(LogonEntry::location());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QVERIFY(lines.contains(QStringLiteral("Icon=") + BuildInfo::kAppId));
    }

    void pathsSurviveTheEntry_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/dialoon";
        QTest::newRow("blanks") << "/home/anna/My Programs/dialoon";
        QTest::newRow("double quote") << "/opt/say \"hallo\"/dialoon";
        QTest::newRow("single quote") << "/home/o'neil/dialoon";
        QTest::newRow("backslash") << "/opt/back\\slash/dialoon";
        QTest::newRow("dollar and backtick") << "/opt/$HOME`x`/dialoon";
        QTest::newRow("percent") << "/opt/100%/dialoon %f";
        QTest::newRow("umlauts") << "/home/jürgen/Programme/dialoon";
    }
    void pathsSurviveTheEntry()
    {
        QFETCH(QString, path);
        LogonEntry::write(path);
        QFile file(LogonEntry::location());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        const QString exec = content.section(QStringLiteral("\nExec="), 1).section(u'\n', 0, 0);
        QCOMPARE(execArguments(exec), QStringList{path});

        if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
            QSKIP("desktop-file-validate is not installed");
        QProcess validate;
        validate.start("desktop-file-validate", {LogonEntry::location()});
        QVERIFY(validate.waitForFinished());
        const QByteArray report = validate.readAllStandardOutput() + validate.readAllStandardError();
        QVERIFY2(validate.exitCode() == 0 && !report.contains("error"), report.constData());
    }

    void flagDecidesTheEntry_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<bool>("existedBefore");
        QTest::addColumn<bool>("existsAfter");
        QTest::newRow("1 writes") << 1 << false << true;
        QTest::newRow("1 again rewrites") << 1 << true << true;
        QTest::newRow("0 removes") << 0 << true << false;
        QTest::newRow("0 without entry is silent") << 0 << false << false;
        QTest::newRow("2 leaves an entry") << 2 << true << true;
        QTest::newRow("-1 leaves no entry") << -1 << false << false;
    }
    void flagDecidesTheEntry()
    {
        QFETCH(int, flag);
        QFETCH(bool, existedBefore);
        QFETCH(bool, existsAfter);
        QFile::remove(LogonEntry::location());
        if (existedBefore) LogonEntry::write("/old/place/dialoon");
        QtPlatform platform;
        AppState state;
        state.startWithWindows = static_cast<std::int16_t>(flag);
        Set_Auto_Start(state, platform);
        QCOMPARE(QFile::exists(LogonEntry::location()), existsAfter);
        if (flag == 1) {
            QFile file(LogonEntry::location());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains(QFile::encodeName(platform.executablePath())));
        }
    }

    // A failure is answered with what could not be done, naming the entry, for the user's warning.
    void failuresAreAnswered_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("fault");
        QTest::newRow("write, folder is a file") << "write"
                                                 << "file";
        QTest::newRow("write, folder cannot be written") << "write"
                                                         << "read-only";
        QTest::newRow("remove, folder cannot be written") << "remove"
                                                          << "read-only";
    }
    void failuresAreAnswered()
    {
        QFETCH(QString, action);
        QFETCH(QString, fault);
        const QString folder = config.filePath("autostart");
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        if (fault == "file") {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else {
            LogonEntry::write("/old/place/dialoon");
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        }
        QString problem;
        {
            OrdinaryUser user;
            problem = action == "write" ? LogonEntry::write("/usr/bin/dialoon") : LogonEntry::remove();
        }
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        QVERIFY2(problem.contains(LogonEntry::location()), qPrintable(problem));
        QFile::remove(folder);
        QDir(folder).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(LogonEntryTest)
#include "logon_entry_test.moc"
