// The character's movements as plain arithmetic over time: appearing, vanishing, breathing, blinking,
// waving and moving the beak with the voice. Stepped by the caller, so tests need neither clock nor screen.
#pragma once

#include "speech/CharacterPose.h"
#include "speech/SpeechMark.h"

#include <QList>
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
    static constexpr int kBlinkMs = 160;
    static constexpr int kBreathMs = 3400;
    // Frame intervals: smooth while something moves quickly, slow for breathing alone.
    static constexpr int kBusyFrameMs = 50;
    static constexpr int kIdleFrameMs = 200;

    explicit CharacterAnimator(std::uint32_t seed = std::random_device{}());

    Phase phase() const { return m_phase; }
    bool isVisible() const { return m_phase == Phase::Appearing || m_phase == Phase::Shown; }

    // Both turn round an opposite movement in progress from where it stands.
    void show();
    void hide(); // also ends a wave and the beak's speaking

    void wave();
    bool isWaving() const { return m_waveMs >= 0; }

    // The beak follows the marks' phonemes from now on; the speech clock starts at 0.
    void startSpeaking(const QList<SpeechMark>& marks);
    void stopSpeaking(); // the beak closes
    bool isSpeaking() const { return m_speaking; }
    int speechMs() const { return m_speechMs; }

    Events advance(int elapsedMs);
    CharacterPose pose() const;

    // How soon the next frame is worth drawing; 0 when nothing moves (hidden).
    int frameIntervalMs() const;

private:
    double mouthTarget() const;
    void scheduleBlink();

    Phase m_phase = Phase::Hidden;
    int m_phaseMs = 0;
    double m_scaleFrom = 0.0; // the size a turned-round appear or vanish starts from
    int m_waveMs = -1;        // -1: not waving
    bool m_speaking = false;
    int m_speechMs = 0;
    QList<SpeechMark> m_marks;
    double m_beakOpen = 0.0;
    int m_breathMs = 0;
    int m_untilBlinkMs = 0;
    int m_blinkMs = -1; // -1: eyes open
    std::mt19937 m_random;
};

} // namespace dialoon
