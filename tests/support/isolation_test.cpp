// Every test program runs in folders of its own, made before Qt starts, and hears no sound server:
// nothing a test does reaches the settings, the logon entries, the runtime files or the sound of the
// person who runs the suite.
#include "app/SettingsStore.h"
#include "platform/posix/LogonEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace dialoon;

class IsolationTest : public QObject
{
    Q_OBJECT
private:
    QString root = qEnvironmentVariable("DIALOON_TEST_ISOLATION");

    bool inside(const QString& path) const
    {
        return !root.isEmpty() && QDir::cleanPath(path).startsWith(QDir::cleanPath(root) + u'/');
    }

private slots:
    void foldersAreTheTestsOwn_data()
    {
        QTest::addColumn<QString>("variable");
        for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                     "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
            QTest::newRow(variable) << QString::fromLatin1(variable);
    }
    void foldersAreTheTestsOwn()
    {
        QFETCH(QString, variable);
        const QString folder = qEnvironmentVariable(variable.toLatin1().constData());
        QVERIFY2(inside(folder), qPrintable(variable + " = " + folder));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_uid, ::geteuid());
        QCOMPARE(info.st_mode & 0777, 0700u);
    }

    void whatTheProgramWritesStaysInside()
    {
        QVERIFY2(inside(SettingsStore().path()), qPrintable(SettingsStore().path()));
        QVERIFY2(inside(LogonEntry::location()), qPrintable(LogonEntry::location()));
        QVERIFY(inside(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)));
        QVERIFY(inside(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)));
    }

    void noSoundServerAnswers()
    {
        const QString server = qEnvironmentVariable("PULSE_SERVER");
        QVERIFY2(server.startsWith(QStringLiteral("unix:")), qPrintable(server));
        QVERIFY(inside(server.mid(5)));
        QVERIFY(!QFileInfo::exists(server.mid(5)));
        // An ALSA configuration with no cards in it, so that no sound reaches a sound card either.
        const QFileInfo alsa(qEnvironmentVariable("ALSA_CONFIG_PATH"));
        QVERIFY(inside(alsa.filePath()));
        QVERIFY(alsa.exists());
        QCOMPARE(alsa.size(), 0);
        // Nor is the desktop's session bus reached.
        const QString bus = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY2(bus.startsWith(QStringLiteral("unix:path=")) && inside(bus.mid(10)), qPrintable(bus));
    }
};

QTEST_GUILESS_MAIN(IsolationTest)
#include "isolation_test.moc"
