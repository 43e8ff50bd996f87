// What one animation frame of the character costs: drawing the pose and taking the window's shape from it.
#include "speech/CharacterAnimator.h"
#include "speech/CharacterArt.h"
#include "speech/ShapeMask.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace dialoon;

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    CharacterArt art;
    constexpr int kFrames = 400;
    QElapsedTimer clock;
    // Breathing frames (scaled from the picture at rest) and moving ones (every part drawn).
    const auto measure = [&](const char* what, int fps, auto poseFor) {
        std::vector<double> draw;
        std::vector<double> shape;
        for (int frame = 0; frame < kFrames; ++frame) {
            clock.restart();
            const QImage picture = art.render(QSize(128, 128), 1.0, poseFor(frame));
            draw.push_back(double(clock.nsecsElapsed()) / 1e6);
            clock.restart();
            const QBitmap mask = shapeMaskFromAlpha(picture);
            shape.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::sort(draw.begin(), draw.end());
        std::sort(shape.begin(), shape.end());
        const double perFrame = draw[kFrames / 2] + shape[kFrames / 2];
        std::printf("%-10s draw %6.3f ms median (%6.3f worst), mask %6.3f ms median: %5.2f %% of a core at "
                    "%d frames/s\n",
                    what, draw[kFrames / 2], draw.back(), shape[kFrames / 2], perFrame * fps / 10.0, fps);
    };
    // A breath moves the head a pixel at a time, some eight times a breath.
    measure("breathing", 8 * 1000 / CharacterAnimator::kBreathMs, [](int frame) {
        CharacterPose pose;
        pose.breath = 1.0 + 0.015 * (frame % 20) / 20.0;
        return pose;
    });
    measure("moving", 1000 / CharacterAnimator::kBusyFrameMs, [](int frame) {
        CharacterPose pose;
        pose.breath = 1.0 + 0.015 * (frame % 20) / 20.0;
        pose.beakOpen = (frame % 7) / 6.0;
        pose.wingAngle = -(frame % 135);
        return pose;
    });
    return 0;
}
