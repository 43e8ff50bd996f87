// The character's voice: speaks texts with espeak-ng on a worker thread and reports when each is heard.
#include "speech/Voice.h"

#include "base/BuildInfo.h"
#include "speech/AudioOutput.h"
#include "speech/EspeakEngine.h"
#include "speech/LanguageId.h"
#include "speech/SpeechError.h"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>

namespace dialoon {

namespace {

struct LanguageVoice
{
    int languageId;
    const char* voiceName;
    const char* dictionary;
};

constexpr LanguageVoice kLanguages[] = {
    {LanguageId::kGerman, "de", "de_dict"},
    {LanguageId::kEnglish, "en-us", "en_dict"},
};

const LanguageVoice& languageVoice(int languageId)
{
    for (const LanguageVoice& language : kLanguages) {
        if (language.languageId == languageId) return language;
    }
    throw SpeechError("No voice for language id " + std::to_string(languageId));
}

// Pieces written to the sound output at a time: short, so that stop() is heard quickly.
constexpr int kChunkMs = 40;

// The sound output is opened for speech and let go once the voice has been quiet this long, so that the
// sound card can rest and other programs have the device between sentences.
constexpr auto kOutputIdleClose = std::chrono::seconds(3);
// After the sound output could not be opened or failed, the next try waits this long: a sound server
// that starts after the program (as at logon) or restarts is found again.
constexpr auto kOutputRetry = std::chrono::seconds(30);

// How long the destructor waits for the worker before leaving it behind.
constexpr auto kWorkerExitWait = std::chrono::milliseconds(1000);

std::atomic<int> workersRunning{0};

int wordsPerMinute(bool slowly)
{
    return slowly ? EspeakEngine::kSlowRate : EspeakEngine::kNormalRate;
}

} // namespace

struct Voice::Worker
{
    struct Job
    {
        quint64 utterance = 0;
        QString text;
        QString voiceName;
        QString dictionary;
        int wordsPerMinute = EspeakEngine::kNormalRate;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> pending;
    bool cutShort = false; // the utterance being heard is to stop
    bool quit = false;
    Voice* owner = nullptr; // null once the Voice is gone: nothing is posted to it any more
    std::promise<void> done;

    // Runs f(voice) on the voice's own thread, unless the voice is gone by then.
    template <class F> void post(F f)
    {
        std::lock_guard guard(mutex);
        if (owner != nullptr)
            QMetaObject::invokeMethod(
                owner, [voice = owner, f] { f(*voice); }, Qt::QueuedConnection);
    }

    bool stopping()
    {
        std::lock_guard guard(mutex);
        return cutShort || quit;
    }

    // The voice is gone: nothing more is to be done.
    bool quitting()
    {
        std::lock_guard guard(mutex);
        return quit;
    }
};

Voice::Voice(QObject* parent) : QObject(parent), worker_(std::make_shared<Worker>())
{
    worker_->owner = this;
    workerDone_ = worker_->done.get_future();
    ++workersRunning;
    thread_ = std::thread(&Voice::run, worker_);
}

Voice::~Voice()
{
    {
        std::lock_guard guard(worker_->mutex);
        worker_->quit = true;
        worker_->pending.reset();
        worker_->owner = nullptr;
    }
    worker_->wake.notify_all();
    if (workerDone_.wait_for(kWorkerExitWait) == std::future_status::ready)
        thread_.join();
    else
        thread_.detach(); // it holds its own share of the state and ends with the process
}

int Voice::runningWorkers()
{
    return workersRunning.load();
}

QString Voice::voiceNameFor(int languageId)
{
    return QString::fromLatin1(languageVoice(languageId).voiceName);
}

SynthesizedSpeech Voice::synthesizeToBuffer(const QString& text, int languageId, bool slowly)
{
    const LanguageVoice& language = languageVoice(languageId);
    return EspeakEngine::synthesize(text, QString::fromLatin1(language.voiceName),
                                    QString::fromLatin1(language.dictionary), wordsPerMinute(slowly));
}

quint64 Voice::speak(const QString& text, int languageId, bool slowly)
{
    const LanguageVoice& language = languageVoice(languageId);
    const quint64 utterance = ++lastUtterance_;
    {
        std::lock_guard guard(worker_->mutex);
        worker_->pending = Worker::Job{utterance, text, QString::fromLatin1(language.voiceName),
                                       QString::fromLatin1(language.dictionary), wordsPerMinute(slowly)};
    }
    worker_->wake.notify_all();
    return utterance;
}

void Voice::stop()
{
    {
        std::lock_guard guard(worker_->mutex);
        worker_->pending.reset();
        worker_->cutShort = true;
    }
    worker_->wake.notify_all();
}

void Voice::complain(const QString& line)
{
    if (complaints_.contains(line)) return;
    complaints_.insert(line);
    std::fprintf(stderr, "%s: %s\n", BuildInfo::kTitle, qPrintable(line));
    std::fflush(stderr);
}

void Voice::run(std::shared_ptr<Worker> worker)
{
    using Clock = std::chrono::steady_clock;

    // Everything here may take its time or hang (data on disk, a sound server that does not answer),
    // which is why it happens on this thread and not on the caller's.
    // A missing engine or voice is said when a sentence comes, through failed().
    int sampleRate = 0;
    try {
        if (!worker->quitting()) sampleRate = EspeakEngine::sampleRate();
        const LanguageVoice& german = languageVoice(LanguageId::kGerman);
        if (!worker->quitting())
            EspeakEngine::prepareVoice(QString::fromLatin1(german.voiceName),
                                       QString::fromLatin1(german.dictionary));
    } catch (const SpeechError&) {
    }

    AudioOutput output;
    Clock::time_point nextOutputTry{};
    const auto giveUpOutputForAWhile = [&] {
        output.forgetDevice();
        nextOutputTry = Clock::now() + kOutputRetry;
    };

    for (;;) {
        Worker::Job job;
        {
            std::unique_lock lock(worker->mutex);
            const auto hasWork = [&] { return worker->quit || worker->pending.has_value(); };
            if (output.isOpen() && !worker->wake.wait_for(lock, kOutputIdleClose, hasWork)) {
                lock.unlock();
                output.close();
                continue;
            }
            worker->wake.wait(lock, hasWork);
            if (worker->quit) break;
            job = std::move(*worker->pending);
            worker->pending.reset();
            worker->cutShort = false;
        }
        const quint64 utterance = job.utterance;

        if (sampleRate > 0 && !output.isOpen() && Clock::now() >= nextOutputTry) {
            const QString problem = output.open(sampleRate);
            if (!problem.isEmpty()) {
                giveUpOutputForAWhile();
                worker->post([problem](Voice& voice) {
                    voice.complain("no sound server or sound device answered (" + problem +
                                   "); the character speaks without sound.");
                });
            }
        }
        // Opening the sound may have hung for long, and the voice may have gone meanwhile (the process
        // may even be ending): then the engine is not touched again.
        if (worker->quitting()) break;

        SynthesizedSpeech speech;
        try {
            speech = EspeakEngine::synthesize(job.text, job.voiceName, job.dictionary, job.wordsPerMinute);
        } catch (const SpeechError& e) {
            const QString reason = QString::fromStdString(e.what());
            worker->post([utterance, reason](Voice& voice) {
                voice.complain(reason + "; sentences are shown without speech.");
                emit voice.failed(utterance, reason);
            });
            continue;
        }

        const QList<SpeechMark> marks(speech.marks.begin(), speech.marks.end());
        const int durationMs = speech.durationMs();
        Clock::time_point began;
        bool announced = false;
        const auto announce = [&] {
            began = Clock::now();
            announced = true;
            worker->post([utterance, marks, durationMs](Voice& voice) {
                emit voice.started(utterance, marks, durationMs);
            });
        };

        if (output.isOpen()) {
            const std::size_t chunk = static_cast<std::size_t>(speech.sampleRate * kChunkMs / 1000);
            std::size_t offset = 0;
            while (offset < speech.samples.size() && !worker->stopping()) {
                const std::size_t count = std::min(chunk, speech.samples.size() - offset);
                const QString problem = output.write(speech.samples.data() + offset, count);
                if (!problem.isEmpty()) {
                    giveUpOutputForAWhile();
                    worker->post([problem](Voice& voice) {
                        voice.complain("the sound output failed (" + problem +
                                       "); the character goes on without sound.");
                    });
                    break;
                }
                offset += count;
                // The sound server takes the first piece when it is ready to play it, so the marks'
                // clock starts here, in step with what is heard.
                if (!announced) announce();
            }
            if (worker->stopping())
                output.discard();
            else if (output.isOpen())
                output.drain();
        }
        if (!announced) announce();
        if (!output.isOpen()) {
            // Unheard speech still takes its time, so that the beak, the balloon and whatever is
            // queued after the sentence keep the pace they would have with sound.
            std::unique_lock lock(worker->mutex);
            worker->wake.wait_until(lock, began + std::chrono::milliseconds(durationMs),
                                    [&] { return worker->quit || worker->cutShort; });
        }
        worker->post([utterance](Voice& voice) { emit voice.finished(utterance); });
    }
    output.close();
    --workersRunning;
    worker->done.set_value();
}

} // namespace dialoon
