// Steps aside for a fullscreen window or a film (a presentation, a video the session is kept awake
// for): while one is on, the program's windows give up staying on top and the character is not asked
// to speak, so neither voice nor balloon comes up over it, and a sentence being spoken when it begins is
// stopped. The course plays on underneath. When it ends, the strip and the character come back on top
// and the next sentence is spoken again.
#pragma once

#include "engine/SpeechRequests.h"

namespace dialoon {

class Platform;

class FullscreenStepAside : public SpeechRequests
{
public:
    // Passes the cycle's requests on to the character while no fullscreen window is active.
    FullscreenStepAside(Platform& platform, SpeechRequests& character);
    ~FullscreenStepAside() override;
    FullscreenStepAside(const FullscreenStepAside&) = delete;
    FullscreenStepAside& operator=(const FullscreenStepAside&) = delete;

    void speak(const QString& text) override
    {
        if (!steppedAside_) character_.speak(text);
    }
    void playRecording(const QString& file, const QString& text) override
    {
        if (!steppedAside_) character_.playRecording(file, text);
    }
    // A gesture shows nothing new above the fullscreen window: the character stays where it is.
    void play(const QString& animation) override { character_.play(animation); }
    void stop() override { character_.stop(); }

    bool steppedAside() const { return steppedAside_; }

private:
    void fullscreenChanged(bool active);

    Platform& platform_;
    SpeechRequests& character_;
    bool steppedAside_ = false;
};

} // namespace dialoon
