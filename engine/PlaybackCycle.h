// The playback cycle: every 100 ms tick advances a showing of the current sentence, first language,
// then second, each for its seconds, and loads the next sentence after the set number of showings.
#pragma once

namespace dialoon {

struct AppState;
struct StripModel;
class SentenceSelector;
class SpeechRequests;

class PlaybackCycle
{
public:
    PlaybackCycle(AppState& state, StripModel& strip, SentenceSelector& selector, SpeechRequests& speech)
        : state_(state), strip_(strip), selector_(selector), speech_(speech)
    {
    }

    // One tick of Timer5.
    void tick();

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
    SentenceSelector& selector_;
    SpeechRequests& speech_;
};

} // namespace dialoon
