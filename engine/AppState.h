// The application state: the settings mirrored from the store and the run-time counters of playback
// and of the welcome phase. One object, owned by the application and handed around by reference.
#pragma once

#include <QString>

#include <cstdint>

namespace dialoon {

struct AppState
{
    // Settings, each mirroring one key of the store.
    std::int16_t germanFirst = 0;      // ce
    std::int16_t repeatCount = 0;      // n
    std::int16_t englishSeconds = 0;   // ctime
    std::int16_t germanSeconds = 0;    // etime
    std::int16_t sequentialPlay = 0;   // rd
    std::int16_t saveSchedule = 0;     // psave
    std::int16_t saveSettings = 0;     // ssave
    std::int16_t autoHide = 0;         // visi
    std::int16_t readAloud = 0;        // voice
    std::int16_t lessonIndex = 0;      // guage
    std::int16_t sentenceId = 0;       // guagen
    std::int16_t redSetting = 0;       // red
    std::int16_t startWithWindows = 0; // mark
    std::int16_t speedSetting = 0;     // sspeed
    std::int16_t slowSpeech = 0;       // slow

    // The deck of the user's own that plays instead of the course (its folder's name; empty: the
    // course), and the place reached in it: the index of the phrase that comes next in sequence.
    QString playingDeck;
    int deckPlace = 0;

    // Run-time counters.
    std::int16_t welcomeCountdown = 0;
    std::int16_t cycleTicks = 0;
    std::int16_t showingsDone = 0;
    std::int16_t cyclePhase = 0;
};

} // namespace dialoon
