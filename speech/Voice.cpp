// The character's voice: the worker that synthesises each sentence and plays it through the sound output.
#include "speech/Voice.h"

#include "base/BuildInfo.h"
#include "base/Errors.h"
#include "platform/posix/SharedLibrary.h"
#include "speech/EspeakEngine.h"
#include "speech/LanguageId.h"
#include "speech/Recording.h"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>

#ifdef DIALOON_HAVE_PCAUDIOLIB
#include <pcaudiolib/audio.h>
#endif

namespace dialoon {

namespace {

// espeak-ng's voice for a language, and the voice's dictionary file, checked before the voice is chosen.
struct LanguageVoice
{
    QString name;
    QString dictionary;
};

LanguageVoice languageVoice(int languageId)
{
    if (languageId == LanguageId::kGerman) return {QStringLiteral("de"), QStringLiteral("de_dict")};
    if (languageId == LanguageId::kEnglish) return {QStringLiteral("en-us"), QStringLiteral("en_dict")};
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

constexpr auto kWorkerExitWait = std::chrono::milliseconds(1000);

std::atomic<int> workersRunning{0};

#ifdef DIALOON_HAVE_PCAUDIOLIB

// The sound library is opened when the voice first speaks, not when the program starts: it brings the
// sound server's client and ALSA along, which would otherwise make the strip's first frame wait.
struct PcAudioLibrary
{
    SharedLibrary shared{DIALOON_PCAUDIOLIB_LIBRARY};
    decltype(&create_audio_device_object) create = shared.find("create_audio_device_object");
    decltype(&audio_object_open) open = shared.find("audio_object_open");
    decltype(&audio_object_write) write = shared.find("audio_object_write");
    decltype(&audio_object_drain) drain = shared.find("audio_object_drain");
    decltype(&audio_object_flush) flush = shared.find("audio_object_flush");
    decltype(&audio_object_close) close = shared.find("audio_object_close");
    decltype(&audio_object_destroy) destroy = shared.find("audio_object_destroy");
    decltype(&audio_object_strerror) strerror = shared.find("audio_object_strerror");
};

// Null when the library or one of its functions is missing; opened once, kept open for the run.
const PcAudioLibrary* pcaudio()
{
    static const PcAudioLibrary library;
    return library.shared.complete() ? &library : nullptr;
}

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Without a sound server pcaudiolib falls back to ALSA, whose library writes eight lines of its own to
// standard error when there is no sound card. The program says it once, in one line, itself; ALSA's
// handler is looked up at run time because Dialoon has no other use for ALSA and does not link it.
void silenceAlsaMessages()
{
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    // ALSA comes in with the sound library, so it is found among that library's own.
    void* symbol = SharedLibrary::loadedSymbol("snd_lib_error_set_handler");
    if (symbol == nullptr && pcaudio() != nullptr)
        symbol = pcaudio()->shared.symbol("snd_lib_error_set_handler");
    if (symbol != nullptr) reinterpret_cast<SetHandler>(symbol)(&ignoreAlsaMessage);
}

// The desktop's sound output, through pcaudiolib: the library espeak-ng itself plays its sound with.
// Every call may block (a busy device, a slow sound server), which is why only the worker makes them.
class AudioOutput
{
public:
    ~AudioOutput() { forgetDevice(); }

    // Opens the output for mono signed 16-bit samples. Returns an empty text, or why there is no sound.
    QString open(int sampleRate)
    {
        const PcAudioLibrary* library = pcaudio();
        if (library == nullptr)
            return QStringLiteral("the sound library %1 could not be loaded")
                .arg(QLatin1String(DIALOON_PCAUDIOLIB_LIBRARY));
        silenceAlsaMessages();
        if (device_ == nullptr) device_ = library->create(nullptr, BuildInfo::kTitle, "German phrases");
        if (device_ == nullptr) return QStringLiteral("no sound server or sound device was found");
        const int error =
            library->open(device_, AUDIO_OBJECT_FORMAT_S16LE, static_cast<std::uint32_t>(sampleRate), 1);
        if (error != 0) return describe(error);
        open_ = true;
        rate_ = sampleRate;
        return {};
    }
    bool isOpen() const { return open_; }
    int rate() const { return rate_; }

    // Returns once the output has taken the samples: an empty text, or why it would not.
    QString write(const std::int16_t* samples, std::size_t count)
    {
        const int error = pcaudio()->write(device_, samples, count * sizeof(std::int16_t));
        return error == 0 ? QString() : describe(error);
    }
    // Waits until everything written has been heard, or drops what has not been heard yet.
    void finish(bool heard)
    {
        if (open_) (heard ? pcaudio()->drain : pcaudio()->flush)(device_);
    }
    void close()
    {
        if (open_) pcaudio()->close(device_);
        open_ = false;
    }
    // Lets go of the sound system entirely, so that the next open looks for a sound server afresh.
    void forgetDevice()
    {
        close();
        if (device_ != nullptr) pcaudio()->destroy(device_);
        device_ = nullptr;
    }

private:
    QString describe(int error) const
    {
        const char* text = pcaudio()->strerror(device_, error);
        return text != nullptr ? QString::fromLocal8Bit(text) : QStringLiteral("error %1").arg(error);
    }

    audio_object* device_ = nullptr;
    bool open_ = false;
    int rate_ = 0;
};

#else

// This build has no sound output: every sentence is spoken without sound.
class AudioOutput
{
public:
    QString open(int)
    {
        return QStringLiteral("this build has no sound output (pcaudiolib was missing when it was built)");
    }
    bool isOpen() const { return false; }
    int rate() const { return 0; }
    QString write(const std::int16_t*, std::size_t) { return QStringLiteral("the sound output is not open"); }
    void finish(bool) {}
    void close() {}
    void forgetDevice() {}
};

#endif

} // namespace

struct Voice::Worker
{
    struct Job
    {
        quint64 utterance = 0;
        QString text;
        int languageId = 0;
        bool slowly = false;
        QString recording; // a sound file heard in place of the synthesised text, if any
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> pending;
    // Changed with the mutex held, so that waits see them; read without it between pieces of sound.
    std::atomic<bool> cutShort = false; // the utterance being heard is to stop
    std::atomic<bool> quit = false;     // the voice is gone: nothing more is to be done
    Voice* owner = nullptr;             // null once the Voice is gone: nothing is posted to it any more
    std::promise<void> done;

    // Runs f(voice) on the voice's own thread, unless the voice is gone by then.
    template <class F> void post(F f)
    {
        std::lock_guard guard(mutex);
        if (owner != nullptr)
            QMetaObject::invokeMethod(
                owner, [voice = owner, f] { f(*voice); }, Qt::QueuedConnection);
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
        worker_->owner = nullptr;
        worker_->wake.notify_all();
    }
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
    return languageVoice(languageId).name;
}

SynthesizedSpeech Voice::synthesizeToBuffer(const QString& text, int languageId, bool slowly)
{
    const LanguageVoice language = languageVoice(languageId);
    return EspeakEngine::synthesize(text, language.name, language.dictionary,
                                    slowly ? EspeakEngine::kSlowRate : EspeakEngine::kNormalRate);
}

quint64 Voice::speak(const QString& text, int languageId, bool slowly, const QString& recording)
{
    languageVoice(languageId); // throws for a language without a voice
    std::lock_guard guard(worker_->mutex);
    worker_->pending = Worker::Job{++lastUtterance_, text, languageId, slowly, recording};
    worker_->wake.notify_all();
    return lastUtterance_;
}

void Voice::stop()
{
    std::lock_guard guard(worker_->mutex);
    worker_->pending.reset();
    worker_->cutShort = true;
    worker_->wake.notify_all();
}

void Voice::complain(const QString& line)
{
    if (!complaints_.insert(line).second) return;
    std::fprintf(stderr, "%s: %s\n", BuildInfo::kTitle, qPrintable(line));
    std::fflush(stderr);
}

void Voice::run(std::shared_ptr<Worker> worker)
{
    using Clock = std::chrono::steady_clock;

    // Everything here may take its time or hang (data on disk, a sound server that does not answer),
    // hence this thread. A missing engine or voice is said when a sentence comes, through failed().
    int sampleRate = 0;
    try {
        if (!worker->quit) sampleRate = EspeakEngine::sampleRate();
        const LanguageVoice german = languageVoice(LanguageId::kGerman);
        if (!worker->quit) EspeakEngine::prepareVoice(german.name, german.dictionary);
    } catch (const SpeechError&) {
    }

    AudioOutput output;
    Clock::time_point nextOutputTry{};
    const auto goOnWithoutSound = [&](const QString& line) {
        output.forgetDevice();
        nextOutputTry = Clock::now() + kOutputRetry;
        worker->post([line](Voice& voice) { voice.complain(line); });
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

        // A recording is read before the output is opened, since the output must be opened at its rate.
        std::optional<SynthesizedSpeech> recorded;
        if (!job.recording.isEmpty()) {
            try {
                recorded = Recording::load(job.recording, job.text, job.slowly);
            } catch (const SpeechError& e) {
                const QString line =
                    QString::fromStdString(e.what()) + "; the voice says the sentence instead.";
                worker->post([line](Voice& voice) { voice.complain(line); });
            }
        }
        const int rate = recorded ? recorded->sampleRate : sampleRate;
        if (output.isOpen() && output.rate() != rate && rate > 0) output.close();
        if (rate > 0 && !output.isOpen() && Clock::now() >= nextOutputTry) {
            const QString problem = output.open(rate);
            if (!problem.isEmpty())
                goOnWithoutSound("no sound server or sound device answered (" + problem +
                                 "); the character speaks without sound.");
        }
        // Opening the sound may have hung for long, and the voice may have gone meanwhile (the process
        // may even be ending): then the engine is not touched again.
        if (worker->quit) break;

        SynthesizedSpeech speech;
        try {
            speech =
                recorded ? std::move(*recorded) : synthesizeToBuffer(job.text, job.languageId, job.slowly);
        } catch (const SpeechError& e) {
            const QString reason = QString::fromStdString(e.what());
            worker->post([utterance = job.utterance, reason](Voice& voice) {
                voice.complain(reason + "; sentences are shown without speech.");
                emit voice.failed(utterance, reason);
            });
            continue;
        }

        const int durationMs = speech.durationMs();
        std::optional<Clock::time_point> began; // once the utterance has been announced
        const auto announce = [&] {
            began = Clock::now();
            worker->post([utterance = job.utterance, marks = speech.marks, durationMs](Voice& voice) {
                emit voice.started(utterance, marks, durationMs);
            });
        };

        if (output.isOpen()) {
            const std::size_t chunk = static_cast<std::size_t>(speech.sampleRate * kChunkMs / 1000);
            std::size_t offset = 0;
            while (offset < speech.samples.size() && !(worker->cutShort || worker->quit)) {
                const std::size_t count = std::min(chunk, speech.samples.size() - offset);
                const QString problem = output.write(speech.samples.data() + offset, count);
                if (!problem.isEmpty()) {
                    goOnWithoutSound("the sound output failed (" + problem +
                                     "); the character goes on without sound.");
                    break;
                }
                offset += count;
                // The sound server takes the first piece when it is ready to play it, so the marks'
                // clock starts here, in step with what is heard.
                if (!began) announce();
            }
            output.finish(!(worker->cutShort || worker->quit));
        }
        if (!began) announce();
        if (!output.isOpen()) {
            // Unheard speech still takes its time, so that the beak, the balloon and whatever is
            // queued after the sentence keep the pace they would have with sound.
            std::unique_lock lock(worker->mutex);
            worker->wake.wait_until(lock, *began + std::chrono::milliseconds(durationMs),
                                    [&] { return worker->quit || worker->cutShort; });
        }
        worker->post([utterance = job.utterance](Voice& voice) { emit voice.finished(utterance); });
    }
    output.close();
    --workersRunning;
    worker->done.set_value();
}

} // namespace dialoon
