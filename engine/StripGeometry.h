// Snapping the strip into place and pinning it above other windows.
#pragma once

namespace dialoon {

class Platform;
struct StripModel;

namespace StripGeometry {

// Full height, at the top edge of the free part of the screen, and the window rectangle captured anew
// for the mouse tests.
void Get_Windows_Rect(StripModel& strip, Platform& platform);

// Places the strip again where the user chose on a screen that may have changed: pulled inside it when
// it is narrower, back at the chosen place when there is room again.
void placeOnScreen(StripModel& strip, Platform& platform);

// Pins the strip above all other windows at its current position and size.
void makeTopmost(const StripModel& strip, Platform& platform);

} // namespace StripGeometry
} // namespace dialoon
