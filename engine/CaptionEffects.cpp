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
    const bool ends = !(strip_.label2Top > StripDesign::kLabel2RestTop);
    return {ends ? StripDesign::kLabel2RestTop : strip_.label2Top - kRiseStep,
            QStringLiteral(" ") + strip_.englishText, ends};
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
