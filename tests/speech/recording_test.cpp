// A phrase's own recording in the formats decks bring it in, made from the voice's German sentence:
// decoded, slowed down, given marks the beak and the balloon can follow, or refused with its reason.
#include "base/Errors.h"
#include "speech/LanguageId.h"
#include "speech/Recording.h"
#include "speech/Voice.h"

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace dialoon;

namespace {

const QString kText = QStringLiteral("Guten Morgen, wie geht es Ihnen?");

// The sentence followed by half a second of silence, as a recording usually ends.
void writeWav(const QString& path, SynthesizedSpeech speech)
{
    speech.samples.resize(speech.samples.size() + static_cast<std::size_t>(speech.sampleRate / 2), 0);
    const auto bytes = static_cast<quint32>(speech.samples.size() * 2);
    const auto rate = static_cast<quint32>(speech.sampleRate);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    out.writeRawData(reinterpret_cast<const char*>(speech.samples.data()), int(bytes)); // little-endian host
}

} // namespace

class RecordingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    int wavMs_ = 0;

    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        const SynthesizedSpeech spoken = Voice::synthesizeToBuffer(kText, LanguageId::kGerman);
        writeWav(path("de.wav"), spoken);
        wavMs_ = spoken.durationMs() + 500;
        // Without the encoder its rows are skipped.
        QProcess::execute("lame", {"--quiet", path("de.wav"), path("de.mp3")});
        QProcess::execute("oggenc", {"-Q", "-o", path("de.ogg"), path("de.wav")});
        // Broken off in its headers: an ogg's codebooks alone take some 3 kB. (One broken off in its sound
        // plays what there is, as in any player.)
        if (QFile::copy(path("de.ogg"), path("cut.ogg"))) QVERIFY(QFile::resize(path("cut.ogg"), 1000));
        QFile text(path("text.mp3"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Guten Morgen\n") > 0);
    }

    void loadsOrRefuses_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("slowly");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("encoder");
        QTest::newRow("wav") << "de.wav" << false << true << "";
        QTest::newRow("wav slowly") << "de.wav" << true << true << "";
        QTest::newRow("mp3") << "de.mp3" << false << true << "lame";
        QTest::newRow("ogg") << "de.ogg" << false << true << "oggenc";
        QTest::newRow("ogg slowly") << "de.ogg" << true << true << "oggenc";
        QTest::newRow("missing") << "gone.ogg" << false << false << "";
        QTest::newRow("text named mp3") << "text.mp3" << false << false << "";
        QTest::newRow("truncated ogg") << "cut.ogg" << false << false << "oggenc";
    }

    void loadsOrRefuses()
    {
        QFETCH(QString, file);
        QFETCH(bool, slowly);
        QFETCH(bool, readable);
        QFETCH(QString, encoder);
        if (!encoder.isEmpty() && QStandardPaths::findExecutable(encoder).isEmpty())
            QSKIP(qPrintable(encoder + " is not installed"));
        SynthesizedSpeech speech;
        try {
            speech = Recording::load(path(file), kText, slowly);
        } catch (const SpeechError& e) {
            QVERIFY2(!readable, e.what());
            QVERIFY2(QString(e.what()).contains(file), e.what());
            return;
        }
        QVERIFY2(readable, "a bad recording was read");
        QVERIFY(speech.sampleRate > 0);
        const double expectedMs = slowly ? wavMs_ * 4.0 / 3.0 : wavMs_;
        QVERIFY2(std::abs(speech.durationMs() - expectedMs) <= expectedMs * (slowly ? 0.10 : 0.15),
                 qPrintable(QStringLiteral("%1 ms, expected %2").arg(speech.durationMs()).arg(expectedMs)));
        QList<SpeechMark> beak, words;
        for (const SpeechMark& mark : speech.marks)
            (mark.kind == SpeechMark::Kind::Phoneme ? beak : words) << mark;
        QVERIFY(std::any_of(beak.begin(), beak.end(), [](const SpeechMark& m) { return m.mouth > 0.3; }));
        QCOMPARE(beak.back().mouth, 0.0); // shut in the trailing silence
        QCOMPARE(words.size(), kText.split(' ').size());
        const auto goesBack = [](const SpeechMark& a, const SpeechMark& b) {
            return b.audioMs < a.audioMs || b.textStart <= a.textStart;
        };
        QVERIFY(std::adjacent_find(words.begin(), words.end(), goesBack) == words.end());
        QCOMPARE(words.back().textStart + words.back().textLength, kText.size());
    }
};

QTEST_GUILESS_MAIN(RecordingTest)
#include "recording_test.moc"
