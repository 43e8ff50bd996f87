// The character's movements as plain arithmetic over time: appearing, vanishing, breathing, blinking,
// waving and moving the beak with the voice. Stepped by the caller, so tests need neither clock nor screen.
#include "speech/CharacterAnimator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dialoon {

namespace {

constexpr double kWaveRaisedAngle = -135.0;
constexpr double kWaveSwing = 22.0;
constexpr int kWaveRaiseMs = 250;
constexpr int kWaveSwings = 3;
constexpr double kBreathDepth = 0.015;
constexpr int kBlinkGapMinMs = 2500;
constexpr int kBlinkGapMaxMs = 6000;
// How quickly the beak follows the sounds: a fraction of the way per millisecond.
constexpr double kBeakFollowPerMs = 1.0 / 45.0;

double smoothstep(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

// Overshoots a little before settling: the character pops up rather than slides in.
double easeOutBack(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    constexpr double c1 = 1.70158;
    constexpr double c3 = c1 + 1.0;
    return 1.0 + c3 * std::pow(x - 1.0, 3) + c1 * std::pow(x - 1.0, 2);
}

} // namespace

CharacterAnimator::CharacterAnimator(std::uint32_t seed) : m_random(seed)
{
    scheduleBlink();
}

void CharacterAnimator::scheduleBlink()
{
    m_untilBlinkMs = std::uniform_int_distribution<int>(kBlinkGapMinMs, kBlinkGapMaxMs)(m_random);
}

void CharacterAnimator::show()
{
    if (isVisible())
        return;
    m_scaleFrom = m_phase == Phase::Vanishing ? pose().scale : 0.0;
    m_phase = Phase::Appearing;
    m_phaseMs = 0;
}

void CharacterAnimator::hide()
{
    m_waveMs = -1;
    stopSpeaking();
    if (!isVisible())
        return;
    m_scaleFrom = pose().scale;
    m_phase = Phase::Vanishing;
    m_phaseMs = 0;
}

void CharacterAnimator::wave()
{
    m_waveMs = 0;
}

void CharacterAnimator::startSpeaking(const QList<SpeechMark>& marks)
{
    m_marks = marks;
    m_speaking = true;
    m_speechMs = 0;
}

void CharacterAnimator::stopSpeaking()
{
    m_speaking = false;
    m_marks.clear();
}

double CharacterAnimator::mouthTarget() const
{
    if (!m_speaking)
        return 0.0;
    double target = 0.0;
    for (const SpeechMark& mark : m_marks) {
        if (mark.audioMs > m_speechMs)
            break;
        if (mark.kind == SpeechMark::Kind::Phoneme)
            target = mark.mouth;
    }
    return target;
}

CharacterAnimator::Events CharacterAnimator::advance(int elapsedMs)
{
    Events events;
    const int ms = std::max(elapsedMs, 0);
    if (m_phase == Phase::Hidden)
        return events;

    // Only the appearing and vanishing phases are timed; a count kept while shown would grow all day.
    if (m_phase != Phase::Shown)
        m_phaseMs += ms;
    if (m_phase == Phase::Appearing && m_phaseMs >= kAppearMs) {
        m_phase = Phase::Shown;
        events.appeared = true;
    } else if (m_phase == Phase::Vanishing && m_phaseMs >= kVanishMs) {
        m_phase = Phase::Hidden;
        m_beakOpen = 0.0;
        m_blinkMs = -1;
        events.vanished = true;
        return events;
    }

    m_breathMs = (m_breathMs + ms) % kBreathMs;

    if (m_blinkMs >= 0) {
        m_blinkMs += ms;
        if (m_blinkMs >= kBlinkMs) {
            m_blinkMs = -1;
            scheduleBlink();
        }
    } else {
        m_untilBlinkMs -= ms;
        if (m_untilBlinkMs <= 0)
            m_blinkMs = 0;
    }

    if (m_waveMs >= 0) {
        m_waveMs += ms;
        if (m_waveMs >= kWaveMs) {
            m_waveMs = -1;
            events.waveEnded = true;
        }
    }

    if (m_speaking)
        m_speechMs += ms;
    const double follow = std::min(1.0, ms * kBeakFollowPerMs);
    m_beakOpen += (mouthTarget() - m_beakOpen) * follow;
    if (!m_speaking && m_beakOpen < 0.02)
        m_beakOpen = 0.0;
    return events;
}

CharacterPose CharacterAnimator::pose() const
{
    CharacterPose pose;
    switch (m_phase) {
    case Phase::Hidden:
        pose.scale = 0.0;
        break;
    case Phase::Appearing:
        pose.scale = m_scaleFrom + (1.0 - m_scaleFrom) * easeOutBack(double(m_phaseMs) / kAppearMs);
        break;
    case Phase::Shown:
        pose.scale = 1.0;
        break;
    case Phase::Vanishing: {
        const double x = std::clamp(double(m_phaseMs) / kVanishMs, 0.0, 1.0);
        pose.scale = m_scaleFrom * (1.0 - x * x);
        break;
    }
    }
    pose.breath = 1.0 + kBreathDepth * std::sin(2.0 * std::numbers::pi * m_breathMs / kBreathMs);
    pose.beakOpen = m_beakOpen;
    if (m_blinkMs >= 0)
        pose.lidClosure = 1.0 - std::abs(2.0 * m_blinkMs / kBlinkMs - 1.0);
    if (m_waveMs >= 0) {
        const int t = m_waveMs;
        if (t < kWaveRaiseMs) {
            pose.wingAngle = kWaveRaisedAngle * smoothstep(double(t) / kWaveRaiseMs);
        } else if (t < kWaveMs - kWaveRaiseMs) {
            const double swing = double(t - kWaveRaiseMs) / (kWaveMs - 2 * kWaveRaiseMs);
            pose.wingAngle =
                kWaveRaisedAngle + kWaveSwing * std::sin(2.0 * std::numbers::pi * kWaveSwings * swing);
        } else {
            pose.wingAngle =
                kWaveRaisedAngle * (1.0 - smoothstep(double(t - (kWaveMs - kWaveRaiseMs)) / kWaveRaiseMs));
        }
    }
    return pose;
}

int CharacterAnimator::frameIntervalMs() const
{
    if (m_phase == Phase::Hidden)
        return 0;
    const bool busy =
        m_phase != Phase::Shown || isWaving() || m_speaking || m_beakOpen > 0.0 || m_blinkMs >= 0;
    if (busy)
        return kBusyFrameMs;
    // Breathing alone is slow; until the next blink it needs only a few frames a second.
    return std::clamp(m_untilBlinkMs, 1, kIdleFrameMs);
}

} // namespace dialoon
