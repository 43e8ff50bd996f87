// Whether the window system the program needs can be reached, asked before any Qt GUI object exists,
// so that a start without a desktop ends with a clear message instead of an abort.
#pragma once

namespace dialoon::DisplayProbe {

// True when the program can open its windows: an X server (directly or through XWayland) answers on
// $DISPLAY. Writes nothing and leaves no connection open.
bool graphicalDesktopReachable();

} // namespace dialoon::DisplayProbe
