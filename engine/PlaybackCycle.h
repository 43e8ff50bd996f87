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
    PlaybackCycle(AppState& state, StripModel& strip, SentenceSelector& selector, SpeechRequests& speech);

    // One tick of Timer5.
    void tick();

    // Whether the next tick only counts: it shows nothing new, starts no effect and no speech, and
    // loads no sentence, so that it may run a little late without anyone noticing.
    bool nextTickOnlyCounts() const;

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
