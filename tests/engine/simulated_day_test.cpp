// A whole day of the strip in virtual time: every timer of the strip stepped through 24 hours of ticks in
// each play mode, reading aloud. Nothing may overflow, no text of the model may grow, and the requests to
// the speaking character must not pile up faster than a character can work through them.
#include "EngineRig.h"

#include "engine/LessonTable.h"
#include "engine/StripGeometry.h"
#include "speech/CharacterAnimator.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <deque>
#include <random>

using namespace dialoon;

namespace {

constexpr long long kDayMs = 24LL * 60 * 60 * 1000;
// The mouse comes to the strip and leaves it again this often, so that auto-hide rolls it up and down.
constexpr long long kMouseMoveMs = 10LL * 60 * 1000;
constexpr int kSlideInBlanks = 36;

// How long the character takes over a request, in the order they were made: a sentence as long as it
// stays in the balloon when it is read rather than heard (1 s and 60 ms a character, at most 8 s), which
// is no quicker than the voice at its usual pace; a wave as long as its animation.
int requestMs(const QString& request)
{
    static const QString speak = QStringLiteral("speak:");
    if (!request.startsWith(speak)) return CharacterAnimator::kWaveMs;
    return std::min(1000 + 60 * static_cast<int>(request.size() - speak.size()), 8000);
}

// The character's queue as the cycle fills it: the rig's log is emptied into it after every step, and the
// character takes one request at a time.
struct CharacterQueue
{
    std::deque<QString> waiting;
    long long busyUntil = 0;
    int mostWaiting = 0;
    int spoken = 0;

    void take(QStringList& log, long long now)
    {
        for (const QString& request : log)
            waiting.push_back(request);
        log.clear();
        mostWaiting = std::max(mostWaiting, static_cast<int>(waiting.size()));
        while (!waiting.empty() && busyUntil <= now) {
            busyUntil = std::max(busyUntil, now) + requestMs(waiting.front());
            spoken += waiting.front().startsWith(QStringLiteral("speak:")) ? 1 : 0;
            waiting.pop_front();
        }
    }
};

qsizetype longestModelText(const StripModel& strip)
{
    return std::max({strip.label1Text.size(), strip.label1ToolTip.size(), strip.label2Text.size(),
                     strip.label2ToolTip.size(), strip.germanText.size(), strip.englishText.size()});
}

// The longest German or English text of the catalogue between these ids (German ids).
qsizetype longestCourseText(const Catalogue& catalogue)
{
    qsizetype longest = 0;
    for (int id = LessonTable::kFirstSentenceId; id <= LessonTable::kLastSentenceId; ++id)
        for (const int offset : {0, LessonTable::kEnglishOffset})
            if (const auto text = catalogue.text(static_cast<std::int16_t>(id + offset)))
                longest = std::max(longest, text->size());
    return longest;
}

// The distinct German sentences a lesson (or, for 0, the whole course) holds.
QSet<QString> sentencesOf(const Catalogue& catalogue, int lesson)
{
    QSet<QString> texts;
    for (int block = 1; block <= LessonTable::kBlockCount; ++block) {
        if (lesson != 0 && block != lesson) continue;
        for (int position = 1; position <= LessonTable::kBlockSize; ++position)
            if (const auto text =
                    catalogue.text(static_cast<std::int16_t>(LessonTable::kIdBase + 100 * block + position)))
                texts.insert(*text);
    }
    return texts;
}

// The strip as start-up leaves it: the watch and the band running, the welcome about to scroll in, the
// first sentence loaded.
void startStrip(EngineRig& rig)
{
    rig.strip.left = 5680;
    rig.strip.timerEnabled[Timer1] = true;
    rig.strip.timerEnabled[Timer2] = true;
    rig.strip.barColour = 10;
    rig.strip.barColourNext = 12;
    rig.strip.barColourLast = 10;
    rig.state.welcomeCountdown = 70;
    rig.state.autoHide = 1;
    rig.strip.splashOpen = true;
    rig.selector.Load_Next_Sentence();
    StripGeometry::makeTopmost(rig.strip, rig.platform);
    StripGeometry::Get_Windows_Rect(rig.strip, rig.platform);
}

} // namespace

class SimulatedDayTest : public QObject
{
    Q_OBJECT
private slots:
    void wholeDay_data()
    {
        QTest::addColumn<bool>("sequence");
        QTest::addColumn<int>("lesson");
        QTest::addColumn<bool>("germanFirst");
        for (const bool sequence : {true, false})
            for (const int lesson : {7, 0})
                for (const bool germanFirst : {true, false})
                    QTest::addRow("%s, %s, %s", sequence ? "sequence" : "random",
                                  lesson ? "one lesson" : "whole course",
                                  germanFirst ? "German first" : "English first")
                        << sequence << lesson << germanFirst;
    }

    void wholeDay()
    {
        QFETCH(bool, sequence);
        QFETCH(int, lesson);
        QFETCH(bool, germanFirst);

        EngineRig rig;
        rig.state.sequentialPlay = sequence ? 1 : 0;
        rig.state.lessonIndex = static_cast<std::int16_t>(lesson);
        // A place inside the course: the first-run place, 11000, is no sentence of the whole course and is
        // reported once when the day starts there (the selection test covers that).
        rig.state.sentenceId = 10101;
        rig.state.germanFirst = germanFirst ? 1 : 0;
        rig.state.readAloud = 1;
        // The shortest showing the settings dialog allows, which gives the character the least time.
        rig.state.germanSeconds = 5;
        rig.state.englishSeconds = 3;
        startStrip(rig);

        const qsizetype textBound = longestCourseText(rig.catalogue) + kSlideInBlanks;
        const int cycleBound = 10 * (rig.state.germanSeconds + rig.state.englishSeconds) + 2;
        std::mt19937 generator(20240612u + lesson + (sequence ? 2 : 0) + (germanFirst ? 4 : 0));
        std::uniform_real_distribution<float> uniform(0.0f, 1.0f);

        CharacterQueue character;
        QSet<QString> seen;
        QString lastGerman;
        std::array<long long, kTimerCount> fired{};
        qsizetype longestText = 0;
        int mostLogged = 0;
        long long nextMouseMove = kMouseMoveMs;
        bool mouseInside = false;

        for (int t = 0; t < kTimerCount; ++t)
            QObject::connect(&rig.timers.timer(StripTimer(t)), &TickTimer::timeout,
                             [&fired, t] { ++fired[t]; });
        try {
            while (rig.now < kDayMs) {
                while (rig.draws.size() < 2)
                    rig.draws.push_back(uniform(generator));
                if (rig.now >= nextMouseMove) {
                    mouseInside = !mouseInside;
                    rig.platform.cursor =
                        mouseInside ? PixelPoint{rig.strip.windowRect.left + 20, 2} : PixelPoint{100, 600};
                    nextMouseMove += kMouseMoveMs;
                }
                rig.stepUntil(Timer1);

                mostLogged = std::max(mostLogged, static_cast<int>(rig.speech.requests.size()));
                character.take(rig.speech.requests, rig.now);
                longestText = std::max(longestText, longestModelText(rig.strip));
                if (rig.strip.germanText != lastGerman) {
                    lastGerman = rig.strip.germanText;
                    seen.insert(lastGerman);
                }
                if (rig.state.cycleTicks > cycleBound || rig.state.showingsDone > rig.state.repeatCount)
                    QFAIL(qPrintable(QStringLiteral("the cycle ran away at %1 ms: %2 ticks, %3 showings")
                                         .arg(rig.now)
                                         .arg(rig.state.cycleTicks)
                                         .arg(rig.state.showingsDone)));
            }
        } catch (const std::exception& error) {
            QFAIL(qPrintable(
                QStringLiteral("at %1 ms: %2").arg(rig.now).arg(QString::fromStdString(error.what()))));
        }

        qInfo("%lld watch ticks, %lld cycle ticks, %d sentences read aloud, at most %d requests waiting, "
              "%lld characters in the longest text",
              fired[Timer1], fired[Timer5], character.spoken, character.mostWaiting,
              static_cast<long long>(longestText));
        // Every timer ran its part of the day; the watch and the band never stopped.
        QCOMPARE(fired[Timer1], kDayMs / kTimerIntervalsMs[Timer1]);
        QCOMPARE(fired[Timer2], kDayMs / kTimerIntervalsMs[Timer2]);
        QVERIFY(fired[Timer5] > kDayMs / kTimerIntervalsMs[Timer5] - 100);
        QVERIFY(fired[Timer3] > 10000);
        QVERIFY(fired[Timer4] > 10000);

        // Nothing grew: the texts stay within the longest sentence and its slide-in, the welcome is over
        // for good, and each step asks the character for one sentence and one wave at most.
        QVERIFY2(longestText <= textBound, qPrintable(QString::number(longestText)));
        QCOMPARE(rig.state.welcomeCountdown, 1);
        QVERIFY2(mostLogged <= 2, qPrintable(QString::number(mostLogged)));
        // The character keeps up: it never has more waiting than one showing's sentence and wave.
        QVERIFY2(character.mostWaiting <= 2, qPrintable(QString::number(character.mostWaiting)));
        QVERIFY(character.waiting.size() <= 2);
        // A day at 8 s a showing reads aloud some ten thousand sentences.
        QVERIFY2(character.spoken > 10000, qPrintable(QString::number(character.spoken)));

        // No sentence was missing, nothing was warned about, and the day went round the whole lesson or
        // course.
        QVERIFY2(rig.platform.messages.isEmpty(), qPrintable(rig.platform.messages.value(0)));
        QVERIFY(rig.platform.warnings.isEmpty());
        const QSet<QString> available = sentencesOf(rig.catalogue, lesson);
        seen.intersect(available);
        if (sequence)
            QCOMPARE(seen.size(), available.size());
        else
            QVERIFY2(seen.size() * 10 >= available.size() * 9,
                     qPrintable(QStringLiteral("%1 of %2").arg(seen.size()).arg(available.size())));
    }
};

QTEST_GUILESS_MAIN(SimulatedDayTest)
#include "simulated_day_test.moc"
