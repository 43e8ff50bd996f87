// A phrase's own recording: decoded with libsndfile, opened when the first recording is played, slowed
// down by waveform-similarity overlap-add, and given beak and word marks from its loudness.
#include "speech/Recording.h"

#include "base/Errors.h"
#include "platform/posix/SharedLibrary.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <numbers>
#include <numeric>
#include <utility>

#ifdef DIALOON_HAVE_SNDFILE
#include <sndfile.h>
#endif

namespace dialoon::Recording {

namespace {

// A phrase is a sentence or two; anything longer is not one, and would hold the voice and the memory.
constexpr int kLongestSeconds = 60;
constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 192000;

// One beak mark per window of this length: the beak follows syllables, not single periods.
constexpr int kWindowMs = 25;
// Full opening is the loudness of the recording's loud stretches, so that a quiet recording moves the beak
// as much as a loud one; the top few windows (a clap, a plosive) do not set it.
constexpr double kLoudPercentile = 0.95;
// Below this level (about -50 dBFS) a window is silence whatever the recording, and below this share of
// the loud level it is breath or room noise: either way the beak stays shut.
constexpr double kNoiseFloor = 0.003;
constexpr double kGateShare = 0.1;
// The words are spread between the first and the last window this loud, not over leading or trailing
// silence.
constexpr double kVoicedShare = 0.25;

// Three quarters of the usual speed, as the voice's slow rate.
constexpr double kSlowSpeed = 0.75;
// Frames of the stretch: long enough to hold a few periods of the lowest voice, short enough not to smear
// syllables; each may move this far from its nominal place to find where it continues the one before.
constexpr int kFrameMs = 30;
constexpr int kSearchMs = 10;
// The search for that place runs first at about this rate, then finely around the best one found.
constexpr int kCoarseRate = 8000;

[[noreturn]] void refuse(const QString& path, const QString& reason)
{
    throw SpeechError(QStringLiteral("the recording %1 %2").arg(path, reason).toStdString());
}

struct Decoded
{
    std::vector<float> sound; // mono, -1 to 1
    int rate = 0;
};

#ifdef DIALOON_HAVE_SNDFILE

// The decoder is opened when the first recording is played, not when the program starts: it brings the
// codecs of FLAC, Vorbis, Opus and MPEG along, which the strip's first frame would otherwise wait for.
struct SndfileLibrary
{
    SharedLibrary shared{DIALOON_SNDFILE_LIBRARY};
    decltype(&sf_open) open = shared.find("sf_open");
    decltype(&sf_readf_float) readFrames = shared.find("sf_readf_float");
    decltype(&sf_error) error = shared.find("sf_error");
    decltype(&sf_strerror) strerror = shared.find("sf_strerror");
    decltype(&sf_close) close = shared.find("sf_close");
};

Decoded decode(const QString& path)
{
    static const SndfileLibrary library;
    if (!library.shared.complete())
        refuse(path, QStringLiteral("cannot be read: the sound file library %1 could not be loaded (%2)")
                         .arg(QLatin1String(DIALOON_SNDFILE_LIBRARY),
                              QString::fromStdString(library.shared.problem())));
    const auto problem = [&](SNDFILE* file) {
        QString reason = QString::fromLocal8Bit(library.strerror(file)).trimmed();
        if (reason.endsWith(u'.')) reason.chop(1); // the sentence goes on after it
        return "cannot be read: " + reason;
    };

    SF_INFO info{};
    SNDFILE* const opened = library.open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (opened == nullptr) refuse(path, problem(nullptr));
    const std::unique_ptr<SNDFILE, decltype(library.close)> file(opened, library.close);

    if (info.samplerate < kLowestRate || info.samplerate > kHighestRate)
        refuse(path, QStringLiteral("has a sample rate of %1 Hz, outside %2 to %3 Hz")
                         .arg(info.samplerate)
                         .arg(kLowestRate)
                         .arg(kHighestRate));
    if (info.channels < 1) refuse(path, QStringLiteral("cannot be read: it has no sound channels"));
    const auto longest =
        static_cast<std::size_t>(kLongestSeconds) * static_cast<std::size_t>(info.samplerate);
    const QString tooLong = QStringLiteral("is longer than %1 s").arg(kLongestSeconds);
    // Some formats (MPEG without a header of its length) only guess their length; the reading stops anyway.
    const bool lengthKnown = info.frames > 0 && info.frames < std::numeric_limits<sf_count_t>::max();
    if (lengthKnown && static_cast<std::size_t>(info.frames) > longest) refuse(path, tooLong);

    Decoded decoded;
    decoded.rate = info.samplerate;
    if (lengthKnown) decoded.sound.reserve(static_cast<std::size_t>(info.frames));
    constexpr sf_count_t kBlockFrames = 4096;
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) *
                             static_cast<std::size_t>(info.channels));
    for (;;) {
        const sf_count_t got = library.readFrames(file.get(), block.data(), kBlockFrames);
        if (got <= 0) break;
        if (decoded.sound.size() + static_cast<std::size_t>(got) > longest) refuse(path, tooLong);
        for (sf_count_t frame = 0; frame < got; ++frame) {
            const float* const channels = block.data() + frame * info.channels;
            float sum = 0.0f;
            for (int channel = 0; channel < info.channels; ++channel)
                sum += channels[channel];
            const float mono = sum / static_cast<float>(info.channels);
            // Floating-point files may hold anything, including values a damaged file makes up.
            decoded.sound.push_back(std::isfinite(mono) ? std::clamp(mono, -1.0f, 1.0f) : 0.0f);
        }
    }
    if (library.error(file.get()) != SF_ERR_NO_ERROR) refuse(path, problem(file.get()));
    if (decoded.sound.empty()) refuse(path, QStringLiteral("cannot be read: it holds no sound"));
    return decoded;
}

#else

Decoded decode(const QString& path)
{
    refuse(path, QStringLiteral("cannot be read: this build has no sound file reader (libsndfile was "
                                "missing when it was built)"));
}

#endif

// Stretches the sound to 1/speed of its length at the same pitch. Hann-windowed frames are laid down half
// a frame apart; each is taken from near its nominal place in the input where it best continues the
// frame before, so that overlapping frames add up in phase instead of cutting periods in two.
std::vector<float> stretch(const std::vector<float>& in, int rate, double speed)
{
    const long half = std::max(1, rate * kFrameMs / 2000);
    const long frame = 2 * half;
    const long tolerance = rate * kSearchMs / 1000;
    const long step = std::max(1, rate / kCoarseRate);
    const long last = static_cast<long>(in.size());
    const auto outLength = static_cast<std::size_t>(std::ceil(static_cast<double>(in.size()) / speed));

    std::vector<float> x(in);
    x.resize(in.size() + static_cast<std::size_t>(2 * frame + 2 * step), 0.0f); // past the end is silence
    std::vector<float> coarse(x.size() / static_cast<std::size_t>(step));
    for (std::size_t i = 0; i < coarse.size(); ++i)
        coarse[i] = std::accumulate(x.begin() + static_cast<long>(i) * step,
                                    x.begin() + (static_cast<long>(i) + 1) * step, 0.0f) /
                    static_cast<float>(step);
    std::vector<float> window(static_cast<std::size_t>(frame));
    for (long j = 0; j < frame; ++j)
        window[j] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * j / frame));

    // Normalised by the candidate's energy only, so that a loud candidate does not win by loudness. Four
    // sums side by side, since this loop is nearly all of the stretch's time.
    const auto similarity = [](const float* wanted, const float* candidate, long count) {
        float dot[4] = {};
        float energy[4] = {};
        long j = 0;
        for (; j + 4 <= count; j += 4)
            for (int lane = 0; lane < 4; ++lane) {
                dot[lane] += wanted[j + lane] * candidate[j + lane];
                energy[lane] += candidate[j + lane] * candidate[j + lane];
            }
        for (; j < count; ++j) {
            dot[0] += wanted[j] * candidate[j];
            energy[0] += candidate[j] * candidate[j];
        }
        const double sumEnergy = double(energy[0]) + energy[1] + energy[2] + energy[3];
        return sumEnergy > 0.0 ? (double(dot[0]) + dot[1] + dot[2] + dot[3]) / std::sqrt(sumEnergy) : 0.0;
    };
    const auto bestPlace = [&](const std::vector<float>& signal, long scale, long wanted, long low, long high,
                               long first) {
        long best = first;
        double bestScore = -std::numeric_limits<double>::infinity();
        for (long at = low; at <= high; ++at) {
            const double score = similarity(&signal[wanted / scale], &signal[at], half / scale);
            if (score > bestScore) {
                bestScore = score;
                best = at;
            }
        }
        return best;
    };

    std::vector<float> out(outLength + static_cast<std::size_t>(frame), 0.0f);
    long previous = 0;
    for (std::size_t k = 0; k * static_cast<std::size_t>(half) < outLength; ++k) {
        long from = 0;
        if (k > 0) {
            const long nominal = std::lround(static_cast<double>(k) * static_cast<double>(half) * speed);
            const long low = std::max(0L, nominal - tolerance);
            const long high = std::max(low, std::min(last, nominal + tolerance));
            const long wanted = previous + half; // where the previous frame's own sound goes on
            const long rough = step * bestPlace(coarse, step, wanted, low / step, high / step, low / step);
            from = bestPlace(x, 1, wanted, std::max(low, rough - step), std::min(high, rough + step), rough);
        }
        previous = from;
        float* const target = out.data() + k * static_cast<std::size_t>(half);
        for (long j = 0; j < frame; ++j)
            target[j] += (k == 0 && j < half ? 1.0f : window[j]) * x[from + j]; // no fade-in at the start
    }
    out.resize(outLength);
    return out;
}

QList<SpeechMark> marksFor(const std::vector<float>& sound, int rate, const QString& text)
{
    const std::size_t window = std::max<std::size_t>(1, static_cast<std::size_t>(rate * kWindowMs / 1000));
    const auto msAt = [rate](std::size_t sample) { return static_cast<int>(sample * 1000 / rate); };
    std::vector<double> levels;
    for (std::size_t at = 0; at < sound.size(); at += window) {
        const std::size_t end = std::min(sound.size(), at + window);
        double sum = 0.0;
        for (std::size_t i = at; i < end; ++i)
            sum += double(sound[i]) * sound[i];
        levels.push_back(std::sqrt(sum / static_cast<double>(end - at)));
    }

    std::vector<double> heard;
    std::copy_if(levels.begin(), levels.end(), std::back_inserter(heard),
                 [](double level) { return level > kNoiseFloor; });
    double loud = 0.0;
    if (!heard.empty()) {
        const auto top =
            heard.begin() + static_cast<long>(kLoudPercentile * static_cast<double>(heard.size() - 1));
        std::nth_element(heard.begin(), top, heard.end());
        loud = *top;
    }
    const double gate = std::max(kNoiseFloor, loud * kGateShare);

    QList<SpeechMark> marks;
    std::size_t firstVoiced = levels.size();
    std::size_t lastVoiced = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const double mouth = loud > gate ? std::clamp((levels[i] - gate) / (loud - gate), 0.0, 1.0) : 0.0;
        marks.push_back({SpeechMark::Kind::Phoneme, msAt(i * window), 0, 0, mouth});
        if (loud > gate && levels[i] >= loud * kVoicedShare) {
            firstVoiced = std::min(firstVoiced, i);
            lastVoiced = i;
        }
    }
    if (firstVoiced > lastVoiced) { // nothing loud: the words are spread over the whole sound
        firstVoiced = 0;
        lastVoiced = levels.empty() ? 0 : levels.size() - 1;
    }

    std::vector<std::pair<int, int>> words; // start and length in the text
    int letters = 0;
    for (int i = 0; i < text.size();) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        const int start = i;
        while (i < text.size() && !text[i].isSpace())
            ++i;
        words.emplace_back(start, i - start);
        letters += i - start;
    }
    const double beginMs = msAt(firstVoiced * window);
    const double spanMs = msAt(std::min(sound.size(), (lastVoiced + 1) * window)) - beginMs;
    int before = 0;
    for (const auto& [start, length] : words) {
        const int ms = static_cast<int>(beginMs + spanMs * before / letters);
        marks.push_back({SpeechMark::Kind::Word, ms, start, length, 0.0});
        before += length;
    }
    std::stable_sort(marks.begin(), marks.end(),
                     [](const SpeechMark& a, const SpeechMark& b) { return a.audioMs < b.audioMs; });
    return marks;
}

} // namespace

SynthesizedSpeech load(const QString& path, const QString& text, bool slowly)
{
    Decoded decoded = decode(path);
    if (slowly) decoded.sound = stretch(decoded.sound, decoded.rate, kSlowSpeed);
    SynthesizedSpeech speech;
    speech.sampleRate = decoded.rate;
    speech.marks = marksFor(decoded.sound, decoded.rate, text);
    speech.samples.resize(decoded.sound.size());
    std::transform(decoded.sound.begin(), decoded.sound.end(), speech.samples.begin(), [](float value) {
        return static_cast<std::int16_t>(std::lrint(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
    });
    return speech;
}

} // namespace dialoon::Recording
