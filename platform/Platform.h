// The one interface through which the logic reaches the window system and the operating system.
#pragma once

#include "platform/Geometry.h"

#include <QColor>
#include <QString>

namespace dialoon {

// Colours of the user's desktop scheme, by their classic index.
enum class SystemColour
{
    Desktop = 1,
    InactiveTitleBar = 3,
    WindowBackground = 5,
    WindowText = 8,
};

class Platform
{
public:
    virtual ~Platform() = default;

    // The screen, in twips and in twips per pixel.
    virtual double screenWidthTwips() const = 0;
    virtual double screenHeightTwips() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;

    virtual PixelPoint cursorPos() const = 0;

    // The strip's window: its rectangle on screen, and its placement in twips (converted to pixels here).
    virtual PixelRect stripRect() const = 0;
    virtual void placeStrip(double leftTwips, double topTwips, double widthTwips, double heightTwips) = 0;
    // Pins the strip above all other windows at a position and size in pixels.
    virtual void setStripTopmost(int x, int y, int cx, int cy) = 0;

    virtual QColor systemColour(SystemColour which) const = 0;

    // A message with an OK button. While one is open, further messages are dropped so that boxes
    // never stack up.
    virtual void showMessage(const QString& title, const QString& text) = 0;
    // A warning with an OK button that is always shown, also while a message is open.
    virtual void showWarning(const QString& title, const QString& text) = 0;

    virtual void openUrl(const QString& url) = 0;

    virtual QString executablePath() const = 0;

    // Start at logon: writes or replaces the entry that starts the executable, or removes it. Silent.
    virtual void writeLogonEntry(const QString& executablePath) = 0;
    virtual void removeLogonEntry() = 0;

    // Conversions of the model's twips to pixels, following the placement rules of the window system.
    int toPixelsX(double twips) const;            // rounded to nearest, halves to even
    int toPixelsY(double twips) const;
    int toPixelsXTruncated(double twips) const;   // both rounded, integer division
    int toPixelsYTruncated(double twips) const;
};

} // namespace dialoon
