// The playback cycle and the caption effects, stepped tick by tick.
#include "EngineRig.h"

#include <QTest>

using namespace dialoon;

namespace {

const QString kBlank = QStringLiteral(" ");

// Steps the cycle alone (effects not running) and notes on which tick each caption changed.
struct Timeline
{
    int firstUp = 0, secondUp = 0, bothBlank = 0, nextShowing = 0;
};

Timeline runShowing(EngineRig& rig, bool germanFirst)
{
    Timeline line;
    for (int tick = 1; tick <= 500 && !line.nextShowing; ++tick) {
        const bool slideIn = rig.strip.timerEnabled[Timer4], slideUp = rig.strip.timerEnabled[Timer3];
        rig.cycle.tick();
        const bool startedGerman = !slideIn && rig.strip.timerEnabled[Timer4];
        const bool startedEnglish = !slideUp && rig.strip.timerEnabled[Timer3];
        // The effects are not stepped here: a started effect is noted and switched off again.
        rig.strip.timerEnabled[Timer3] = rig.strip.timerEnabled[Timer4] = false;
        const bool startedFirst = germanFirst ? startedGerman : startedEnglish;
        const bool startedSecond = germanFirst ? startedEnglish : startedGerman;
        if (startedFirst && line.firstUp)
            line.nextShowing = tick;
        else if (startedFirst)
            line.firstUp = tick;
        if (startedSecond) line.secondUp = tick;
        if (!line.bothBlank && line.secondUp && rig.state.showingsDone > 0) line.bothBlank = tick;
    }
    return line;
}

} // namespace

class PlaybackTest : public QObject
{
    Q_OBJECT
private slots:
    void timeline_data()
    {
        QTest::addColumn<bool>("germanFirst");
        QTest::addColumn<int>("germanSeconds");
        QTest::addColumn<int>("englishSeconds");
        QTest::addColumn<int>("secondUp");
        QTest::addColumn<int>("bothBlank");
        QTest::newRow("German first 5/3") << true << 5 << 3 << 51 << 82;
        QTest::newRow("English first 5/3") << false << 5 << 3 << 31 << 82;
        QTest::newRow("German first 15/15") << true << 15 << 15 << 151 << 302;
        QTest::newRow("English first 7/4") << false << 7 << 4 << 41 << 112;
    }
    void timeline()
    {
        QFETCH(bool, germanFirst);
        QFETCH(int, germanSeconds);
        QFETCH(int, englishSeconds);
        QFETCH(int, secondUp);
        QFETCH(int, bothBlank);
        EngineRig rig;
        rig.state.germanFirst = germanFirst ? 1 : 0;
        rig.state.germanSeconds = static_cast<std::int16_t>(germanSeconds);
        rig.state.englishSeconds = static_cast<std::int16_t>(englishSeconds);
        const Timeline line = runShowing(rig, germanFirst);
        QCOMPARE(line.firstUp, 1);
        QCOMPARE(line.secondUp, secondUp);
        QCOMPARE(line.bothBlank, bothBlank);
        QCOMPARE(line.nextShowing, bothBlank + 1);
        QCOMPARE(rig.strip.label1Text, kBlank);
        QCOMPARE(rig.strip.label2Text, kBlank);
        QCOMPARE(rig.strip.label2Top, 400.0f);
    }

    void germanIsSpokenWhenItComesUp_data()
    {
        QTest::addColumn<int>("readAloud");
        QTest::addColumn<bool>("germanFirst");
        QTest::addColumn<QStringList>("requests");
        const QString speak = QStringLiteral("speak:Guten Tag.  ");
        QTest::newRow("read aloud") << 1 << true << QStringList{speak, "play:Wave"};
        QTest::newRow("silent still waves") << 0 << true << QStringList{"play:Wave"};
        QTest::newRow("other values are silent") << 2 << true << QStringList{"play:Wave"};
        QTest::newRow("English first speaks German later") << 1 << false << QStringList{speak, "play:Wave"};
    }
    void germanIsSpokenWhenItComesUp()
    {
        QFETCH(int, readAloud);
        QFETCH(bool, germanFirst);
        QFETCH(QStringList, requests);
        EngineRig rig;
        rig.state.readAloud = static_cast<std::int16_t>(readAloud);
        rig.state.germanFirst = germanFirst ? 1 : 0;
        rig.state.showingsDone = 0;
        rig.selector.Load_Next_Sentence();
        rig.cycle.tick();
        QCOMPARE(rig.speech.requests.isEmpty(), !germanFirst);
        for (int i = 0; i < 81; ++i)
            rig.cycle.tick();
        QCOMPARE(rig.speech.requests, requests);
    }

    // A tick said to only count changes nothing on the strip or in the character's requests: such a
    // tick may run late, as long as the tick after the last of them does not. Most ticks are of that kind.
    void ticksThatOnlyCountChangeNothingSeen_data()
    {
        QTest::addColumn<bool>("germanFirst");
        QTest::addColumn<int>("germanSeconds");
        QTest::addColumn<int>("englishSeconds");
        QTest::addColumn<int>("repeatCount");
        QTest::addColumn<int>("lowerRepeatAt"); // the tick after which the repeat count drops to 1, or 0
        QTest::newRow("German first 5/3, twice") << true << 5 << 3 << 2 << 0;
        QTest::newRow("English first 7/4, once") << false << 7 << 4 << 1 << 0;
        QTest::newRow("1/1, three times") << true << 1 << 1 << 3 << 0;
        QTest::newRow("repeat count lowered mid-showing") << true << 5 << 3 << 3 << 120;
        QTest::newRow("repeat count zero") << true << 5 << 3 << 0 << 0;
    }
    void ticksThatOnlyCountChangeNothingSeen()
    {
        QFETCH(bool, germanFirst);
        QFETCH(int, germanSeconds);
        QFETCH(int, englishSeconds);
        QFETCH(int, repeatCount);
        QFETCH(int, lowerRepeatAt);
        EngineRig rig;
        rig.state.germanFirst = germanFirst ? 1 : 0;
        rig.state.germanSeconds = static_cast<std::int16_t>(germanSeconds);
        rig.state.englishSeconds = static_cast<std::int16_t>(englishSeconds);
        rig.state.repeatCount = static_cast<std::int16_t>(repeatCount);
        rig.selector.Load_Next_Sentence();
        const auto seen = [&rig] {
            const StripModel& s = rig.strip;
            return QStringList{s.label1Text,
                               s.label2Text,
                               s.label1ToolTip,
                               s.label2ToolTip,
                               QString::number(s.label2Top),
                               QString::number(s.timerEnabled[Timer3]),
                               QString::number(s.timerEnabled[Timer4]),
                               QString::number(rig.state.sentenceId),
                               QString::number(rig.speech.requests.size())};
        };
        int counting = 0;
        constexpr int kTicks = 600;
        for (int tick = 1; tick <= kTicks; ++tick) {
            if (tick == lowerRepeatAt) rig.state.repeatCount = 1;
            const int counts = rig.cycle.ticksOnlyCounting();
            const QStringList before = seen();
            rig.cycle.tick();
            if (counts > 0) {
                ++counting;
                QCOMPARE(seen(), before);
                // Foreseen exactly: the count runs down to the tick that does something.
                QCOMPARE(rig.cycle.ticksOnlyCounting(), counts - 1);
            }
            rig.strip.timerEnabled[Timer3] = rig.strip.timerEnabled[Timer4] = false; // effects not stepped
        }
        if (repeatCount > 0) QVERIFY(counting > kTicks * 8 / 10);
    }

    void failingCharacterDoesNotStopTheCycle()
    {
        EngineRig rig;
        rig.speech.failing = true;
        rig.selector.Load_Next_Sentence();
        for (int i = 0; i < 82; ++i)
            rig.cycle.tick();
        QCOMPARE(rig.speech.requests.size(), 2); // the wave is asked for after the failed speech
        QCOMPARE(rig.state.showingsDone, 1);
    }

    void repeatCount_data()
    {
        QTest::addColumn<int>("repeatCount");
        QTest::addColumn<QList<int>>("ticksOfNewSentence"); // the cycle ticks that load a sentence
        QTest::newRow("once") << 1 << QList<int>{83, 165, 247};
        QTest::newRow("twice") << 2 << QList<int>{165, 329};
        QTest::newRow("zero loads on every tick") << 0 << QList<int>{1, 2, 3};
    }
    void repeatCount()
    {
        QFETCH(int, repeatCount);
        QFETCH(QList<int>, ticksOfNewSentence);
        EngineRig rig;
        rig.state.repeatCount = static_cast<std::int16_t>(repeatCount);
        rig.selector.Load_Next_Sentence(); // as start-up does
        QList<int> loads;
        for (int tick = 1; loads.size() < ticksOfNewSentence.size() && tick < 400; ++tick) {
            const std::int16_t before = rig.state.sentenceId;
            rig.cycle.tick();
            rig.strip.timerEnabled[Timer3] = rig.strip.timerEnabled[Timer4] = false;
            if (rig.state.sentenceId != before) loads << tick;
        }
        QCOMPARE(loads, ticksOfNewSentence);
    }

    void slideInAndRiseWithTheirTimers()
    {
        EngineRig rig;
        rig.selector.Load_Next_Sentence();
        rig.strip.timerEnabled[Timer5] = true;
        rig.stepUntil(Timer5);
        QVERIFY(rig.strip.timerEnabled[Timer4]);
        rig.stepUntil(Timer4);
        QCOMPARE(rig.strip.label1Text, QString(36, u' ') + QStringLiteral("Guten Tag.  "));
        rig.ticks(Timer4, 35);
        QCOMPARE(rig.strip.label1Text, QStringLiteral(" Guten Tag.  "));
        QVERIFY(!rig.strip.timerEnabled[Timer4]);
        QCOMPARE(rig.strip.slideInStep, 0);
        QCOMPARE(rig.now, 36 * 80 + 100); // 2.88 s after the tick that started it

        while (rig.state.cycleTicks < 51) // tick 51: English rises
            rig.stepUntil(Timer5);
        QCOMPARE(rig.strip.label1Text, kBlank);
        QVERIFY(rig.strip.timerEnabled[Timer3]);
        rig.ticks(Timer3, 34);
        QCOMPARE(rig.strip.label2Top, 60.0f);
        QCOMPARE(rig.strip.label2Text, QStringLiteral(" Good afternoon.  "));
        QVERIFY(rig.strip.timerEnabled[Timer3]);
        rig.stepUntil(Timer3);
        QVERIFY(!rig.strip.timerEnabled[Timer3]);
    }

    void sentenceLoadedMidSlideContinuesFromItsStep()
    {
        EngineRig rig;
        rig.strip.germanText = QStringLiteral("Eins.  ");
        for (int i = 0; i < 10; ++i)
            rig.effects.slideInTick();
        rig.strip.germanText = QStringLiteral("Zwei.  ");
        rig.effects.slideInTick();
        QCOMPARE(rig.strip.label1Text, QString(26, u' ') + QStringLiteral("Zwei.  "));
    }

    void labelAboveRestingPlaceStopsAtOnce()
    {
        EngineRig rig;
        rig.strip.timerEnabled[Timer3] = true;
        rig.strip.label2Top = 20.0f;
        rig.effects.slideUpTick();
        QCOMPARE(rig.strip.label2Top, 60.0f);
        QVERIFY(!rig.strip.timerEnabled[Timer3]);
    }

    // The bar's ticks that leave it as it is can wait for another tick: each is foreseen.
    void barBlinksOnlyWhenRolledUp_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<int>("before");
        QTest::addColumn<QList<int>>("drawn");
        QTest::newRow("rolled up") << 20.0 << false << -1 << QList<int>{10, 12, 10, 12};
        QTest::newRow("unrolled") << 340.0 << false << -1 << QList<int>{-1, -1, -1, -1};
        QTest::newRow("unrolled, the bar still drawn") << 340.0 << false << 12 << QList<int>{-1, -1, -1, -1};
        QTest::newRow("dragging") << 20.0 << true << -1 << QList<int>{-1, -1, -1, -1};
        QTest::newRow("moved in a drag") << 345.0 << false << -1 << QList<int>{10, 12, 10, 12};
    }
    void barBlinksOnlyWhenRolledUp()
    {
        QFETCH(double, height);
        QFETCH(bool, dragging);
        QFETCH(int, before);
        QFETCH(QList<int>, drawn);
        EngineRig rig;
        rig.strip.barColour = 10;
        rig.strip.barColourNext = 12;
        rig.strip.barColourLast = 10;
        rig.strip.height = height;
        rig.strip.dragging = dragging;
        rig.strip.barDrawn = before;
        QList<int> seen;
        for (int i = 0; i < drawn.size(); ++i) {
            const bool foreseen = rig.effects.nextBarTickChangesNothing();
            const int was = rig.strip.barDrawn;
            rig.effects.barTick();
            seen << rig.strip.barDrawn;
            QCOMPARE(foreseen, rig.strip.barDrawn == was);
        }
        QCOMPARE(seen, drawn);
    }

    void pausedCycleResumesWhereItStopped()
    {
        EngineRig rig;
        rig.selector.Load_Next_Sentence();
        for (int i = 0; i < 60; ++i)
            rig.cycle.tick();
        QCOMPARE(rig.state.cyclePhase, 3);
        const auto ticks = rig.state.cycleTicks;
        // While the timer is stopped nothing moves; the next tick continues phase 3.
        rig.cycle.tick();
        QCOMPARE(rig.state.cycleTicks, ticks + 1);
        QCOMPARE(rig.state.cyclePhase, 3);
    }
};

QTEST_GUILESS_MAIN(PlaybackTest)
#include "playback_test.moc"
