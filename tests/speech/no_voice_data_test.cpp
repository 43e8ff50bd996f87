// Without espeak-ng's data the character still shows, moves and shows its sentences; nothing is thrown
// at the caller and one line on standard error says why there is no speech.
#include "StderrCapture.h"

#include "base/Errors.h"
#include "platform/x11/QtPlatform.h"
#include "speech/Character.h"
#include "speech/SpeechAgent.h"
#include "speech/SpeechBalloon.h"
#include "speech/Voice.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace dialoon;

class NoVoiceDataTest : public QObject
{
    Q_OBJECT

    QtPlatform platform;

private:
    QTemporaryDir emptyData;
    std::unique_ptr<StderrCapture> errors;

private slots:
    void initTestCase()
    {
        // An espeak-ng data folder with nothing in it, as after a broken installation.
        QVERIFY(QDir(emptyData.path()).mkdir(QStringLiteral("espeak-ng-data")));
        qputenv("ESPEAK_DATA_PATH", emptyData.path().toLocal8Bit());
        errors = std::make_unique<StderrCapture>();
    }

    void bufferSynthesisThrows()
    {
        QVERIFY_THROWS_EXCEPTION(SpeechError,
                                 Voice::synthesizeToBuffer(QStringLiteral("Guten Tag.  "), 1031));
    }

    void characterGoesOnWithoutSpeech()
    {
        SpeechAgent agent(platform);
        agent.Characters().Load(QStringLiteral("Peedy"));
        Character& peedy = agent.Characters().Item(QStringLiteral("Peedy"));
        peedy.Show();
        peedy.setLanguageID(1031);
        QSignalSpy finished(&peedy, &Character::requestFinished);
        peedy.Speak(QStringLiteral("Guten Tag.  "));
        peedy.Play(QStringLiteral("Wave"));
        const int last = peedy.Speak(QStringLiteral("Bis morgen.  "));

        SpeechBalloon* balloon = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            balloon = balloon ? balloon : qobject_cast<SpeechBalloon*>(window);
        QVERIFY(balloon);
        QTRY_COMPARE_WITH_TIMEOUT(peedy.currentRequest(), last, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(balloon->revealed(), balloon->text().size(), 5000);
        QCOMPARE(balloon->text(), QStringLiteral("Bis morgen."));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 30000);
        QVERIFY(peedy.isVisible());
    }

    // Last, so that it sees everything the others made the component write.
    void oneLineOnStandardError()
    {
        const QStringList lines = errors->release();
        const QStringList ours = lines.filter(QStringLiteral("Dialoon:"));
        QCOMPARE(ours.size(), 1);
        QVERIFY2(ours.first().contains(QStringLiteral("espeak-ng")), qPrintable(ours.first()));
        QCOMPARE(lines.size(), 1); // and nothing from the libraries underneath
    }
};

QTEST_MAIN(NoVoiceDataTest)
#include "no_voice_data_test.moc"
