// A phrase's own recording (a deck's wav, flac, ogg/vorbis, opus or mp3), made ready for the voice to play
// in place of synthetic speech, with marks that let the beak and the balloon follow what is heard.
#pragma once

#include "speech/SpeechMark.h"

#include <QString>

namespace dialoon::Recording {

// Decodes the file into mono 16-bit sound at its own rate. The beak marks follow its loudness; the words
// of text are spread over its voiced span by their length. Slowly, it plays at three quarters of its
// speed at the same pitch. Throws SpeechError naming the file and the reason when it is missing,
// damaged, longer than a minute or of a sample rate outside 8000 to 192000 Hz.
SynthesizedSpeech load(const QString& path, const QString& text, bool slowly = false);

} // namespace dialoon::Recording
