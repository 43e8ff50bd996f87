// The settings store on a real INI file in a temporary directory.
#include "app/SettingsStore.h"
#include "base/Errors.h"
#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dialoon;

namespace {

// A store in dir/config/Tavo.ini where "config" is a file: its folder cannot be made, even by root.
QString unwritablePath(const QTemporaryDir& dir)
{
    QFile blocker(dir.filePath("config"));
    if (!blocker.open(QIODevice::WriteOnly)) qFatal("cannot make the blocking file");
    return dir.filePath("config/Tavo.ini");
}

// The bytes of a literal, NULs included.
template <std::size_t N> QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class SettingsStoreTest : public QObject
{
    Q_OBJECT
private slots:
    void freshStoreReadsEmpty()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("Tavo.ini"));
        QCOMPARE(store.readSetting("xxx"), QString());
        QCOMPARE(store.readSetting("guagen"), QString());
    }

    void everyKeySurvivesWriteAndReadBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        const QList<QPair<QString, QString>> values = {
            {"ce", "1"},    {"n", "2"},     {"ctime", "3"},      {"etime", "5"},
            {"rd", "0"},    {"psave", "1"}, {"ssave", "1"},      {"visi", "0"},
            {"voice", "1"}, {"guage", "1"}, {"guagen", "11000"}, {"red", "0"},
            {"mark", "0"},  {"xxx", "1"},   {"left", "8237.5"},  {"sspeed", "150"}};
        {
            SettingsStore store(path);
            for (const auto& [key, text] : values)
                store.writeSetting(key, text);
        }
        SettingsStore reopened(path);
        for (const auto& [key, text] : values)
            QCOMPARE(reopened.readSetting(key), text);
        // Everything lives in one section of the store.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.startsWith("[German]"));
        QCOMPARE(content.count('['), 1);
    }

    void missingFoldersAreMade()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("home/.config/Tavo.ini");
        SettingsStore store(path);
        store.writeSetting("xxx", "1");
        QCOMPARE(SettingsStore(path).readSetting("xxx"), QStringLiteral("1"));
    }

    void writeReplacesValue()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("Tavo.ini"));
        store.writeSetting("n", "2");
        store.writeSetting("n", "7");
        QCOMPARE(SettingsStore(dir.filePath("Tavo.ini")).readSetting("n"), QStringLiteral("7"));
    }

    void handEditedValuesReadAsTyped()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[German]\nn=2, 3\nce= 1 \nguage=\"4\"\n");
        file.close();
        SettingsStore store(path);
        QCOMPARE(store.readSetting("n"), QStringLiteral("2, 3"));
        QCOMPARE(store.readSetting("ce").trimmed(), QStringLiteral("1"));
        QCOMPARE(store.readSetting("guage"), QStringLiteral("4"));
    }

    void failedWriteRaisesAndNamesThePath()
    {
        QTemporaryDir dir;
        const QString path = unwritablePath(dir);
        SettingsStore store(path);
        try {
            store.writeSetting("left", "5680");
            QFAIL("the write was reported as done");
        } catch (const StoreWriteError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(path), error.what());
        }
    }

    void writeAfterAFailureIsJudgedOnItsOwn()
    {
        QTemporaryDir dir;
        const QString path = unwritablePath(dir);
        SettingsStore store(path);
        QVERIFY_THROWS_EXCEPTION(StoreWriteError, store.writeSetting("n", "3"));
        // The folder becomes writable again: the next writes succeed and say so.
        QVERIFY(QFile::remove(dir.filePath("config")));
        QVERIFY(QDir(dir.path()).mkdir("config"));
        store.writeSetting("voice", "1");
        store.writeSetting("left", "5680");
        QCOMPARE(SettingsStore(path).readSetting("left"), QStringLiteral("5680"));
    }

    // Files an editor or a broken disk may leave: what cannot be read is passed over, the keys around it
    // keep their values, and saving works and says so.
    void oddLinesArePassedOver_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("byte-order mark") << bytes("\xEF\xBB\xBF[German]\nce=0\nn=3\nguagen=10205\n");
        QTest::newRow("line of binary junk")
            << bytes("[German]\nce=0\n\x01\x02\xFF\xFE\x7F\x80junk\nn=3\nguagen=10205\n");
        QTest::newRow("line without a value")
            << bytes("[German]\nce=0\nthis is no setting\nn=3\nguagen=10205\n");
        QTest::newRow("mark and junk")
            << bytes("\xEF\xBB\xBF[German]\nce=0\n\x00\x01\x02\nn=3\nguagen=10205\n");
        // Another program's number that is no number never equals itself as a number; as text it does.
        QTest::newRow("not-a-number elsewhere")
            << bytes("[Other]\nratio=@Variant(\\0\\0\\0\\x6\\x7f\\xf8\\0\\0\\0\\0\\0\\0)\n"
                     "[German]\nce=0\nn=3\nguagen=10205\n");
        // Typed by hand, a serialised value whose decoding would ask for gigabytes: kept as its text.
        QTest::newRow("serialised value asking for gigabytes") << bytes(
            "[German]\nce=0\nxxx=@Variant(\\0\\0\\0\\v7f\\0\\0\\0\\x18QString)\nn=3\nguagen=10205\n");
    }
    void oddLinesArePassedOver()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        writeFile(path, content);
        SettingsStore store(path);
        QCOMPARE(store.readSetting("ce"), QStringLiteral("0"));
        QCOMPARE(store.readSetting("n"), QStringLiteral("3"));
        store.writeSettings({{"voice", "1"}, {"left", "5680"}, {"guagen", "10206"}});
        store.writeSetting("rd", "1");
        SettingsStore reopened(path);
        const QList<QPair<QString, QString>> expected = {
            {"ce", "0"}, {"n", "3"}, {"voice", "1"}, {"left", "5680"}, {"guagen", "10206"}, {"rd", "1"}};
        for (const auto& [key, text] : expected)
            QCOMPARE(reopened.readSetting(key), text);
        QCOMPARE(store.replacements(), 2);
    }

    // The same files where nothing can be written: the odd lines do not hide the failure.
    void oddLinesDoNotHideAFailedWrite_data() { oddLinesArePassedOver_data(); }
    void oddLinesDoNotHideAFailedWrite()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString folder = dir.filePath("config");
        QVERIFY(QDir(dir.path()).mkdir("config"));
        const QString path = folder + "/Tavo.ini";
        writeFile(path, content);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        bool raised = false;
        {
            OrdinaryUser user;
            SettingsStore store(path);
            try {
                store.writeSettings({{"voice", "1"}, {"guagen", "10206"}});
            } catch (const StoreWriteError&) {
                raised = true;
            }
            QVERIFY_THROWS_EXCEPTION(StoreWriteError, store.writeSetting("rd", "1"));
        }
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
        QVERIFY2(raised, "a write that did not reach the file was reported as done");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
        // Writable again: the next write is judged on its own and carries nothing of the failed ones.
        SettingsStore store(path);
        store.writeSetting("n", "5");
        QCOMPARE(SettingsStore(path).readSetting("n"), QStringLiteral("5"));
        QCOMPARE(SettingsStore(path).readSetting("ce"), QStringLiteral("0"));
        QCOMPARE(SettingsStore(path).readSetting("guagen"), QStringLiteral("10205"));
        QCOMPARE(SettingsStore(path).readSetting("voice"), QString());
    }

    // The lock beside the store can be made but the store itself not written (a disk that fills up):
    // the format error of the junk line must not pass the failure off as a success. A limit on the size
    // of the files this process may write stands in for the full disk.
    void formatErrorDoesNotHideAFailedWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        QByteArray content = bytes("[German]\nce=0\n\x01\x02 junk\n");
        for (int i = 0; i < 100; ++i)
            content += "key" + QByteArray::number(i) + "=" + QByteArray(20, 'x') + "\n";
        writeFile(path, content);
        SettingsStore store(path);
        struct rlimit saved = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit small = saved;
        small.rlim_cur = 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        bool raised = false;
        try {
            store.writeSettings({{"voice", "1"}});
        } catch (const StoreWriteError&) {
            raised = true;
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(raised, "a write that did not reach the file was reported as done");
        QCOMPARE(file.readAll(), content);
    }

    void manyKeysAreOneReplacement()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        SettingsStore store(path);
        store.writeSettings({{"ce", "1"}, {"n", "2"}, {"ctime", "3"}, {"xxx", "1"}});
        QCOMPARE(store.replacements(), 1);
        QCOMPARE(SettingsStore(path).readSetting("ctime"), QStringLiteral("3"));
        QCOMPARE(SettingsStore(path).readSetting("xxx"), QStringLiteral("1"));
    }

    void failedReplacementKeepsNothingOfIt()
    {
        QTemporaryDir dir;
        const QString path = unwritablePath(dir);
        SettingsStore store(path);
        QVERIFY_THROWS_EXCEPTION(StoreWriteError, store.writeSettings({{"ce", "0"}, {"n", "4"}}));
        QCOMPARE(store.replacements(), 0);
        QVERIFY(QFile::remove(dir.filePath("config")));
        QVERIFY(QDir(dir.path()).mkdir("config"));
        store.writeSettings({{"voice", "1"}});
        // The failed write's keys were dropped, not carried into the next one.
        QCOMPARE(SettingsStore(path).readSetting("voice"), QStringLiteral("1"));
        QCOMPARE(SettingsStore(path).readSetting("n"), QString());
    }

    // A file that is replaced but whose folder cannot be flushed to disk may be lost in a power cut: that
    // is no save. An ordinary user meets it in a folder they may write but not read.
    void folderThatCannotBeFlushedFailsTheSave()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("config");
        QVERIFY(QDir(dir.path()).mkdir("config"));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0300), 0);
        const QString path = folder + "/Tavo.ini";
        bool raised = false;
        {
            OrdinaryUser user;
            SettingsStore store(path);
            try {
                store.writeSetting("left", "5680");
            } catch (const StoreWriteError& error) {
                raised = QString::fromStdString(error.what()).contains(path);
            }
        }
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
        QVERIFY2(raised, "a save whose folder was not flushed was reported as done");
    }

    // Without a runtime folder, the shared temporary folder holds nothing of the store's saves: another
    // user could make the lock file a save waits on. A private folder of the user's own in it is used,
    // or, when someone else's stands in its place, the store's own folder.
    void savesLeaveNothingInTheSharedTemporaryFolder_data()
    {
        QTest::addColumn<bool>("privateFolderTaken");
        QTest::newRow("private folder made") << false;
        QTest::newRow("private folder taken by another") << true;
    }
    void savesLeaveNothingInTheSharedTemporaryFolder()
    {
        QFETCH(bool, privateFolderTaken);
        QTemporaryDir shared;
        QTemporaryDir home;
        const QString own = shared.filePath(QStringLiteral("dialoon-%1").arg(::geteuid()));
        if (privateFolderTaken) {
            QVERIFY(QDir().mkpath(own));
            QVERIFY(::chmod(QFile::encodeName(own).constData(), 0777) == 0);
        }
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray temporary = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_RUNTIME_DIR", runtime);
            qputenv("TMPDIR", temporary);
        });
        SettingsStore store(home.filePath("Tavo.ini"));
        store.writeSettings({{"ce", "1"}, {"guagen", "10206"}});
        QCOMPARE(SettingsStore(home.filePath("Tavo.ini")).readSetting("guagen"), QStringLiteral("10206"));
        const QStringList left =
            QDir(shared.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left, QStringList{QFileInfo(own).fileName()});
        QVERIFY(QDir(own).entryList(QDir::Files | QDir::Hidden).isEmpty()); // scratch files are removed
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
