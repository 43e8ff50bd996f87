// Chooses the next phrase of a deck of the user's own, in sequence from the place reached or at random
// over the whole deck, and loads it, with its recording, for the strip.
#pragma once

#include "engine/Deck.h"
#include "engine/SentenceSource.h"

namespace dialoon {

struct AppState;
struct StripModel;

class DeckSelector : public SentenceSource
{
public:
    DeckSelector(AppState& state, StripModel& strip, Deck deck, Draw draw = {});

    void Load_Next_Sentence() override;
    const Deck& deck() const { return deck_; }

private:
    AppState& state_;
    StripModel& strip_;
    Deck deck_;
    Draw draw_;
};

} // namespace dialoon
