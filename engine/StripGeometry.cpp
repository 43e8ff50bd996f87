#include "engine/StripGeometry.h"

#include "engine/StripDrag.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

namespace dialoon::StripGeometry {

void Get_Windows_Rect(StripModel& strip, Platform& platform)
{
    strip.fullHeight = StripDesign::kFullHeight;
    strip.height = strip.fullHeight;
    strip.top = platform.topEdgeTwips();
    platform.placeStrip(strip.left, strip.top, strip.width, strip.height);
    strip.windowRect = platform.stripRect();
}

void placeOnScreen(StripModel& strip, Platform& platform)
{
    // A strip being dragged is where the pointer puts it; its drop places it.
    if (strip.dragging) return;
    strip.left = StripDrag::clampLeft(strip.chosenLeft, platform.screenWidthTwips());
    Get_Windows_Rect(strip, platform);
}

void makeTopmost(const StripModel& strip, Platform& platform)
{
    platform.setStripTopmost(platform.toPixelsX(strip.left), platform.toPixelsYTruncated(strip.top),
                             platform.toPixelsXTruncated(strip.width),
                             platform.toPixelsYTruncated(strip.height));
}

} // namespace dialoon::StripGeometry
