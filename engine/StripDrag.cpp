#include "engine/StripDrag.h"

#include "engine/StripGeometry.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

namespace dialoon {

void StripDrag::press()
{
    strip_.dragging = true;
    strip_.dragOffset = {strip_.cursorPos.x - strip_.windowRect.left,
                         strip_.cursorPos.y - strip_.windowRect.top};
}

void StripDrag::move()
{
    if (!strip_.dragging) return;
    const int x = strip_.cursorPos.x - strip_.dragOffset.x;
    const int y = strip_.cursorPos.y - strip_.dragOffset.y;
    strip_.left = x * platform_.twipsPerPixelX();
    strip_.top = y * platform_.twipsPerPixelY();
    strip_.height = strip_.windowRect.bottom * platform_.twipsPerPixelY();
    platform_.placeStrip(strip_.left, strip_.top, strip_.width, strip_.height);
}

double StripDrag::clampLeft(double left, double screenWidthTwips)
{
    // Single precision, as the left edge is kept and stored.
    auto result = static_cast<float>(left);
    if (!(result > 0.0f)) result = 0.0f;
    if (result + static_cast<float>(StripDesign::kPlacementWidth) > static_cast<float>(screenWidthTwips))
        result = static_cast<float>(screenWidthTwips - StripDesign::kPlacementWidth);
    return result;
}

void StripDrag::release()
{
    strip_.left = clampLeft(strip_.left, platform_.screenWidthTwips());
    strip_.chosenLeft = strip_.left;
    StripGeometry::Get_Windows_Rect(strip_, platform_);
    strip_.dragging = false;
}

} // namespace dialoon
