#include "engine/DeckSelector.h"

#include "engine/AppState.h"
#include "engine/StripModel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace dialoon {

float SentenceSource::drawFromClock()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<unsigned>(now), static_cast<unsigned>(now >> 32)};
    std::mt19937 generator(seed);
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(generator);
}

DeckSelector::DeckSelector(AppState& state, StripModel& strip, Deck deck, Draw draw)
    : state_(state), strip_(strip), deck_(std::move(deck)),
      draw_(draw ? std::move(draw) : Draw(&SentenceSource::drawFromClock))
{
}

void DeckSelector::Load_Next_Sentence()
{
    const int count = int(deck_.phrases.size());
    if (count == 0) return;
    int index = 0;
    if (state_.sequentialPlay != 0) {
        // A place beyond the deck (a hand-edited store, a deck that was shorter) starts it again.
        index = state_.deckPlace >= 0 && state_.deckPlace < count ? state_.deckPlace : 0;
        state_.deckPlace = index + 1 < count ? index + 1 : 0;
    } else {
        index = std::clamp(static_cast<int>(std::floor(draw_() * count)), 0, count - 1);
    }
    const DeckPhrase& phrase = deck_.phrases[std::size_t(index)];
    strip_.germanText = phrase.german;
    strip_.englishText = phrase.english;
    strip_.germanRecording = phrase.recording.isEmpty() ? QString() : deck_.mediaFolder + phrase.recording;
    strip_.label1ToolTip = strip_.germanText;
    strip_.label2ToolTip = strip_.englishText;
}

} // namespace dialoon
