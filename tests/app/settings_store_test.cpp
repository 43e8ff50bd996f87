// The settings store on a real INI file in a temporary directory.
#include "engine/Errors.h"
#include "app/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dialoon;

namespace {

// A store in dir/config/Tavo.ini where "config" is a file: its folder cannot be made, even by root.
QString unwritablePath(const QTemporaryDir& dir)
{
    QFile blocker(dir.filePath("config"));
    if (!blocker.open(QIODevice::WriteOnly))
        qFatal("cannot make the blocking file");
    return dir.filePath("config/Tavo.ini");
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
            {"ce", "1"},   {"n", "2"},       {"ctime", "3"}, {"etime", "5"},     {"rd", "0"},
            {"psave", "1"}, {"ssave", "1"},  {"visi", "0"},  {"voice", "1"},     {"guage", "1"},
            {"guagen", "11000"}, {"red", "0"}, {"mark", "0"}, {"xxx", "1"}, {"left", "8237.5"},
            {"sspeed", "150"}};
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
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
