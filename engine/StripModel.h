// What the strip shows and how it stands, in the model's units (twips). The timer steps change it;
// the strip window draws it. Nothing here touches the window system.
#pragma once

#include "base/Geometry.h"

#include <QString>

#include <array>
#include <cstdint>

namespace dialoon {

namespace StripDesign {
inline constexpr double kWidth = 7155.0;
inline constexpr double kDesignHeight = 1770.0;
inline constexpr std::int32_t kFullHeight = 340;
inline constexpr double kRolledUpHeight = 20.0;
inline constexpr double kPlacementWidth = 7110.0; // used by the right-edge clamp and the menu position
inline constexpr float kLabel2RestTop = 60.0f;
inline constexpr float kLabel2StartTop = 400.0f;
// What an empty caption holds.
inline const QString kBlank = QStringLiteral(" ");
} // namespace StripDesign

enum StripTimer { Timer1, Timer2, Timer3, Timer4, Timer5, kTimerCount };

inline constexpr std::array<int, kTimerCount> kTimerIntervalsMs{60, 1500, 50, 80, 100};

struct StripModel
{
    // The window, in twips.
    double left = 0.0;
    // Where the user put the strip: kept as it is while a narrower screen places the strip elsewhere, and
    // changed only by a drag.
    double chosenLeft = 0.0;
    double top = 0.0;
    double width = StripDesign::kWidth;
    double height = StripDesign::kDesignHeight;
    bool visible = false;

    // The captions. Label1 carries the German sentence and the welcome banner, Label2 the English.
    QString label1Text;
    QString label1ToolTip;
    QString label2Text;
    QString label2ToolTip;
    float label2Top = StripDesign::kLabel2StartTop;

    // Enabled while no auxiliary window is open; only then does the menu button react.
    bool image1Enabled = true;

    bool timerEnabled[kTimerCount] = {true, true, true, true, false};

    // Geometry and mouse state, in screen pixels where the window system gives pixels.
    std::int32_t fullHeight = 0;
    PixelRect windowRect;
    PixelPoint cursorPos;
    PixelPoint dragOffset;
    bool dragging = false;

    // Caption effects and the line of the rolled-up strip.
    std::int16_t slideInStep = 0;
    std::int16_t barColour = 0;
    std::int16_t barColourNext = 0;
    std::int16_t barColourLast = 0;
    int barDrawn = -1; // palette colour of the band along the bottom, -1 when nothing is drawn

    // The current sentence.
    QString germanText;
    QString englishText;
    QString germanRecording; // the German text's recording (an absolute path), or empty: the voice says it

    // The splash picture shown at start, placed in twips.
    bool splashOpen = false;
    double splashLeft = 0.0;
    double splashTop = 0.0;
};

} // namespace dialoon
