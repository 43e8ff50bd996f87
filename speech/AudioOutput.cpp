// The desktop's sound output, through pcaudiolib: the library espeak-ng itself plays its sound with.
#include "speech/AudioOutput.h"
#include "base/BuildInfo.h"
#include "platform/posix/SharedLibrary.h"

#ifdef DIALOON_HAVE_PCAUDIOLIB
#include <pcaudiolib/audio.h>

#include <type_traits>
#endif

namespace dialoon {

#ifdef DIALOON_HAVE_PCAUDIOLIB

namespace {

// The sound library is opened when the voice first speaks, not when the program starts: it brings the
// sound server's client and ALSA along, which would otherwise make the strip's first frame wait.
struct PcAudioLibrary
{
    const SharedLibrary* shared = nullptr;
    decltype(&create_audio_device_object) create = nullptr;
    decltype(&audio_object_open) open = nullptr;
    decltype(&audio_object_write) write = nullptr;
    decltype(&audio_object_drain) drain = nullptr;
    decltype(&audio_object_flush) flush = nullptr;
    decltype(&audio_object_close) close = nullptr;
    decltype(&audio_object_destroy) destroy = nullptr;
    decltype(&audio_object_strerror) strerror = nullptr;
};

// Null when the library or one of its functions is missing; opened once, kept open for the run.
const PcAudioLibrary* pcaudio()
{
    static const PcAudioLibrary* const library = []() -> const PcAudioLibrary* {
        static SharedLibrary shared(DIALOON_PCAUDIO_LIBRARY);
        static PcAudioLibrary functions;
        functions.shared = &shared;
        const auto find = [](auto& function, const char* name) { shared.find(function, name); };
        find(functions.create, "create_audio_device_object");
        find(functions.open, "audio_object_open");
        find(functions.write, "audio_object_write");
        find(functions.drain, "audio_object_drain");
        find(functions.flush, "audio_object_flush");
        find(functions.close, "audio_object_close");
        find(functions.destroy, "audio_object_destroy");
        find(functions.strerror, "audio_object_strerror");
        return shared.complete() ? &functions : nullptr;
    }();
    return library;
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
        symbol = pcaudio()->shared->symbol("snd_lib_error_set_handler");
    if (symbol != nullptr) reinterpret_cast<SetHandler>(symbol)(&ignoreAlsaMessage);
}

QString describe(audio_object* device, int error)
{
    const char* text = pcaudio()->strerror(device, error);
    return text != nullptr ? QString::fromLocal8Bit(text) : QStringLiteral("error %1").arg(error);
}

} // namespace

AudioOutput::~AudioOutput()
{
    forgetDevice();
}

QString AudioOutput::open(int sampleRate)
{
    close();
    const PcAudioLibrary* library = pcaudio();
    if (library == nullptr)
        return QStringLiteral("the sound library %1 could not be loaded")
            .arg(QLatin1String(DIALOON_PCAUDIO_LIBRARY));
    silenceAlsaMessages();
    if (device_ == nullptr) device_ = library->create(nullptr, BuildInfo::kTitle, "German phrases");
    if (device_ == nullptr) return QStringLiteral("no sound server or sound device was found");
    const int error =
        library->open(device_, AUDIO_OBJECT_FORMAT_S16LE, static_cast<std::uint32_t>(sampleRate), 1);
    if (error != 0) return describe(device_, error);
    open_ = true;
    return {};
}

QString AudioOutput::write(const std::int16_t* samples, std::size_t count)
{
    if (!open_) return QStringLiteral("the sound output is not open");
    const int error = pcaudio()->write(device_, samples, count * sizeof(std::int16_t));
    return error == 0 ? QString() : describe(device_, error);
}

void AudioOutput::drain()
{
    if (open_) pcaudio()->drain(device_);
}

void AudioOutput::discard()
{
    if (open_) pcaudio()->flush(device_);
}

void AudioOutput::close()
{
    if (open_) pcaudio()->close(device_);
    open_ = false;
}

void AudioOutput::forgetDevice()
{
    close();
    if (device_ != nullptr) pcaudio()->destroy(device_);
    device_ = nullptr;
}

#else

AudioOutput::~AudioOutput() = default;

QString AudioOutput::open(int)
{
    return QStringLiteral("this build has no sound output (pcaudiolib was missing when it was built)");
}

QString AudioOutput::write(const std::int16_t*, std::size_t)
{
    return QStringLiteral("the sound output is not open");
}

void AudioOutput::drain() {}
void AudioOutput::discard() {}
void AudioOutput::close() {}
void AudioOutput::forgetDevice() {}

#endif

} // namespace dialoon
