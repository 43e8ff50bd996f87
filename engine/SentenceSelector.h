// Chooses the next sentence, in sequence or at random, in one lesson or over the whole course, and
// loads its German text and English translation for the strip.
#pragma once

#include "engine/SentenceSource.h"

#include <functional>

namespace dialoon {

struct AppState;
struct StripModel;
class Catalogue;
class Platform;

class SentenceSelector : public SentenceSource
{
public:
    SentenceSelector(AppState& state, StripModel& strip, const Catalogue& catalogue, Platform& platform,
                     Draw draw = {});

    void Load_Next_Sentence() override;

private:
    void loadTexts(int id);

    AppState& state_;
    StripModel& strip_;
    const Catalogue& catalogue_;
    Platform& platform_;
    Draw draw_;
};

} // namespace dialoon
