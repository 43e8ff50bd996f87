// What the program asks of, and learns from, the window manager.
#pragma once

class QWidget;

namespace dialoon {

// Keeps a top-level window out of the taskbar and the pager. Call before the window is first shown.
void keepOffTaskbar(QWidget* window);

// Puts a top-level window in a window group of its own, so that no window manager takes it for a tool
// window of the program's other windows and hides it with them. Call before the window is first shown.
void keepShownWhileInactive(QWidget* window);

// Asks the window manager to keep a shown top-level window above the others, or below them.
void keepAbove(QWidget* window, bool above);

// Whether a window's opacity shows: a compositing manager runs (on X11 one owns the screen's
// _NET_WM_CM selection; elsewhere the desktop always composites).
bool windowsBlend();

} // namespace dialoon
