// The engine's parts wired together over a fake platform, with a virtual clock that fires the strip's
// timers in order, so that tests step time instead of waiting for it.
#pragma once

#include "FakePlatform.h"

#include "engine/AppState.h"
#include "engine/CaptionEffects.h"
#include "engine/Catalogue.h"
#include "engine/PlaybackCycle.h"
#include "engine/SentenceSelector.h"
#include "app/FullscreenStepAside.h"
#include "engine/SpeechRequests.h"
#include "engine/StripDrag.h"
#include "engine/StripModel.h"
#include "engine/StripTicks.h"
#include "engine/WelcomeWatch.h"

#include <QStringList>

#include <array>
#include <deque>

namespace dialoon {

// Keeps what the cycle asked the character to do.
class SpeechLog : public SpeechRequests
{
public:
    QStringList requests;
    bool failing = false;
    void speak(const QString& text) override
    {
        requests << QStringLiteral("speak:") + text;
        if (failing)
            throw std::runtime_error("no voice");
    }
    void stop() override { requests << QStringLiteral("stop"); }
    void play(const QString& animation) override
    {
        requests << QStringLiteral("play:") + animation;
        if (failing)
            throw std::runtime_error("no character");
    }
};

struct EngineRig
{
    AppState state;
    StripModel strip;
    FakePlatform platform;
    Catalogue catalogue = Catalogue::fromResources();
    std::deque<float> draws; // values the random selection draws next; 0.5 once they run out
    SentenceSelector selector{state, strip, catalogue, platform, [this] {
                                  if (draws.empty())
                                      return 0.5f;
                                  const float r = draws.front();
                                  draws.pop_front();
                                  return r;
                              }};
    SpeechLog speech;
    FullscreenStepAside stepAside{platform, speech}; // as in the program, between the cycle and the character
    PlaybackCycle cycle{state, strip, selector, stepAside};
    CaptionEffects effects{strip};
    WelcomeWatch watch{state, strip, platform};
    StripDrag dragger{strip, platform};
    StripTicks timers{watch, effects, cycle};
    StripDrag& drag() { return dragger; }

    // Virtual time in milliseconds, and when each running timer fires next.
    long long now = 0;
    std::array<long long, kTimerCount> due{};
    std::array<bool, kTimerCount> wasEnabled{};

    EngineRig()
    {
        state.germanFirst = 1;
        state.repeatCount = 2;
        state.germanSeconds = 5;
        state.englishSeconds = 3;
        state.readAloud = 1;
        state.lessonIndex = 1;
        state.sentenceId = 10101;
        state.sequentialPlay = 1;
        strip.fullHeight = StripDesign::kFullHeight;
        strip.height = StripDesign::kFullHeight;
        for (bool& enabled : strip.timerEnabled)
            enabled = false;
    }

    void fire(int t) { timers.tick(static_cast<StripTimer>(t)); }

    // Advances virtual time to the next firing of the timer `which` (firing every other timer due on the
    // way), and returns after that tick.
    void stepUntil(StripTimer which)
    {
        for (;;) {
            for (int t = 0; t < kTimerCount; ++t) {
                if (strip.timerEnabled[t] && !wasEnabled[t])
                    due[t] = now + kTimerIntervalsMs[t];
                wasEnabled[t] = strip.timerEnabled[t];
            }
            int next = -1;
            for (int t = 0; t < kTimerCount; ++t)
                if (strip.timerEnabled[t] && (next < 0 || due[t] < due[next] || (due[t] == due[next] && t > next)))
                    next = t;
            if (next < 0)
                return;
            now = due[next];
            due[next] += kTimerIntervalsMs[next];
            fire(next);
            if (next == which)
                return;
        }
    }

    void ticks(StripTimer which, int count)
    {
        for (int i = 0; i < count; ++i)
            stepUntil(which);
    }
};

} // namespace dialoon
