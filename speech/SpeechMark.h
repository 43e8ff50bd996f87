// Synthesised speech: its sound, and the moments in it where a word begins or a sound shapes the beak.
#pragma once

#include <QList>
#include <cstdint>
#include <vector>

namespace dialoon {

struct SpeechMark
{
    enum class Kind { Word, Phoneme };

    Kind kind = Kind::Word;
    int audioMs = 0;    // time from the first sample
    int textStart = 0;  // Word: index of the word's first character in the spoken text (UTF-16 units)
    int textLength = 0; // Word: the word's length in the same units
    double mouth = 0.0; // Phoneme: how wide the beak opens for this sound, 0 to 1

    friend bool operator==(const SpeechMark&, const SpeechMark&) = default;
};

// A text turned into sound: the samples and the marks that say when each word and sound comes.
struct SynthesizedSpeech
{
    std::vector<std::int16_t> samples; // mono, signed 16 bit
    int sampleRate = 0;                // samples per second
    QList<SpeechMark> marks;           // in time order

    int durationMs() const
    {
        return sampleRate > 0 ? static_cast<int>(static_cast<long long>(samples.size()) * 1000 / sampleRate)
                              : 0;
    }
};

} // namespace dialoon
