// Caption effects.
#include "engine/CaptionEffects.h"

#include "base/CheckedInt16.h"
#include "engine/StripModel.h"

#include <utility>

namespace dialoon {
namespace {

constexpr int kSlideSteps = 36;
constexpr float kRiseStep = 10.0f;

} // namespace

void CaptionEffects::slideInTick()
{
    strip_.label1Text = QString(kSlideSteps - strip_.slideInStep, u' ') + strip_.germanText;
    addChecked(strip_.slideInStep, 1);
    if (strip_.slideInStep == kSlideSteps) {
        strip_.slideInStep = 0;
        strip_.timerEnabled[Timer4] = false;
    }
}

CaptionEffects::Rise CaptionEffects::nextRise() const
{
    Rise rise{StripDesign::kLabel2RestTop, QStringLiteral(" ") + strip_.englishText, true};
    if (strip_.label2Top > StripDesign::kLabel2RestTop) {
        rise.top = strip_.label2Top - kRiseStep;
        rise.ends = false;
    }
    return rise;
}

void CaptionEffects::slideUpTick()
{
    Rise rise = nextRise();
    strip_.label2Text = std::move(rise.text);
    strip_.label2Top = rise.top;
    if (rise.ends) strip_.timerEnabled[Timer3] = false;
}

int CaptionEffects::barToDraw() const
{
    const bool rolledUp = strip_.height != strip_.fullHeight;
    return rolledUp && !strip_.dragging ? strip_.barColour : -1;
}

bool CaptionEffects::nextBarTickChangesNothing() const
{
    return strip_.barDrawn < 0 && barToDraw() < 0;
}

void CaptionEffects::barTick()
{
    strip_.barDrawn = barToDraw();
    const std::int16_t next = strip_.barColourNext;
    strip_.barColour = next;
    strip_.barColourNext = strip_.barColourLast;
    strip_.barColourLast = next;
}

} // namespace dialoon
