// A text turned into sound: the samples and the marks that say when each word and sound comes.
#pragma once

#include "speech/SpeechMark.h"

#include <cstdint>
#include <vector>

namespace dialoon {

struct SynthesizedSpeech
{
    std::vector<std::int16_t> samples; // mono, signed 16 bit
    int sampleRate = 0;                // samples per second
    std::vector<SpeechMark> marks;     // in time order

    int durationMs() const
    {
        return sampleRate > 0 ? static_cast<int>(static_cast<long long>(samples.size()) * 1000 / sampleRate)
                              : 0;
    }
};

} // namespace dialoon
