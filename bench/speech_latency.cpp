// How soon a sentence is heard and how much of the machine its synthesis takes: the engine's start, the
// synthesis of a typical course sentence (the first sample is ready when it ends), the real-time factor,
// and the whole way from Voice::speak to the first sample handed to the sound output.
#include "speech/EspeakEngine.h"
#include "speech/Voice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace dialoon;

namespace {

const QString kSentence = QStringLiteral("Können Sie mir bitte sagen, wo der Bahnhof ist?  ");
constexpr int kRuns = 30;

double milliseconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

struct Summary
{
    double median = 0.0;
    double worst = 0.0;
};

Summary summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    QElapsedTimer clock;
    clock.start();
    EspeakEngine::sampleRate();
    const double engineStart = milliseconds(clock);
    clock.restart();
    EspeakEngine::prepareVoice(QStringLiteral("de"), QStringLiteral("de_dict"));
    const double voiceLoad = milliseconds(clock);

    std::vector<double> synthesis;
    double audioMs = 0.0;
    for (int run = 0; run < kRuns; ++run) {
        clock.restart();
        const SynthesizedSpeech speech = Voice::synthesizeToBuffer(kSentence, 1031);
        synthesis.push_back(milliseconds(clock));
        audioMs = speech.durationMs();
    }
    const Summary synth = summarise(synthesis);

    // The whole way through the worker thread; the utterance is stopped as soon as it has begun.
    std::vector<double> firstSample;
    {
        Voice voice;
        QEventLoop loop;
        QObject::connect(&voice, &Voice::started, &loop, [&] { loop.quit(); });
        QTimer::singleShot(300, &loop, &QEventLoop::quit); // let the worker ready its sound output first
        loop.exec();
        for (int run = 0; run < kRuns; ++run) {
            QEventLoop finished;
            QObject::connect(&voice, &Voice::finished, &finished, &QEventLoop::quit);
            clock.restart();
            voice.speak(kSentence, 1031);
            loop.exec();
            firstSample.push_back(milliseconds(clock));
            voice.stop();
            finished.exec();
        }
    }
    const Summary first = summarise(firstSample);

    std::printf("sentence: \"%s\" (%.0f ms of speech)\n", qPrintable(kSentence.trimmed()), audioMs);
    std::printf("engine start (once per run):          %8.2f ms\n", engineStart);
    std::printf("German voice load (once per run):     %8.2f ms\n", voiceLoad);
    std::printf("synthesis = first sample ready:       %8.2f ms median, %8.2f ms worst of %d\n", synth.median,
                synth.worst, kRuns);
    std::printf("real-time factor (synthesis/audio):   %8.4f median\n", synth.median / audioMs);
    std::printf("Voice::speak to first sample out:     %8.2f ms median, %8.2f ms worst of %d\n", first.median,
                first.worst, kRuns);
    return 0;
}
