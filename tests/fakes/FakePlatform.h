// A platform that stands in for the window system in tick tests: a screen of a chosen size, a cursor
// the test moves, and a record of what the logic asked for.
#pragma once

#include "platform/DesktopPlatform.h"

#include <QStringList>

namespace dialoon {

class FakePlatform : public DesktopPlatform
{
public:
    double screenWidthPixels = 1024;
    double screenHeightPixels = 768;
    double twipsPerPixel = 15;
    PixelPoint cursor;
    PixelRect strip;
    bool topmost = false;
    QStringList messages;
    QStringList warnings;
    QStringList openedUrls;
    QString executable = QStringLiteral("/opt/dialoon/bin/dialoon");
    QStringList logonEntries; // "write <path>" or "remove"
    QString logonProblem;     // what writing or removing the entry answers

    double screenWidthTwips() const override { return screenWidthPixels * twipsPerPixel; }
    double screenHeightTwips() const override { return screenHeightPixels * twipsPerPixel; }
    int workAreaTopPixels = 0; // a top bar's height
    double topEdgeTwips() const override { return workAreaTopPixels * twipsPerPixel; }
    double twipsPerPixelX() const override { return twipsPerPixel; }
    double twipsPerPixelY() const override { return twipsPerPixel; }
    PixelPoint cursorPos() const override { return cursor; }
    bool pointerElsewhere() const override { return false; }
    bool resting = false;
    std::function<void()> pointerMovedHandler;
    bool pointerResting() override { return resting; }
    void setPointerMovedHandler(std::function<void()> handler) override
    {
        pointerMovedHandler = std::move(handler);
    }
    // As the window system would tell of a movement while the pointer rested.
    void movePointer(PixelPoint to)
    {
        cursor = to;
        const bool told = resting;
        resting = false;
        if (told && pointerMovedHandler) pointerMovedHandler();
    }
    std::function<void()> screensChanged;
    void setScreensChangedHandler(std::function<void()> handler) override
    {
        screensChanged = std::move(handler);
    }
    PixelRect stripRect() const override { return strip; }
    void placeStrip(double left, double top, double width, double height) override
    {
        const int x = toPixelsX(left), y = toPixelsY(top);
        strip = {x, y, x + toPixelsX(width), y + toPixelsY(height)};
    }
    void setStripTopmost(int x, int y, int cx, int cy) override
    {
        topmost = true;
        strip = {x, y, x + cx, y + cy};
    }
    QColor systemColour(SystemColour) const override { return Qt::darkBlue; }
    void showMessage(const QString&, const QString& text) override { messages << text; }
    void showWarning(const QString&, const QString& text) override { warnings << text; }
    void openUrl(const QString& url) override { openedUrls << url; }
    QString executablePath() const override { return executable; }
    QString writeLogonEntry(const QString& path) override
    {
        logonEntries << QStringLiteral("write ") + path;
        return logonProblem;
    }
    QString removeLogonEntry() override
    {
        logonEntries << QStringLiteral("remove");
        return logonProblem;
    }
    bool claimSingleInstance() override { return true; }
    bool activateRunningInstance(const QString& = {}) override { return false; }
    void setActivationHandler(std::function<void(const QString&)>) override {}
    void setStripWindow(QWidget*) override {}
    bool fullscreen = false;
    std::function<void(bool)> fullscreenHandler;
    bool onTop = true;
    int raises = 0;
    // As the real platform: the state is watched, and known, only while someone listens.
    bool fullscreenActive() const override { return fullscreenHandler && fullscreen; }
    void setFullscreenHandler(std::function<void(bool)> handler) override
    {
        fullscreenHandler = std::move(handler);
    }
    void keepOurWindowsOnTop(bool on) override
    {
        onTop = on;
        raises += on ? 1 : 0;
    }
    // As the window system would report a fullscreen window coming or going.
    void setFullscreen(bool on)
    {
        fullscreen = on;
        if (fullscreenHandler) fullscreenHandler(on);
    }
    QRect availableArea(std::optional<QPoint>) const override
    {
        return QRect(0, workAreaTopPixels, static_cast<int>(screenWidthPixels),
                     static_cast<int>(screenHeightPixels) - workAreaTopPixels);
    }
    QRect stripScreenArea() const override
    {
        return QRect(0, 0, static_cast<int>(screenWidthPixels), static_cast<int>(screenHeightPixels));
    }
    void keepOffTaskbar(QWidget&) const override {}
    void keepShownWhileInactive(QWidget&) const override {}
    bool blending = true;
    bool windowsBlend() const override { return blending; }
};

} // namespace dialoon
