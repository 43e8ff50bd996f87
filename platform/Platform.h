// The one interface through which the logic reaches the window system and the operating system, in
// plain types only (QtCore at most), so that the engine sees nothing of the graphical toolkit. The
// windows' own needs (colours, screens, the taskbar) are in DesktopPlatform.
#pragma once

#include "base/Geometry.h"
#include "base/Twips.h"

#include <QRect>
#include <QString>

#include <algorithm>
#include <functional>

namespace dialoon {

class Platform
{
public:
    virtual ~Platform() = default;

    virtual double screenWidthTwips() const = 0;
    // The top of the part of the strip's screen that panels leave free (a desktop's top bar pushes it
    // down), in twips: the edge the strip rests against.
    virtual double topEdgeTwips() const = 0;
    virtual double screenHeightTwips() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;

    virtual PixelPoint cursorPos() const = 0;
    // Whether the pointer, as last asked for, left the program's windows for one the window system does
    // not tell the program of (through XWayland, a Wayland window): cursorPos() then lies outside all of
    // them, and a click there is not heard either.
    virtual bool pointerElsewhere() const = 0;
    // True while the pointer has stood still a while and the window system is listened to for its next
    // movement, which the handler then hears of at once; cursorPos() meanwhile stays where it was. Always
    // false where movements are not heard.
    virtual bool pointerResting() = 0;
    virtual void setPointerMovedHandler(std::function<void()> handler) = 0;

    // Hears, once they have settled, changes of the screens: their sizes, their free areas, monitors
    // added or taken away.
    virtual void setScreensChangedHandler(std::function<void()> handler) = 0;

    // The strip's window: its rectangle on screen, and its placement in twips (converted to pixels here).
    virtual PixelRect stripRect() const = 0;
    virtual void placeStrip(double leftTwips, double topTwips, double widthTwips, double heightTwips) = 0;
    // Pins the strip above all other windows at a position and size in pixels.
    virtual void setStripTopmost(int x, int y, int cx, int cy) = 0;

    // A message with an OK button. While one is open, further messages are dropped so that boxes
    // never stack up.
    virtual void showMessage(const QString& title, const QString& text) = 0;
    // A warning with an OK button that is always shown, also while a message is open.
    virtual void showWarning(const QString& title, const QString& text) = 0;

    virtual void openUrl(const QString& url) = 0;

    virtual QString executablePath() const = 0;

    // One running copy per user. claimSingleInstance is true for the first copy, which from then on
    // hears later copies through the activation handler, and also when no lock can be made (this copy
    // then runs unguarded and says so once on standard error); false only when another copy holds the
    // lock. A later copy asks the running one to come to the front with activateRunningInstance, or to
    // open a file (an absolute path; empty: none), true when the request was delivered. The handler
    // hears the file asked for, or an empty text.
    virtual bool claimSingleInstance() = 0;
    virtual bool activateRunningInstance(const QString& fileToOpen = {}) = 0;
    virtual void setActivationHandler(std::function<void(const QString& fileToOpen)> handler) = 0;

    // Whether the program should step aside: the active window on the strip's screen is fullscreen, or
    // the session is kept awake for a film or a presentation; our own windows never count. Known only
    // once a handler is set (always false before), which then hears every change as it happens.
    virtual bool fullscreenActive() const = 0;
    virtual void setFullscreenHandler(std::function<void(bool active)> handler) = 0;
    // The program's always-on-top windows (the strip, the character, the balloon) give up staying on
    // top, so that a fullscreen window covers them, or take it back and come above the others again.
    // Windows shown later follow the latest call.
    virtual void keepOurWindowsOnTop(bool onTop) = 0;

    // Start at logon: writes or replaces the entry that starts the executable, or removes it. Each
    // returns the empty text when done, else what could not be done, naming the entry.
    virtual QString writeLogonEntry(const QString& executablePath) = 0;
    virtual QString removeLogonEntry() = 0;

    // Conversions of the model's twips to pixels, following the placement rules of the window system.
    // A position: rounded to nearest, halves to even.
    int toPixelsX(double twips) const { return twipsToPixelsRounded(twips, twipsPerPixelX()); }
    int toPixelsY(double twips) const { return twipsToPixelsRounded(twips, twipsPerPixelY()); }
    // Both rounded, then an integer division.
    int toPixelsXTruncated(double twips) const { return twipsToPixelsTruncated(twips, twipsPerPixelX()); }
    int toPixelsYTruncated(double twips) const { return twipsToPixelsTruncated(twips, twipsPerPixelY()); }
    // A control's rectangle laid out in twips. A size below one pixel still shows as one pixel.
    QRect toPixelRect(double left, double top, double width, double height) const
    {
        return QRect(toPixelsX(left), toPixelsY(top), std::max(1, toPixelsX(width)),
                     std::max(1, toPixelsY(height)));
    }
};

} // namespace dialoon
