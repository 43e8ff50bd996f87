// The playback cycle: every 100 ms tick advances a showing of the current sentence, first language,
// then second, each for its seconds, and loads the next sentence after the set number of showings.
#pragma once

namespace dialoon {

struct AppState;
struct StripModel;
class SentenceSource;
class SpeechRequests;

class PlaybackCycle
{
public:
    PlaybackCycle(AppState& state, StripModel& strip, SentenceSource& selector, SpeechRequests& speech)
        : state_(state), strip_(strip), selector_(selector), speech_(speech)
    {
    }

    // One tick of Timer5.
    void tick();

    // Another source plays now: the showing under way is cleared away, and the next tick loads the
    // source's next sentence and starts its showing.
    void startAfresh();

    // How many of the next ticks only count: they show nothing new, start no effect and no speech, and
    // load no sentence, so that they may run late without anyone noticing, as long as the tick after
    // them comes on time. 0 when the next tick does something.
    int ticksOnlyCounting() const;

private:
    void startGerman();
    void startEnglish();
    void blankGerman();
    void blankEnglish(); // and back below the strip, where its next rise starts

    AppState& state_;
    StripModel& strip_;
    SentenceSource& selector_;
    SpeechRequests& speech_;
};

} // namespace dialoon
