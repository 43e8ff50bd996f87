// The desktop's sound output, through pcaudiolib: the library espeak-ng itself plays its sound with.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

struct audio_object;

namespace dialoon {

// Every call may block (a busy device, a slow sound server): use it from a worker thread only.
class AudioOutput
{
public:
    AudioOutput() = default;
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the output for mono signed 16-bit samples. Returns an empty text, or why there is no sound.
    QString open(int sampleRate);
    bool isOpen() const { return open_; }

    // Returns once the output has taken the samples: an empty text, or why it would not.
    QString write(const std::int16_t* samples, std::size_t count);
    void drain();   // waits until everything written has been heard
    void discard(); // drops what has been written but not yet heard
    void close();
    // Lets go of the sound system entirely, so that the next open looks for a sound server afresh.
    void forgetDevice();

private:
    audio_object* device_ = nullptr;
    bool open_ = false;
};

} // namespace dialoon
