// The character's movements, worked out from the time that has passed.
#include "speech/CharacterAnimator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dialoon {

namespace {

// The wing's places during a wave. Each is held for a while: every new place is a new outline of the
// window, which the window system answers by exposing the window again. Raised, waved between two
// places, lowered: six new outlines a wave.
constexpr double kWaveRaisedAngle = -135.0;
constexpr double kWaveSwing = 20.0;
constexpr int kWaveHoldMs = 300;
constexpr int kWaveSwingPlaces = 5;
static_assert(kWaveSwingPlaces * kWaveHoldMs == CharacterAnimator::kWaveMs);
// The belly swells by up to a twentieth: a pixel at the window's size, never past the body's outline,
// which stays as it is (a new outline costs the window system a new shape and an exposure).
constexpr double kBreathDepth = 0.06;
constexpr int kBlinkGapMinMs = 2500;
constexpr int kBlinkGapMaxMs = 6000;
// How quickly the beak follows the sounds: a fraction of the way per millisecond.
constexpr double kBeakFollowPerMs = 1.0 / 45.0;

// Overshoots a little before settling: the character pops up rather than slides in.
double easeOutBack(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    constexpr double c1 = 1.70158;
    constexpr double c3 = c1 + 1.0;
    return 1.0 + c3 * std::pow(x - 1.0, 3) + c1 * std::pow(x - 1.0, 2);
}

double breathAt(int breathMs)
{
    return 1.0 + kBreathDepth * std::sin(2.0 * std::numbers::pi * breathMs / CharacterAnimator::kBreathMs);
}

} // namespace

CharacterAnimator::CharacterAnimator(std::uint32_t seed) : random_(seed)
{
    scheduleBlink();
}

void CharacterAnimator::scheduleBlink()
{
    untilBlinkMs_ = std::uniform_int_distribution<int>(kBlinkGapMinMs, kBlinkGapMaxMs)(random_);
}

void CharacterAnimator::show()
{
    if (isVisible()) return;
    scaleFrom_ = phase_ == Phase::Vanishing ? pose().scale : 0.0;
    phase_ = Phase::Appearing;
    phaseMs_ = 0;
}

void CharacterAnimator::hide()
{
    waveMs_ = -1;
    stopSpeaking();
    if (!isVisible()) return;
    scaleFrom_ = pose().scale;
    phase_ = Phase::Vanishing;
    phaseMs_ = 0;
}

void CharacterAnimator::wave()
{
    waveMs_ = 0;
    holdBreathAtRest();
}

void CharacterAnimator::holdBreathAtRest()
{
    // The nearer of the two moments of the breath where the bird stands as at rest: while it speaks or
    // waves, its frames then differ only in the beak, lids and wing, and come back sentence after
    // sentence. Its head moves at most a pixel or two as it begins.
    breathMs_ = (breathMs_ < kBreathMs / 4 || breathMs_ >= 3 * kBreathMs / 4) ? 0 : kBreathMs / 2;
}

void CharacterAnimator::startSpeaking(const QList<SpeechMark>& marks)
{
    marks_ = marks;
    speaking_ = true;
    speechMs_ = 0;
    holdBreathAtRest();
}

void CharacterAnimator::stopSpeaking()
{
    speaking_ = false;
    marks_.clear();
}

int CharacterAnimator::heardLength() const
{
    int length = 0;
    for (const SpeechMark& mark : marks_) {
        if (mark.kind != SpeechMark::Kind::Word) continue;
        if (mark.audioMs > speechMs_) break;
        length = mark.textStart + mark.textLength;
    }
    return length;
}

CharacterAnimator::Events CharacterAnimator::advance(int elapsedMs)
{
    Events events;
    const int ms = std::max(elapsedMs, 0);
    if (phase_ == Phase::Hidden) return events;

    // Only the appearing and vanishing phases are timed; a count kept while shown would grow all day.
    if (phase_ != Phase::Shown) phaseMs_ += ms;
    if (phase_ == Phase::Appearing && phaseMs_ >= kAppearMs) {
        phase_ = Phase::Shown;
        events.appeared = true;
    } else if (phase_ == Phase::Vanishing && phaseMs_ >= kVanishMs) {
        phase_ = Phase::Hidden;
        beakOpen_ = 0.0;
        blinkMs_ = -1;
        events.vanished = true;
        return events;
    }

    // The bird holds its breath while it speaks or waves.
    if (!speaking_ && waveMs_ < 0) breathMs_ = (breathMs_ + ms) % kBreathMs;

    if (blinkMs_ >= 0) {
        blinkMs_ += ms;
        if (blinkMs_ >= kBlinkMs) {
            blinkMs_ = -1;
            scheduleBlink();
        }
    } else {
        untilBlinkMs_ -= ms;
        if (untilBlinkMs_ <= 0) blinkMs_ = 0;
    }

    if (waveMs_ >= 0) {
        waveMs_ += ms;
        if (waveMs_ >= kWaveMs) {
            waveMs_ = -1;
            events.waveEnded = true;
        }
    }

    if (speaking_) speechMs_ += ms;
    double mouth = 0.0; // for the last sound begun; there are marks only while the bird speaks
    for (const SpeechMark& mark : marks_) {
        if (mark.audioMs > speechMs_) break;
        if (mark.kind == SpeechMark::Kind::Phoneme) mouth = mark.mouth;
    }
    beakOpen_ += (mouth - beakOpen_) * std::min(1.0, ms * kBeakFollowPerMs);
    if (!speaking_ && beakOpen_ < 0.02) beakOpen_ = 0.0;
    return events;
}

CharacterPose CharacterAnimator::pose() const
{
    CharacterPose pose;
    if (phase_ == Phase::Hidden) {
        pose.scale = 0.0;
    } else if (phase_ == Phase::Appearing) {
        pose.scale = scaleFrom_ + (1.0 - scaleFrom_) * easeOutBack(double(phaseMs_) / kAppearMs);
    } else if (phase_ == Phase::Vanishing) {
        const double x = std::clamp(double(phaseMs_) / kVanishMs, 0.0, 1.0);
        pose.scale = scaleFrom_ * (1.0 - x * x);
    }
    pose.breath = breathAt(breathMs_);
    pose.beakOpen = beakOpen_;
    // The lids shut for the blink and open again: two frames, neither of which changes the outline.
    if (blinkMs_ >= 0) pose.lidClosure = 1.0;
    if (waveMs_ >= 0)
        pose.wingAngle = kWaveRaisedAngle + (waveMs_ / kWaveHoldMs % 2 == 0 ? -kWaveSwing : kWaveSwing);
    return pose;
}

bool CharacterAnimator::isBusy() const
{
    return phase_ != Phase::Hidden && (phase_ != Phase::Shown || speaking_ || beakOpen_ > 0.0);
}

int CharacterAnimator::frameIntervalMs() const
{
    if (phase_ == Phase::Hidden) return 0;
    if (isBusy()) return kBusyFrameMs;
    // The breath is held while the bird waves.
    const int untilLids = isBlinking() ? kBlinkMs - blinkMs_ : untilBlinkMs_;
    const int untilMove = isWaving() ? kWaveHoldMs - waveMs_ % kWaveHoldMs : untilBreathStepMs();
    return std::clamp(std::min(untilLids, untilMove), 1, kIdleFrameMaxMs);
}

int CharacterAnimator::untilBreathStepMs() const
{
    const auto shown = [](int breathMs) { return CharacterPose{1.0, breathAt(breathMs)}.quantized().breath; };
    const double now = shown(breathMs_);
    constexpr int kLookStepMs = 10;
    for (int ms = kLookStepMs; ms < kIdleFrameMaxMs; ms += kLookStepMs)
        if (shown((breathMs_ + ms) % kBreathMs) != now) return ms;
    return kIdleFrameMaxMs;
}

} // namespace dialoon
