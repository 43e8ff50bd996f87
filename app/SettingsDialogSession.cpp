#include "app/SettingsDialogSession.h"

#include "engine/AppState.h"
#include "engine/LessonTable.h"
#include "engine/StripModel.h"

namespace dialoon::SettingsDialogSession {

void opened(StripModel& strip)
{
    strip.image1Enabled = false;
    strip.timerEnabled[Timer5] = false;
}

bool closed(AppState& state, StripModel& strip, const DialogChoices& choices)
{
    strip.image1Enabled = true;
    // While the welcome banner still runs, the banner's own end starts the cycle.
    if (state.welcomeCountdown <= 2) strip.timerEnabled[Timer5] = true;

    // Going from one lesson to the whole course with the place kept starts the course from its beginning.
    if (state.lessonIndex != 0 && choices.keepSchedule && choices.lessonIndex == 0)
        state.sentenceId = LessonTable::kFirstSentenceId;
    if (choices.lessonIndex >= 0) state.lessonIndex = static_cast<std::int16_t>(choices.lessonIndex);
    state.sequentialPlay = choices.sequence ? 1 : 0;
    state.germanFirst = choices.germanFirst ? 1 : 0;
    state.repeatCount = choices.repeatCount;
    state.germanSeconds = choices.germanSeconds;
    state.englishSeconds = choices.englishSeconds;
    return state.saveSettings != 0;
}

} // namespace dialoon::SettingsDialogSession
