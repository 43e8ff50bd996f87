// The voice: real German and English synthesis into memory, word positions in the text, languages,
// and the worker's signals.
#include "base/Errors.h"
#include "speech/Voice.h"

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>

using namespace dialoon;

namespace {

QStringList spokenWords(const QString& text, const SynthesizedSpeech& speech)
{
    QStringList words;
    for (const SpeechMark& mark : speech.marks) {
        if (mark.kind == SpeechMark::Kind::Word) words << text.mid(mark.textStart, mark.textLength);
    }
    return words;
}

double rms(const std::vector<std::int16_t>& samples)
{
    double sum = 0.0;
    for (std::int16_t s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

} // namespace

class VoiceTest : public QObject
{
    Q_OBJECT

private slots:
    void germanGreetingIsRealSpeech()
    {
        const SynthesizedSpeech speech = Voice::synthesizeToBuffer(QStringLiteral("Guten Tag.  "), 1031);
        QVERIFY(speech.sampleRate >= 8000);
        QVERIFY(!speech.samples.empty());
        QVERIFY2(rms(speech.samples) > 300.0, "the sound is (nearly) silent");
        QVERIFY2(speech.durationMs() >= 400 && speech.durationMs() <= 3000,
                 qPrintable(QString::number(speech.durationMs())));
    }

    // Slow speech is a beginner's pace: at least a fifth longer, with the last word's mark moving with
    // the sound, so that the beak and the balloon keep pace; the usual rate comes back after it.
    void slowSpeechTakesLongerAndTheMarksFollow()
    {
        const QString text = QStringLiteral("Können Sie mir bitte sagen, wo der Bahnhof ist?  ");
        const auto lastWordMs = [](const SynthesizedSpeech& speech) {
            int last = 0;
            for (const SpeechMark& mark : speech.marks)
                if (mark.kind == SpeechMark::Kind::Word) last = mark.audioMs;
            return last;
        };
        const SynthesizedSpeech usual = Voice::synthesizeToBuffer(text, 1031);
        const SynthesizedSpeech slow = Voice::synthesizeToBuffer(text, 1031, true);
        QVERIFY2(slow.durationMs() >= usual.durationMs() * 6 / 5,
                 qPrintable(QStringLiteral("%1 ms slowly, %2 ms usually")
                                .arg(slow.durationMs())
                                .arg(usual.durationMs())));
        QVERIFY(lastWordMs(slow) >= lastWordMs(usual) * 6 / 5);
        QVERIFY(std::abs(Voice::synthesizeToBuffer(text, 1031).durationMs() - usual.durationMs()) <=
                usual.durationMs() / 50);
    }

    void marksComeInTimeOrderWithinTheSound()
    {
        const SynthesizedSpeech speech = Voice::synthesizeToBuffer(
            QStringLiteral("Können Sie mir bitte sagen, wo der Bahnhof ist?  "), 1031);
        QVERIFY(!speech.marks.empty());
        QVERIFY(
            std::is_sorted(speech.marks.begin(), speech.marks.end(),
                           [](const SpeechMark& a, const SpeechMark& b) { return a.audioMs < b.audioMs; }));
        QVERIFY(speech.marks.back().audioMs <= speech.durationMs());
        // The beak must both open wide and close during a sentence.
        const auto phonemes =
            std::count_if(speech.marks.begin(), speech.marks.end(),
                          [](const SpeechMark& m) { return m.kind == SpeechMark::Kind::Phoneme; });
        QVERIFY(phonemes > 10);
        QVERIFY(std::any_of(speech.marks.begin(), speech.marks.end(), [](const SpeechMark& m) {
            return m.kind == SpeechMark::Kind::Phoneme && m.mouth >= 0.9;
        }));
        QVERIFY(std::any_of(speech.marks.begin(), speech.marks.end(), [](const SpeechMark& m) {
            return m.kind == SpeechMark::Kind::Phoneme && m.mouth == 0.0;
        }));
    }

    // Word marks must point at the words in the QString, whatever the characters before them.
    void wordMarksPointAtTheWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << QStringLiteral("Guten Tag.  ") << 1031 << QStringList{"Guten", "Tag"};
        QTest::newRow("umlauts before words") << QStringLiteral("Grüß Gott, Frau Müller!") << 1031
                                              << QStringList{"Grüß", "Gott", "Frau", "Müller"};
        QTest::newRow("sharp s and leading blanks") << QStringLiteral("   Schöne Grüße aus Köln.") << 1031
                                                    << QStringList{"Schöne", "Grüße", "aus", "Köln"};
        QTest::newRow("English") << QStringLiteral("Good morning.  ") << 1033
                                 << QStringList{"Good", "morning"};
    }
    void wordMarksPointAtTheWords()
    {
        QFETCH(QString, text);
        QFETCH(int, language);
        QFETCH(QStringList, words);
        QCOMPARE(spokenWords(text, Voice::synthesizeToBuffer(text, language)), words);
    }

    // Which ids have a voice is tested with the character; here, that the voice refuses the others too.
    void languageWithoutVoiceIsRefused()
    {
        QCOMPARE(Voice::voiceNameFor(1031), QStringLiteral("de"));
        QCOMPARE(Voice::voiceNameFor(1033), QStringLiteral("en-us"));
        QVERIFY_THROWS_EXCEPTION(SpeechError, Voice::synthesizeToBuffer(QStringLiteral("Bonjour"), 1036));
        Voice speaker;
        QVERIFY_THROWS_EXCEPTION(SpeechError, speaker.speak(QStringLiteral("Bonjour"), 1036));
    }

    void anUtteranceStartsWithItsMarksAndFinishes()
    {
        Voice speaker;
        QSignalSpy started(&speaker, &Voice::started);
        QSignalSpy finished(&speaker, &Voice::finished);
        QSignalSpy failed(&speaker, &Voice::failed);
        const quint64 utterance = speaker.speak(QStringLiteral("Guten Tag.  "), 1031);
        QVERIFY(utterance != 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 15000);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.at(0).at(0).value<quint64>(), utterance);
        QVERIFY(!started.at(0).at(1).value<QList<SpeechMark>>().isEmpty());
        QVERIFY(started.at(0).at(2).toInt() >= 400);
        QCOMPARE(finished.at(0).at(0).value<quint64>(), utterance);
    }

    void stopCutsALongUtteranceShort()
    {
        Voice speaker;
        QSignalSpy started(&speaker, &Voice::started);
        QSignalSpy finished(&speaker, &Voice::finished);
        QString longText;
        for (int k = 0; k < 8; ++k)
            longText += QStringLiteral("Der Zug nach München fährt heute von Gleis sieben ab. ");
        speaker.speak(longText, 1031);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QVERIFY(started.at(0).at(2).toInt() > 20000); // far longer than the wait below
        speaker.stop();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 8000);
    }
};

QTEST_GUILESS_MAIN(VoiceTest)
#include "voice_test.moc"
