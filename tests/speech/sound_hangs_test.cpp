// A sound server that accepts the connection and never answers: the worker hangs in it, yet calls
// return at once, the queue goes on after the watchdog, one line says so, and closing does not hang.
#include "StderrCapture.h"

#include "platform/x11/QtPlatform.h"
#include "speech/Character.h"
#include "speech/EspeakEngine.h"
#include "speech/SpeechAgent.h"
#include "speech/Voice.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace dialoon;

class SoundHangsTest : public QObject
{
    Q_OBJECT

    QtPlatform platform;

private:
    QTemporaryDir folder;
    QLocalServer silentServer;
    std::unique_ptr<StderrCapture> errors;

private slots:
    void initTestCase()
    {
        const QString socket = folder.filePath(QStringLiteral("native"));
        QVERIFY(silentServer.listen(socket));
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        errors = std::make_unique<StderrCapture>();
    }

    // A worker left behind in a hanging sound server, once the server lets go, ends without touching the
    // speech engine again: at a normal end of the process the engine may already be going away. First,
    // while no other worker hangs, and with a server of its own.
    void workerLeftBehindLeavesTheEngineAlone()
    {
        // The engine reaches for the sound server itself when it starts: started here, where no server
        // listens, so that the worker below hangs in opening its own sound output.
        const QByteArray silent = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", ("unix:" + folder.filePath(QStringLiteral("nothing"))).toLocal8Bit());
        QVERIFY(EspeakEngine::sampleRate() > 0);
        QLocalServer hangingServer;
        QVERIFY(hangingServer.listen(folder.filePath(QStringLiteral("hanging"))));
        qputenv("PULSE_SERVER", ("unix:" + hangingServer.fullServerName()).toLocal8Bit());
        QSignalSpy connected(&hangingServer, &QLocalServer::newConnection);
        auto voice = std::make_unique<Voice>();
        voice->speak(QStringLiteral("Guten Abend.  "), LanguageId::kGerman);
        QTRY_VERIFY_WITH_TIMEOUT(connected.count() >= 1, 10000); // the worker now waits for the server
        qputenv("PULSE_SERVER", silent);
        voice.reset();
        QCOMPARE(Voice::runningWorkers(), 1);
        const quint64 synthesised = EspeakEngine::syntheses();
        hangingServer.close(); // lets go of the worker
        QTRY_COMPARE_WITH_TIMEOUT(Voice::runningWorkers(), 0, 10000);
        QCOMPARE(EspeakEngine::syntheses(), synthesised);
    }

    void queueGoesOnWithoutTheVoice()
    {
        auto agent = std::make_unique<SpeechAgent>(platform);
        agent->Characters().Load(QStringLiteral("Peedy"));
        Character& peedy = agent->Characters().Item(QStringLiteral("Peedy"));
        peedy.Show();
        QSignalSpy finished(&peedy, &Character::requestFinished);
        const int first = peedy.Speak(QStringLiteral("Guten Tag.  "));
        const int wave = peedy.Play(QStringLiteral("Wave"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
        QCOMPARE(finished.at(0).at(0).toInt(), first);
        QCOMPARE(finished.at(1).at(0).toInt(), wave);

        // Given up on once, the voice is not waited for again beyond the time to read the sentence.
        peedy.Speak(QStringLiteral("Hallo.  "));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 5000);

        QElapsedTimer closing;
        closing.start();
        agent.reset();
        QVERIFY2(closing.elapsed() < 5000, "closing waited for the hanging sound server");
    }

    void oneLineOnStandardError()
    {
        const QStringList lines = errors->release();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(QStringLiteral("did not answer")), qPrintable(lines.first()));
    }
};

QTEST_MAIN(SoundHangsTest)
#include "sound_hangs_test.moc"
