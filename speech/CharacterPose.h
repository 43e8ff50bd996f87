// One still picture of the character: how far each moving part stands from its rest position.
#pragma once

#include <cmath>

namespace dialoon {

struct CharacterPose
{
    // Size about the feet: 0 vanished, 1 normal. The character grows and shrinks rather than fading
    // because fading needs a compositing window manager, which many desktops run without.
    double scale = 1.0;
    double breath = 1.0;     // vertical stretch about the feet
    double beakOpen = 0.0;   // 0 closed, 1 wide open
    double lidClosure = 0.0; // 0 eyes open, 1 shut
    double wingAngle = 0.0;  // degrees; negative raises the wing

    // Rounded to steps finer than a pixel at the window's size, so that a repaint is asked for only
    // when the picture would really change. The breath moves the top of the head in whole pixels: every
    // change of the outline costs the window system a new shape and an exposure, so a breath changes
    // it a few times instead of at every frame.
    CharacterPose quantized() const
    {
        auto step = [](double v, double s) { return std::round(v / s) * s; };
        return {step(scale, 0.004), step(breath, 0.008),
                step(beakOpen, 0.05), step(lidClosure, 0.1), step(wingAngle, 1.0)};
    }

    friend bool operator==(const CharacterPose&, const CharacterPose&) = default;
};

} // namespace dialoon
