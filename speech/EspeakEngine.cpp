#include "speech/EspeakEngine.h"

#include "base/Errors.h"
#include "platform/posix/SharedLibrary.h"

#include <espeak-ng/espeak_ng.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace dialoon {

namespace {

// espeak-ng hands out sound in pieces of this many milliseconds.
constexpr int kBufferMs = 100;

// The engine's library and its functions.
struct EspeakLibrary
{
    SharedLibrary shared{DIALOON_ESPEAK_LIBRARY};
    decltype(&espeak_ng_InitializePath) initializePath = shared.find("espeak_ng_InitializePath");
    decltype(&espeak_Info) info = shared.find("espeak_Info");
    decltype(&espeak_Initialize) initialize = shared.find("espeak_Initialize");
    decltype(&espeak_SetSynthCallback) setSynthCallback = shared.find("espeak_SetSynthCallback");
    decltype(&espeak_SetVoiceByName) setVoiceByName = shared.find("espeak_SetVoiceByName");
    decltype(&espeak_SetParameter) setParameter = shared.find("espeak_SetParameter");
    decltype(&espeak_Synth) synth = shared.find("espeak_Synth");
};

struct EngineState
{
    std::mutex lock;
    const EspeakLibrary* espeak = nullptr; // set when the engine has started
    int sampleRate = 0;                    // 0 until the engine has started
    std::optional<std::string> startProblem;
    QString dataPath;
    QString currentVoice;
    int currentRate = EspeakEngine::kNormalRate;
    SynthesizedSpeech* collecting = nullptr; // the result being filled by the callback
};

// Never destroyed: a voice's worker left behind in a sound device that hangs may still come back while
// the process's static objects are being destroyed, and must find the lock where it was.
EngineState& engine = *new EngineState;

std::atomic<quint64> synthesisCount{0};

// How wide the beak opens for an espeak-ng phoneme name ("a:", "m", "_"), 0 to 1, by the name's first
// letter: the open vowels, the other vowels, the pause and the lip-closing and lip-biting consonants.
double mouthOpening(char first)
{
    constexpr std::pair<std::string_view, double> kOpenings[] = {
        {"aA&6", 1.0}, {"EeOoV0@3WY", 0.65}, {"IiUuy", 0.4}, {"_mbp", 0.0}, {"fv", 0.15}};
    if (first == '\0') return 0.0;
    for (const auto& [firstLetters, opening] : kOpenings)
        if (firstLetters.find(first) != std::string_view::npos) return opening;
    return 0.25;
}

int collect(short* wav, int count, espeak_EVENT* events)
{
    SynthesizedSpeech* out = engine.collecting;
    if (out == nullptr) return 0;
    if (wav != nullptr && count > 0) out->samples.insert(out->samples.end(), wav, wav + count);
    for (espeak_EVENT* e = events; e != nullptr && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_WORD && e->length > 0) {
            // Positions are in code points, counted from 1; they are turned into QString indexes later.
            out->marks.push_back(
                {SpeechMark::Kind::Word, e->audio_position, e->text_position - 1, e->length, 0.0});
        } else if (e->type == espeakEVENT_PHONEME) {
            out->marks.push_back(
                {SpeechMark::Kind::Phoneme, e->audio_position, 0, 0, mouthOpening(e->id.string[0])});
        }
    }
    return 0;
}

// Starts the engine, or says why it cannot; the lock is held by the caller. The engine's library is
// opened when speech is first needed, not when the program starts: with what it brings along (the sound
// server's client, codecs) it is some twenty libraries, which would otherwise make the strip's first
// frame wait for the dynamic loader. It stays open for the rest of the run.
std::optional<std::string> start()
{
    static const EspeakLibrary espeak;
    if (!espeak.shared.isOpen())
        return "the espeak-ng library could not be loaded (" + espeak.shared.problem() +
               "; install libespeak-ng1)";
    if (!espeak.shared.complete())
        return "the espeak-ng library " DIALOON_ESPEAK_LIBRARY " lacks functions it should have";
    espeak.initializePath(nullptr);
    const char* path = nullptr;
    espeak.info(&path);
    engine.dataPath = QString::fromLocal8Bit(path != nullptr ? path : "");
    // espeak-ng prints its own complaint when its data is missing; looking first keeps it quiet.
    if (engine.dataPath.isEmpty() || !QFileInfo::exists(QDir(engine.dataPath).filePath("phontab")))
        return "the espeak-ng speech data is missing (looked in " + engine.dataPath.toStdString() +
               "; install espeak-ng-data)";
    const int rate = espeak.initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr,
                                       espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) return "the espeak-ng speech engine could not start";
    engine.sampleRate = rate;
    engine.espeak = &espeak;
    espeak.setSynthCallback(&collect);
    return std::nullopt;
}

void startOrThrow()
{
    if (engine.sampleRate == 0 && !engine.startProblem) engine.startProblem = start();
    if (engine.startProblem) throw SpeechError(*engine.startProblem);
}

void selectVoice(const QString& voiceName, const QString& dictionary)
{
    if (engine.currentVoice == voiceName) return;
    if (!QFileInfo::exists(QDir(engine.dataPath).filePath(dictionary)) ||
        engine.espeak->setVoiceByName(voiceName.toUtf8().constData()) != EE_OK)
        throw SpeechError("the espeak-ng voice \"" + voiceName.toStdString() +
                          "\" is missing (install espeak-ng-data)");
    engine.currentVoice = voiceName;
}

} // namespace

int EspeakEngine::sampleRate()
{
    std::lock_guard guard(engine.lock);
    startOrThrow();
    return engine.sampleRate;
}

void EspeakEngine::prepareVoice(const QString& voiceName, const QString& dictionary)
{
    std::lock_guard guard(engine.lock);
    startOrThrow();
    selectVoice(voiceName, dictionary);
}

SynthesizedSpeech EspeakEngine::synthesize(const QString& text, const QString& voiceName,
                                           const QString& dictionary, int wordsPerMinute)
{
    std::lock_guard guard(engine.lock);
    startOrThrow();
    selectVoice(voiceName, dictionary);
    if (wordsPerMinute != engine.currentRate &&
        engine.espeak->setParameter(espeakRATE, wordsPerMinute, 0) == EE_OK)
        engine.currentRate = wordsPerMinute;

    ++synthesisCount;
    SynthesizedSpeech speech;
    speech.sampleRate = engine.sampleRate;
    const std::wstring wide = text.toStdWString();
    engine.collecting = &speech;
    const espeak_ERROR result = engine.espeak->synth(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t), 0,
                                                     POS_CHARACTER, 0, espeakCHARS_WCHAR, nullptr, nullptr);
    engine.collecting = nullptr;
    if (result != EE_OK)
        throw SpeechError("espeak-ng could not synthesise the text (error " + std::to_string(result) + ")");

    // espeak-ng's positions count code points; the marks count the QString's UTF-16 units, so the index
    // of each code point's first unit (and one past the end) turns one into the other.
    std::vector<int> starts;
    starts.reserve(static_cast<std::size_t>(text.size()) + 1);
    for (int i = 0; i < text.size(); ++i)
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())) starts.push_back(i);
    starts.push_back(static_cast<int>(text.size()));
    const int last = static_cast<int>(starts.size()) - 1;
    for (SpeechMark& mark : speech.marks) {
        if (mark.kind != SpeechMark::Kind::Word) continue;
        const int first = std::clamp(mark.textStart, 0, last);
        const int end = std::clamp(mark.textStart + mark.textLength, first, last);
        mark.textStart = starts[static_cast<std::size_t>(first)];
        mark.textLength = starts[static_cast<std::size_t>(end)] - mark.textStart;
    }
    return speech;
}

quint64 EspeakEngine::syntheses()
{
    return synthesisCount.load();
}

} // namespace dialoon
