// What the windows need of the desktop beyond the plain platform interface: the colours of the user's
// scheme, the area of a screen that panels leave free, keeping a window out of the taskbar, whether
// windows can be see-through, and being the one running copy of the program.
#pragma once

#include "platform/Platform.h"

#include <QColor>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <optional>

class QWidget;

namespace dialoon {

// Colours of the user's desktop scheme, by their classic index.
enum class SystemColour {
    Desktop = 1,
    InactiveTitleBar = 3,
    WindowBackground = 5,
    WindowText = 8,
};

// Where a window at this place goes to be whole inside the free area: moved no further than needed, and
// to the area's left or top edge where it is wider or taller than the area.
inline QPoint keptInside(const QRect& window, const QRect& free)
{
    return {std::clamp(window.left(), free.left(), std::max(free.left(), free.right() + 1 - window.width())),
            std::clamp(window.top(), free.top(), std::max(free.top(), free.bottom() + 1 - window.height()))};
}

class DesktopPlatform : public Platform
{
public:
    // The window the strip placement acts on.
    virtual void setStripWindow(QWidget* strip) = 0;

    virtual QColor systemColour(SystemColour which) const = 0;

    // The part of the screen at this point that panels leave free; without a point, or where no screen
    // is at that point, of the primary screen.
    virtual QRect availableArea(std::optional<QPoint> near) const = 0;
    // The whole of the screen the strip stands on.
    virtual QRect stripScreenArea() const = 0;

    // Keeps a top-level window out of the taskbar and the pager. Call before the window is first shown.
    virtual void keepOffTaskbar(QWidget& window) const = 0;
    // Keeps a tool window shown while another program is active, beside the program's other windows: a
    // window manager may hide an inactive program's tool windows that belong to its other windows (KWin
    // does unless told otherwise). Call before the window is first shown.
    virtual void keepShownWhileInactive(QWidget& window) const = 0;
    // Whether a window's opacity shows (a compositing manager runs); without it a fade is not seen.
    virtual bool windowsBlend() const = 0;
};

} // namespace dialoon
