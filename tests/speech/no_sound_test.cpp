// Without a sound server or sound device the character speaks silently at the voice's pace: requests
// finish in order, nothing is thrown and one line on standard error says there is no sound.
#include "StderrCapture.h"

#include "platform/x11/QtPlatform.h"
#include "speech/Character.h"
#include "speech/SpeechAgent.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <memory>

using namespace dialoon;

class NoSoundTest : public QObject
{
    Q_OBJECT

    QtPlatform platform;

private:
    QTemporaryFile noAlsaCards;
    std::unique_ptr<StderrCapture> errors;

private slots:
    void initTestCase()
    {
        // No sound server at this address, and an ALSA without devices: the same on every machine.
        qputenv("PULSE_SERVER", "unix:/nonexistent/dialoon-test-pulse");
        QVERIFY(noAlsaCards.open());
        qputenv("ALSA_CONFIG_PATH", noAlsaCards.fileName().toLocal8Bit());
        errors = std::make_unique<StderrCapture>();
    }

    void characterSpeaksSilentlyInOrder()
    {
        SpeechAgent agent(platform);
        agent.Characters().Load(QStringLiteral("Peedy"));
        Character& peedy = agent.Characters().Item(QStringLiteral("Peedy"));
        peedy.Show();
        QSignalSpy finished(&peedy, &Character::requestFinished);
        const int first = peedy.Speak(QStringLiteral("Guten Abend.  "));
        const int wave = peedy.Play(QStringLiteral("Wave"));
        const int second = peedy.Speak(QStringLiteral("Gute Nacht.  "));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 30000);
        QCOMPARE(finished.at(0).at(0).toInt(), first);
        QCOMPARE(finished.at(1).at(0).toInt(), wave);
        QCOMPARE(finished.at(2).at(0).toInt(), second);
    }

    // Last, so that it sees everything the others made the component write.
    void oneLineOnStandardError()
    {
        const QStringList lines = errors->release();
        QCOMPARE(lines.size(), 1); // nothing from the sound libraries underneath either
        QVERIFY2(
            lines.first().startsWith(QStringLiteral("Dialoon: no sound server or sound device answered")),
            qPrintable(lines.first()));
    }
};

QTEST_MAIN(NoSoundTest)
#include "no_sound_test.moc"
