// The engine's parts wired together over a fake platform, with the strip's timers on the program's own
// clock, told the time by the rig: tests step time instead of waiting for it.
#pragma once

#include "FakePlatform.h"

#include "app/FullscreenStepAside.h"
#include "engine/AppState.h"
#include "engine/CaptionEffects.h"
#include "engine/Catalogue.h"
#include "engine/PlaybackCycle.h"
#include "engine/SentenceSelector.h"
#include "engine/SpeechRequests.h"
#include "engine/StripDrag.h"
#include "engine/StripModel.h"
#include "engine/StripTicks.h"
#include "engine/WelcomeWatch.h"

#include <QStringList>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>

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
        if (failing) throw std::runtime_error("no voice");
    }
    void playRecording(const QString& file, const QString& text) override
    {
        requests << QStringLiteral("recording:%1:%2").arg(file, text);
        if (failing) throw std::runtime_error("no sound");
    }
    void stop() override { requests << QStringLiteral("stop"); }
    void play(const QString& animation) override
    {
        requests << QStringLiteral("play:") + animation;
        if (failing) throw std::runtime_error("no character");
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
                                  if (draws.empty()) return 0.5f;
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
    // What the window side sees, when a test has the rig wake as the program does.
    std::optional<WakeObservations> seen;
    // As in the program, the timers follow the model after every tick, and wait as planned.
    StripTicks timers{strip, watch, effects, cycle, [this](const std::function<void()>& step) {
                          step();
                          timers.follow();
                          if (seen) timers.apply(timers.plan(*seen));
                      }};
    StripDrag& drag() { return dragger; }

    // Virtual time in milliseconds.
    long long now = 0;

    EngineRig()
    {
        TickTimer::useTimeForTests([this] { return now * 1'000'000; });
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
    ~EngineRig() { TickTimer::useTimeForTests({}); }
    EngineRig(const EngineRig&) = delete;
    EngineRig& operator=(const EngineRig&) = delete;

    void fire(int t) { timers.tick(static_cast<StripTimer>(t)); }

    // Advances virtual time to the wake-up that runs the next tick of the timer `which` (running every
    // tick due on the way, and those of that wake-up, in the program's order).
    void stepUntil(StripTimer which)
    {
        bool ticked = false;
        const QMetaObject::Connection heard =
            QObject::connect(&timers.timer(which), &TickTimer::timeout, [&ticked] { ticked = true; });
        timers.follow();
        while (!ticked) {
            const long long at = TickTimer::wakeMomentForTests();
            if (at < 0) break;
            now = std::max(now, at / 1'000'000);
            TickTimer::wakeForTests();
        }
        QObject::disconnect(heard);
    }

    void ticks(StripTimer which, int count)
    {
        for (int i = 0; i < count; ++i)
            stepUntil(which);
    }
};

} // namespace dialoon
