// The character's movements as plain arithmetic over time: appearing, vanishing, breathing, blinking,
// waving and moving the beak with the voice. Stepped by the caller, so tests need neither clock nor screen.
#pragma once

#include "speech/CharacterPose.h"
#include "speech/SpeechMark.h"

#include <cstdint>
#include <random>

namespace dialoon {

class CharacterAnimator
{
public:
    enum class Phase { Hidden, Appearing, Shown, Vanishing };

    // What finished during one step.
    struct Events
    {
        bool appeared = false;
        bool vanished = false;
        bool waveEnded = false;
    };

    static constexpr int kAppearMs = 500;
    static constexpr int kVanishMs = 400;
    static constexpr int kWaveMs = 1500;
    static constexpr int kBlinkMs = 120;
    static constexpr int kBreathMs = 3400;
    // Frame intervals: smooth while something moves quickly, else only as the picture changes (a pixel
    // of breath, the lids, the wing's next place in a wave) and at least every kIdleFrameMaxMs.
    static constexpr int kBusyFrameMs = 40;
    static constexpr int kIdleFrameMaxMs = 2000;

    explicit CharacterAnimator(std::uint32_t seed = std::random_device{}());

    Phase phase() const { return phase_; }
    bool isVisible() const { return phase_ == Phase::Appearing || phase_ == Phase::Shown; }

    // Both turn round an opposite movement in progress from where it stands.
    void show();
    void hide(); // also ends a wave and the beak's speaking

    void wave();
    bool isWaving() const { return waveMs_ >= 0; }
    bool isBlinking() const { return blinkMs_ >= 0; }

    // The beak follows the marks' phonemes from now on; the speech clock starts at 0.
    void startSpeaking(const QList<SpeechMark>& marks);
    void stopSpeaking(); // the beak closes
    bool isSpeaking() const { return speaking_; }
    // How much of the spoken text the voice has reached: to the end of the last word begun.
    int heardLength() const;

    Events advance(int elapsedMs);
    CharacterPose pose() const;

    // How soon the next frame is worth drawing; 0 when nothing moves (hidden).
    int frameIntervalMs() const;
    // Whether something moves smoothly (growing, vanishing, speaking), not only in steps.
    bool isBusy() const;

private:
    void scheduleBlink();
    void holdBreathAtRest();
    int untilBreathStepMs() const;

    Phase phase_ = Phase::Hidden;
    int phaseMs_ = 0;
    double scaleFrom_ = 0.0; // the size a turned-round appear or vanish starts from
    int waveMs_ = -1;        // -1: not waving
    bool speaking_ = false;
    int speechMs_ = 0;
    QList<SpeechMark> marks_;
    double beakOpen_ = 0.0;
    int breathMs_ = 0;
    int untilBlinkMs_ = 0;
    int blinkMs_ = -1; // -1: eyes open
    std::mt19937 random_;
};

} // namespace dialoon
