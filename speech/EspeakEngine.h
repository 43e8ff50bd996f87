// The espeak-ng synthesiser, used in its retrieval mode: text in, samples and timed marks out.
#pragma once

#include "speech/SpeechMark.h"

#include <QString>

namespace dialoon {

// espeak-ng keeps all its state in process globals and is not reentrant, so it has no instances: every use
// goes through these functions, which hold one lock and start the engine on first use.
namespace EspeakEngine {

// Samples per second of everything the engine makes. Throws SpeechError when the engine cannot start
// (its data missing); the error then stays the same for the rest of the run.
int sampleRate();

// Makes voiceName (an espeak-ng voice such as "de") the current voice, so that the first sentence does
// not wait for its dictionary. dictionary names the voice's dictionary file ("de_dict"), checked first
// because espeak-ng itself only complains about a missing one on standard error.
void prepareVoice(const QString& voiceName, const QString& dictionary);

// espeak-ng's usual rate in words per minute, and a beginner's slow one, about three quarters of it.
inline constexpr int kNormalRate = 175;
inline constexpr int kSlowRate = 130;

// Synthesises text exactly as given, at the rate in words per minute. Blocks for the synthesis only (a
// few milliseconds per sentence). Throws SpeechError when the engine or the voice is missing.
SynthesizedSpeech synthesize(const QString& text, const QString& voiceName, const QString& dictionary,
                             int wordsPerMinute = kNormalRate);

// How many texts synthesize has been asked to synthesise in this process so far.
quint64 syntheses();

} // namespace EspeakEngine

} // namespace dialoon
