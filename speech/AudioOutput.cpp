// The desktop's sound output, through pcaudiolib: the library espeak-ng itself plays its sound with.
#include "speech/AudioOutput.h"
#include "platform/BuildInfo.h"

#ifdef DIALOON_HAVE_PCAUDIOLIB
#include <pcaudiolib/audio.h>

#include <dlfcn.h>
#endif

namespace dialoon {

#ifdef DIALOON_HAVE_PCAUDIOLIB

namespace {

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Without a sound server pcaudiolib falls back to ALSA, whose library writes eight lines of its own to
// standard error when there is no sound card. The program says it once, in one line, itself; ALSA's
// handler is looked up at run time because Dialoon has no other use for ALSA and does not link it.
void silenceAlsaMessages()
{
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"))
        reinterpret_cast<SetHandler>(symbol)(&ignoreAlsaMessage);
}

QString describe(audio_object* device, int error)
{
    const char* text = audio_object_strerror(device, error);
    return text != nullptr ? QString::fromLocal8Bit(text) : QStringLiteral("error %1").arg(error);
}

} // namespace

AudioOutput::~AudioOutput()
{
    close();
    if (device_ != nullptr)
        audio_object_destroy(device_);
}

QString AudioOutput::open(int sampleRate)
{
    close();
    silenceAlsaMessages();
    if (device_ == nullptr)
        device_ = create_audio_device_object(nullptr, BuildInfo::kTitle, "German phrases");
    if (device_ == nullptr)
        return QStringLiteral("no sound server or sound device was found");
    const int error =
        audio_object_open(device_, AUDIO_OBJECT_FORMAT_S16LE, static_cast<std::uint32_t>(sampleRate), 1);
    if (error != 0)
        return describe(device_, error);
    open_ = true;
    return {};
}

QString AudioOutput::write(const std::int16_t* samples, std::size_t count)
{
    if (!open_)
        return QStringLiteral("the sound output is not open");
    const int error = audio_object_write(device_, samples, count * sizeof(std::int16_t));
    return error == 0 ? QString() : describe(device_, error);
}

void AudioOutput::drain()
{
    if (open_)
        audio_object_drain(device_);
}

void AudioOutput::discard()
{
    if (open_)
        audio_object_flush(device_);
}

void AudioOutput::close()
{
    if (open_)
        audio_object_close(device_);
    open_ = false;
}

void AudioOutput::forgetDevice()
{
    close();
    if (device_ != nullptr)
        audio_object_destroy(device_);
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
