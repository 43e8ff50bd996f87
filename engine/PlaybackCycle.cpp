#include "engine/PlaybackCycle.h"

#include "base/CheckedInt16.h"
#include "engine/AppState.h"
#include "engine/SentenceSource.h"
#include "engine/SpeechRequests.h"
#include "engine/StripModel.h"

#include <cstdint>

namespace dialoon {

void PlaybackCycle::startGerman()
{
    strip_.timerEnabled[Timer4] = true;
    // The character never holds up the captions: a failed request is simply dropped.
    try {
        if (state_.readAloud == 1 && !strip_.germanRecording.isEmpty())
            speech_.playRecording(strip_.germanRecording, strip_.germanText);
        else if (state_.readAloud == 1)
            speech_.speak(strip_.germanText);
    } catch (...) {
    }
    try {
        speech_.play(QStringLiteral("Wave"));
    } catch (...) {
    }
}

void PlaybackCycle::startEnglish()
{
    strip_.timerEnabled[Timer3] = true;
}

void PlaybackCycle::blankGerman()
{
    strip_.label1Text = StripDesign::kBlank;
}

void PlaybackCycle::blankEnglish()
{
    strip_.label2Text = StripDesign::kBlank;
    strip_.label2Top = StripDesign::kLabel2StartTop;
}

void PlaybackCycle::startAfresh()
{
    speech_.stop();
    blankGerman();
    blankEnglish();
    state_.cyclePhase = 0;
    state_.cycleTicks = 0;
    state_.showingsDone = state_.repeatCount;
}

int PlaybackCycle::ticksOnlyCounting() const
{
    // Phases 1 and 3 wait out a language's seconds; the tick that ends the wait only moves on to the
    // next phase, and the one after it does what is seen.
    if (state_.showingsDone >= state_.repeatCount) return 0;
    const bool germanFirst = state_.germanFirst == 1;
    const std::int64_t first = germanFirst ? state_.germanSeconds : state_.englishSeconds;
    const std::int64_t second = germanFirst ? state_.englishSeconds : state_.germanSeconds;
    const std::int64_t next = std::int64_t(state_.cycleTicks) + 1; // the count the next tick sees
    // The last count that keeps the phase waiting: a tick seeing a later count ends the wait.
    std::int64_t from = 0;
    std::int64_t last = 0;
    if (state_.cyclePhase == 1) {
        last = 10 * first - 1;
    } else if (state_.cyclePhase == 3) {
        from = 10 * first;
        last = 10 * (first + second);
    } else {
        return 0;
    }
    // Counts beyond what the tick can hold make it fail; let it come on time.
    const auto holds = [](std::int64_t v) { return v >= INT16_MIN && v <= INT16_MAX; };
    if (!holds(next) || !holds(10 * first) || !holds(10 * (first + second)) || !holds(first + second))
        return 1;
    if (next < from || next > last) return 1;
    return int(last - next + 2);
}

void PlaybackCycle::tick()
{
    addChecked(state_.cycleTicks, 1);
    if (state_.showingsDone >= state_.repeatCount) {
        state_.showingsDone = 0;
        selector_.Load_Next_Sentence();
    }

    const bool germanFirst = state_.germanFirst == 1;
    const std::int16_t first = germanFirst ? state_.germanSeconds : state_.englishSeconds;
    const std::int16_t second = germanFirst ? state_.englishSeconds : state_.germanSeconds;
    const std::int16_t ticks = state_.cycleTicks;

    switch (state_.cyclePhase) {
    case 0:
        state_.cyclePhase = 1;
        germanFirst ? startGerman() : startEnglish();
        break;
    case 1:
        if (!(ticks >= 0 && ticks < checkedInt16(10LL * first))) state_.cyclePhase = 2;
        break;
    case 2:
        state_.cyclePhase = 3;
        germanFirst ? blankGerman() : blankEnglish();
        germanFirst ? startEnglish() : startGerman();
        break;
    case 3:
        if (!(ticks >= checkedInt16(10LL * first) &&
              ticks <= checkedInt16(10LL * checkedInt16(first + second))))
            state_.cyclePhase = 4;
        break;
    case 4:
        state_.cyclePhase = 0;
        germanFirst ? blankEnglish() : blankGerman();
        addChecked(state_.showingsDone, 1);
        state_.cycleTicks = 0;
        break;
    default:
        break;
    }
}

} // namespace dialoon
