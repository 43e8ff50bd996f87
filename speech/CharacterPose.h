// One still picture of the character: how far each moving part stands from its rest position.
#pragma once

#include <cmath>

namespace dialoon {

struct CharacterPose
{
    // Size about the feet: 0 vanished, 1 normal. The character grows and shrinks rather than fading
    // because fading needs a compositing window manager, which many desktops run without.
    double scale = 1.0;
    double breath = 1.0;     // swell of the belly about its centre, inside the body's outline
    double beakOpen = 0.0;   // 0 closed, 1 wide open
    double lidClosure = 0.0; // 0 eyes open, 1 shut
    double wingAngle = 0.0;  // degrees; negative raises the wing

    // Rounded to steps of about a pixel at the window's size, so that a repaint is asked for only when
    // the picture would really change: the breath in whole pixels of the belly's edge (each step is a
    // frame, and a frame of its own while the character only breathes costs a wake-up).
    CharacterPose quantized() const
    {
        auto step = [](double v, double s) { return std::round(v / s) * s; };
        return {step(scale, 0.004), step(breath, 0.05),
                step(beakOpen, 0.05), step(lidClosure, 0.1), step(wingAngle, 1.0)};
    }

    friend bool operator==(const CharacterPose&, const CharacterPose&) = default;
};

} // namespace dialoon
