// Quiet and below for a fullscreen window: the course plays on unheard, and the windows and the voice
// come back with the next German showing once the window is gone. Stepped tick by tick with the fake platform.
#include "EngineRig.h"

#include <QTest>

using namespace dialoon;

namespace {

const QString kSpeak = QStringLiteral("speak:");

int spoken(const QStringList& requests)
{
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [](const QString& r) { return r.startsWith(kSpeak); }));
}

// Plays the course from its first sentence, German first, reading aloud.
void startPlaying(EngineRig& rig)
{
    rig.state.showingsDone = 0;
    rig.selector.Load_Next_Sentence();
    rig.strip.timerEnabled[Timer5] = true;
}

} // namespace

class FullscreenStepAsideTest : public QObject
{
    Q_OBJECT

private slots:
    void aSentenceIsSpokenWhileNothingIsFullscreen()
    {
        EngineRig rig;
        startPlaying(rig);
        rig.ticks(Timer5, 1);
        QCOMPARE(rig.speech.requests.value(0), kSpeak + QStringLiteral("Guten Tag.  "));
    }

    void fullscreenStopsTheSentenceAndKeepsTheCharacterQuiet()
    {
        EngineRig rig;
        startPlaying(rig);
        rig.ticks(Timer5, 1);
        rig.platform.setFullscreen(true);
        QCOMPARE(rig.speech.requests.last(), QStringLiteral("stop"));
        rig.speech.requests.clear();

        const std::int16_t placeBefore = rig.state.sentenceId;
        rig.ticks(Timer5, 10 * 60 * 10); // ten minutes of the cycle
        QCOMPARE(spoken(rig.speech.requests), 0);
        QVERIFY(rig.state.sentenceId != placeBefore); // the course went on underneath
        QVERIFY(!rig.platform.onTop);
        QCOMPARE(rig.platform.raises, 0);
    }

    void theNextGermanShowingIsSpokenWhenFullscreenEnds()
    {
        EngineRig rig;
        startPlaying(rig);
        rig.platform.setFullscreen(true);
        rig.ticks(Timer5, 300);
        rig.speech.requests.clear();

        rig.platform.setFullscreen(false);
        QVERIFY(rig.platform.onTop);
        QCOMPARE(rig.platform.raises, 1);
        for (int i = 0; i < 400 && spoken(rig.speech.requests) == 0; ++i)
            rig.ticks(Timer5, 1);
        QCOMPARE(spoken(rig.speech.requests), 1);
        QCOMPARE(rig.speech.requests.first(), kSpeak + rig.strip.germanText);
    }

    void aProgramStartedOverAFullscreenWindowStartsQuietAndBelow()
    {
        FakePlatform platform;
        SpeechLog speech;
        platform.fullscreen = true;
        FullscreenStepAside late(platform, speech);
        QVERIFY(late.steppedAside());
        QVERIFY(!platform.onTop);
        speech.requests.clear();
        late.speak(QStringLiteral("Hallo.  "));
        QVERIFY(speech.requests.isEmpty());
    }

    void repeatedReportsOfTheSameStateChangeNothing()
    {
        EngineRig rig;
        rig.platform.setFullscreen(false);
        QCOMPARE(rig.platform.raises, 0);
        rig.platform.setFullscreen(true);
        rig.platform.setFullscreen(true);
        QCOMPARE(rig.speech.requests, QStringList{QStringLiteral("stop")});
    }
};

QTEST_GUILESS_MAIN(FullscreenStepAsideTest)
#include "fullscreen_step_aside_test.moc"
