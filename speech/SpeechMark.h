// A moment in synthesised speech: a word begins, or a sound that shapes the beak.
#pragma once

#include <QMetaType>

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

} // namespace dialoon

Q_DECLARE_METATYPE(dialoon::SpeechMark)
