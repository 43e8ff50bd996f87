// Start-up and the saves at exit, on a real settings file in a temporary directory.
#include "EngineRig.h"

#include "app/ExitSave.h"
#include "app/PlaceKeeper.h"
#include "app/SettingsSave.h"
#include "app/SettingsStore.h"
#include "app/Startup.h"
#include "base/Errors.h"
#include "support/OrdinaryUser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dialoon;

namespace {

const QStringList kKeys = {"ce",    "n",     "ctime",  "etime", "rd",   "psave", "ssave", "visi",
                           "voice", "guage", "guagen", "red",   "mark", "xxx",   "left",  "sspeed"};

struct StartupRig : EngineRig
{
    QTemporaryDir dir;
    QString path = dir.filePath("Tavo.ini");
    std::unique_ptr<SettingsStore> store;
    int characterPrepared = 0;

    // Opens the store as the program does when it starts, after whatever the test wrote into it.
    void run()
    {
        store = std::make_unique<SettingsStore>(path);
        Startup(state, strip, *store, platform, selector).run([this] { ++characterPrepared; });
    }

    void writeStore(const QByteArray& ini) { writeFile("[German]\n" + ini); }

    void writeFile(const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray fileContent()
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString stored(const QString& key) { return SettingsStore(path).readSetting(key); }
};

const QByteArray kSequenceStore = "ce=0\nn=3\nctime=4\netime=6\nrd=1\npsave=1\nssave=1\nvisi=1\nvoice=0\n"
                                  "guage=2\nguagen=10205\nred=7\nmark=1\nxxx=1\nleft=1234.5\nsspeed=99\n";

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void emptyStoreGetsFirstRunValues()
    {
        StartupRig rig;
        rig.run();
        const QStringList expected = {"1", "2", "3",     "5", "0", "1", "1",    "0",
                                      "1", "1", "11000", "0", "0", "1", "5680", "150"};
        for (int i = 0; i < kKeys.size(); ++i)
            QCOMPARE(rig.stored(kKeys[i]), expected[i]);
        QCOMPARE(rig.state.repeatCount, 2);
        QCOMPARE(rig.state.germanSeconds, 5);
        QCOMPARE(rig.state.englishSeconds, 3);
        QCOMPARE(rig.state.speedSetting, 150);
        QCOMPARE(rig.strip.left, 5680.0);
        QCOMPARE(rig.strip.top, 0.0);
        QCOMPARE(rig.strip.height, 340.0);
        QCOMPARE(rig.characterPrepared, 1);
        QVERIFY(rig.platform.messages.isEmpty() && rig.platform.warnings.isEmpty());
        QVERIFY(rig.platform.topmost);
        QCOMPARE(rig.platform.strip, (PixelRect{379, 0, 856, 23}));
        // The splash sits near the middle of the screen.
        QCOMPARE(rig.strip.splashTop, 768 * 15 / 2 - 1800.0);
        QCOMPARE(rig.strip.splashLeft, 1024 * 15 / 2 - 1000.0);
        QVERIFY(rig.strip.splashOpen);
    }

    void timersAndCountersAreArmed()
    {
        StartupRig rig;
        rig.writeStore(kSequenceStore);
        rig.state.cycleTicks = 5;
        rig.run();
        const bool expected[kTimerCount] = {true, true, false, false, false};
        for (int t = 0; t < kTimerCount; ++t)
            QCOMPARE(rig.strip.timerEnabled[t], expected[t]);
        QCOMPARE(rig.state.cycleTicks, 0);
        QCOMPARE(rig.state.cyclePhase, 0);
        QCOMPARE(rig.state.welcomeCountdown, 70);
        QCOMPARE(rig.strip.barColour, 10);
        QCOMPARE(rig.strip.barColourNext, 12);
        QCOMPARE(rig.strip.barColourLast, 10);
        // The first sentence is loaded and, in sequence mode, the place moved on.
        QCOMPARE(rig.strip.germanText, *rig.catalogue.text(10205));
        QCOMPARE(rig.state.sentenceId, 10206);
    }

    void storedValuesAreReadAsTheyAre()
    {
        StartupRig rig;
        rig.writeStore(kSequenceStore);
        rig.run();
        const AppState& s = rig.state;
        QCOMPARE((QList<int>{s.germanFirst, s.repeatCount, s.englishSeconds, s.germanSeconds,
                             s.sequentialPlay, s.saveSchedule, s.saveSettings, s.autoHide, s.readAloud,
                             s.lessonIndex, s.redSetting, s.startWithWindows, s.speedSetting}),
                 (QList<int>{0, 3, 4, 6, 1, 1, 1, 1, 0, 2, 7, 1, 99}));
        QCOMPARE(rig.strip.left, 1234.5);
        QVERIFY(rig.platform.messages.isEmpty() && rig.platform.warnings.isEmpty());
        // Nothing is written when the store has been set up before.
        QCOMPARE(rig.stored("red"), QStringLiteral("7"));
        // Without the key the character speaks at the usual rate; with it, as the user chose.
        QCOMPARE(s.slowSpeech, 0);
        StartupRig slow;
        slow.writeStore(kSequenceStore + "slow=1\n");
        slow.run();
        QCOMPARE(slow.state.slowSpeech, 1);
    }

    void unreadableKeysUseFirstRunValues_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("named"); // how the message names the key and its text
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value"); // the value in force afterwards
        QTest::newRow("missing key") << QByteArray("xxx=1\n") << "ce = \"\""
                                     << "ce" << 1;
        QTest::newRow("not a number") << QByteArray("xxx=1\nn=abc\n") << "n = \"abc\""
                                      << "n" << 2;
        QTest::newRow("outside 16 bits") << QByteArray("xxx=1\nguagen=40000\n") << "guagen = \"40000\""
                                         << "guagen" << 11000;
        QTest::newRow("left garbled") << QByteArray("xxx=1\nleft=far\n") << "left = \"far\""
                                      << "left" << 5680;
        QTest::newRow("seconds too long to count")
            << QByteArray("xxx=1\netime=3000\nctime=900\n") << "etime = \"3000\""
            << "etime" << 5;
        QTest::newRow("seconds hidden by a negative partner")
            << QByteArray("xxx=1\netime=4000\nctime=-1000\n") << "etime = \"4000\""
            << "etime" << 5;
        QTest::newRow("negative seconds too long")
            << QByteArray("xxx=1\netime=-4000\nctime=3\n") << "etime = \"-4000\""
            << "etime" << 5;
        QTest::newRow("slow speech garbled") << QByteArray("xxx=1\nslow=very\n") << "slow = \"very\""
                                             << "slow" << 0;
    }
    void unreadableKeysUseFirstRunValues()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, named);
        QFETCH(QString, key);
        QFETCH(int, value);
        StartupRig rig;
        rig.writeStore(ini);
        rig.run();
        QCOMPARE(rig.platform.warnings.size(), 1);
        QVERIFY2(rig.platform.warnings[0].contains(named), qPrintable(rig.platform.warnings[0]));
        QVERIFY(rig.platform.warnings[0].contains(rig.path));
        const QMap<QString, double> inForce = {
            {"ce", rig.state.germanFirst},      {"n", rig.state.repeatCount},
            {"guagen", rig.state.sentenceId},   {"left", rig.strip.left},
            {"etime", rig.state.germanSeconds}, {"slow", rig.state.slowSpeech}};
        QCOMPARE(inForce.value(key), value);
        // The stored text stays as it is until a save rewrites it; no first-run values are written.
        QCOMPARE(rig.stored(key), QString::fromLatin1(ini).section(key + "=", 1, 1).section('\n', 0, 0));
        QCOMPARE(rig.stored("sspeed"), QString());
    }

    void leftOffTheScreenIsPulledBack_data()
    {
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<double>("expected");
        QTest::newRow("saved on a wider screen") << QByteArray("25000") << 15360.0 - 7110.0;
        QTest::newRow("left of the screen") << QByteArray("-3000") << 0.0;
        QTest::newRow("fraction kept") << QByteArray("8237.5") << 8237.5;
    }
    // The strip is placed on the screen; the place the user chose is kept for a wider screen again.
    void leftOffTheScreenIsPulledBack()
    {
        QFETCH(QByteArray, left);
        QFETCH(double, expected);
        StartupRig rig;
        rig.writeStore(kSequenceStore + "left=" + left + "\n");
        rig.run();
        QCOMPARE(rig.strip.left, expected);
        ExitSave::save(rig.state, rig.strip, *rig.store);
        QCOMPARE(rig.stored("left"), QString::fromLatin1(left));
    }

    void exitSaves_data()
    {
        QTest::addColumn<int>("sequentialPlay");
        QTest::addColumn<int>("saveSchedule");
        QTest::addColumn<QString>("guagen");
        QTest::newRow("sequence, schedule kept") << 1 << 1 << "10207";
        QTest::newRow("random") << 0 << 1 << "10205";
        QTest::newRow("schedule not kept") << 1 << 0 << "10205";
        QTest::newRow("sequence other than 1") << 2 << 1 << "10205";
    }
    void exitSaves()
    {
        QFETCH(int, sequentialPlay);
        QFETCH(int, saveSchedule);
        QFETCH(QString, guagen);
        StartupRig rig;
        rig.writeStore(kSequenceStore);
        rig.run();
        rig.state.sequentialPlay = static_cast<std::int16_t>(sequentialPlay);
        rig.state.saveSchedule = static_cast<std::int16_t>(saveSchedule);
        rig.state.sentenceId = 10207;
        rig.strip.chosenLeft = 4321.25;
        ExitSave::save(rig.state, rig.strip, *rig.store);
        QCOMPARE(rig.stored("voice"), QStringLiteral("0"));
        QCOMPARE(rig.stored("left"), QStringLiteral("4321.25"));
        QCOMPARE(rig.stored("guagen"), guagen);
        QCOMPARE(rig.stored("ce"), QStringLiteral("0")); // nothing else is written
    }

    // While the program runs, the place reached is written when it moved, in sequence mode with the
    // place kept at exit; an exit from any thread writes what the last handler left.
    void thePlaceIsKeptWhileRunning_data() { exitSaves_data(); }
    void thePlaceIsKeptWhileRunning()
    {
        QFETCH(int, sequentialPlay);
        QFETCH(int, saveSchedule);
        QFETCH(QString, guagen);
        StartupRig rig;
        rig.writeStore(kSequenceStore);
        rig.run();
        PlaceKeeper keeper(rig.path, 0);
        rig.state.sequentialPlay = static_cast<std::int16_t>(sequentialPlay);
        rig.state.saveSchedule = static_cast<std::int16_t>(saveSchedule);
        rig.state.sentenceId = 10207;
        rig.state.readAloud = 1;
        keeper.publish(rig.state, rig.strip);
        const bool kept = guagen == QStringLiteral("10207");
        QCOMPARE(keeper.writeIfMoved(), kept);
        QCOMPARE(keeper.writeIfMoved(), false); // not moved since
        QCOMPARE(rig.stored("guagen"), guagen);
        QCOMPARE(rig.stored("voice"), QStringLiteral("0")); // the rest waits for the exit
        QVERIFY(keeper.saveAll());
        QCOMPARE(rig.stored("voice"), QStringLiteral("1"));
    }

    void dialogSaveKeepsThirteenKeysAfterTheLogonEntry()
    {
        StartupRig rig;
        rig.writeStore(kSequenceStore);
        rig.run();
        rig.state.lessonIndex = 9;
        rig.state.repeatCount = 4;
        rig.state.startWithWindows = 1;
        rig.state.sentenceId = 10999;
        rig.state.readAloud = 1;
        rig.strip.left = 1.0;
        SettingsSave::save(rig.state, *rig.store, rig.platform);
        QCOMPARE(rig.platform.logonEntries, QStringList{"write /opt/dialoon/bin/dialoon"});
        QCOMPARE(rig.stored("guage"), QStringLiteral("9"));
        QCOMPARE(rig.stored("n"), QStringLiteral("4"));
        QCOMPARE(rig.stored("mark"), QStringLiteral("1"));
        QCOMPARE(rig.stored("xxx"), QStringLiteral("1"));
        QCOMPARE(rig.stored("red"), QStringLiteral("7")); // carried through unchanged
        QCOMPARE(rig.stored("sspeed"), QStringLiteral("99"));
        // Exit's keys are not the dialog's.
        QCOMPARE(rig.stored("guagen"), QStringLiteral("10205"));
        QCOMPARE(rig.stored("voice"), QStringLiteral("0"));
        QCOMPARE(rig.stored("left"), QStringLiteral("1234.5"));
    }

    // A logon entry that cannot be written or removed is named in the one warning of a failed save, with
    // or without the store; the store is written all the same.
    void dialogSaveNamesAFailedLogonEntry_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<bool>("storeFails");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("entry not written")
            << 1 << false << QStringList{"/autostart/x.desktop", "other settings were saved"};
        QTest::newRow("entry not removed")
            << 0 << false << QStringList{"/autostart/x.desktop", "other settings were saved"};
        QTest::newRow("entry and store") << 1 << true << QStringList{"/autostart/x.desktop", "Tavo.ini"};
    }
    void dialogSaveNamesAFailedLogonEntry()
    {
        QFETCH(int, flag);
        QFETCH(bool, storeFails);
        QFETCH(QStringList, named);
        StartupRig rig;
        rig.writeStore(kSequenceStore);
        rig.run();
        rig.state.startWithWindows = static_cast<std::int16_t>(flag);
        rig.state.lessonIndex = 9;
        rig.platform.logonProblem =
            QStringLiteral("the start-at-logon entry /autostart/x.desktop could not be written");
        if (storeFails) QVERIFY(QFile::setPermissions(rig.dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QString warning;
        {
            OrdinaryUser user;
            try {
                SettingsSave::save(rig.state, *rig.store, rig.platform);
            } catch (const StoreWriteError& error) {
                warning = QString::fromStdString(error.what());
            }
        }
        QFile::setPermissions(rig.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& part : named)
            QVERIFY2(warning.contains(part), qPrintable(warning));
        QCOMPARE(rig.stored("guage"), storeFails ? QStringLiteral("2") : QStringLiteral("9"));
    }

    // Each save goes to disk as one replacement of the store, so that a kill cannot leave half of it.
    void eachSaveIsOneReplacement_data()
    {
        QTest::addColumn<QString>("save");
        QTest::newRow("first run") << "first run";
        QTest::newRow("settings dialog") << "dialog";
        QTest::newRow("exit") << "exit";
    }
    void eachSaveIsOneReplacement()
    {
        QFETCH(QString, save);
        StartupRig rig;
        if (save != "first run") rig.writeStore(kSequenceStore);
        rig.run();
        if (save == "dialog")
            SettingsSave::save(rig.state, *rig.store, rig.platform);
        else if (save == "exit")
            ExitSave::save(rig.state, rig.strip, *rig.store);
        QCOMPARE(rig.store->replacements(), 1);
    }

    void firstRunWritesTheUsualFile()
    {
        StartupRig rig;
        rig.run();
        QCOMPARE(rig.fileContent(),
                 QByteArray("[German]\nce=1\nctime=3\netime=5\nguage=1\nguagen=11000\nleft=5680\n"
                            "mark=0\nn=2\npsave=1\nrd=0\nred=0\nssave=1\nsspeed=150\nvisi=0\n"
                            "voice=1\nxxx=1\n"));
    }

    // A store that starts with a byte-order mark or holds a line of junk is read past; exit keeps the
    // whole place, and says nothing of a failure.
    void exitSavesPastOddLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("within");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") << QByteArray();
        QTest::newRow("line of junk") << QByteArray() << QByteArray("\x01\x02\xFF\xFE junk\n");
    }
    void exitSavesPastOddLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, within);
        StartupRig rig;
        rig.writeFile(before + "[German]\n" + within + kSequenceStore);
        rig.run();
        QVERIFY2(rig.platform.warnings.isEmpty(), qPrintable(rig.platform.warnings.join('\n')));
        QCOMPARE(rig.state.lessonIndex, 2);
        rig.state.sentenceId = 10207;
        rig.strip.chosenLeft = 4321.25;
        ExitSave::save(rig.state, rig.strip, *rig.store);
        QCOMPARE(rig.stored("voice"), QStringLiteral("0"));
        QCOMPARE(rig.stored("left"), QStringLiteral("4321.25"));
        QCOMPARE(rig.stored("guagen"), QStringLiteral("10207"));
        QCOMPARE(rig.stored("red"), QStringLiteral("7"));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
