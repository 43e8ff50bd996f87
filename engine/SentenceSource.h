// Where the strip's sentences come from: the built-in course or a deck of the user's own. The playback
// cycle asks for the next one and does not know which plays.
#pragma once

#include <functional>
#include <memory>

namespace dialoon {

class SentenceSource
{
public:
    // Uniform values in [0, 1); by default from a generator seeded afresh from the clock for each draw.
    using Draw = std::function<float()>;

    virtual ~SentenceSource() = default;

    // Loads the next German text and its translation (and the German text's recording, if any) into the
    // strip model, in sequence or at random as the state says.
    virtual void Load_Next_Sentence() = 0;

    static float drawFromClock();
};

// The source that plays now: the course, or a deck put in its place.
class PlayingSource : public SentenceSource
{
public:
    explicit PlayingSource(SentenceSource& course) : course_(course) {}

    // Plays the deck from the next sentence on; none: the course again.
    void play(std::unique_ptr<SentenceSource> deck)
    {
        deck_ = std::move(deck);
        held_ = false;
    }
    bool playsDeck() const { return deck_ != nullptr; }
    // A deck is to play but not read yet: until play(), asking for a sentence loads none, so that the
    // course's place does not move for a sentence nobody sees.
    void hold() { held_ = true; }

    void Load_Next_Sentence() override
    {
        if (!held_) (deck_ ? *deck_ : course_).Load_Next_Sentence();
    }

private:
    SentenceSource& course_;
    std::unique_ptr<SentenceSource> deck_;
    bool held_ = false;
};

} // namespace dialoon
