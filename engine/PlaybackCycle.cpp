// Playback cycle.
#include "engine/PlaybackCycle.h"

#include "engine/AppState.h"
#include "engine/CheckedInt16.h"
#include "engine/SentenceSelector.h"
#include "engine/SpeechRequests.h"
#include "engine/StripModel.h"

namespace dialoon {
namespace {

const QString kBlank = QStringLiteral(" ");

} // namespace

PlaybackCycle::PlaybackCycle(AppState& state, StripModel& strip, SentenceSelector& selector,
                             SpeechRequests& speech)
    : state_(state), strip_(strip), selector_(selector), speech_(speech)
{
}

void PlaybackCycle::startGerman()
{
    strip_.timerEnabled[Timer4] = true;
    // The character never holds up the captions: a failed request is simply dropped.
    try {
        if (state_.readAloud == 1)
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
    strip_.label1Text = kBlank;
}

void PlaybackCycle::blankEnglish()
{
    strip_.label2Text = kBlank;
    strip_.label2Top = StripDesign::kLabel2StartTop;
}

bool PlaybackCycle::nextTickOnlyCounts() const
{
    // Phases 1 and 3 wait out a language's seconds; the tick that ends the wait only moves on to the
    // next phase, and the one after it does what is seen.
    const bool waiting = state_.cyclePhase == 1 || state_.cyclePhase == 3;
    return waiting && state_.showingsDone < state_.repeatCount;
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
        if (!(ticks >= 0 && ticks < checkedInt16(10LL * first)))
            state_.cyclePhase = 2;
        break;
    case 2:
        state_.cyclePhase = 3;
        if (germanFirst) {
            blankGerman();
            startEnglish();
        } else {
            blankEnglish();
            startGerman();
        }
        break;
    case 3:
        if (!(ticks >= checkedInt16(10LL * first) && ticks <= checkedInt16(10LL * checkedInt16(first + second))))
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
