// The platform interface on an X11 desktop, also through XWayland.
#pragma once

#include "platform/DesktopPlatform.h"
#include "platform/posix/LogonEntry.h"
#include "platform/x11/WindowManagerHints.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class QMessageBox;

namespace dialoon {

class FilmWatch;
class FullscreenWatch;
class PointerWatch;
class SingleInstance;

class QtPlatform : public DesktopPlatform
{
public:
    QtPlatform();
    ~QtPlatform() override;

    void setStripWindow(QWidget* strip) override { strip_ = strip; }

    // Qt's logical pixels already carry the desktop's scaling: 96 of them make an inch on every screen, so
    // the strip, its fonts and the character grow together on a scaled screen.
    static constexpr double kTwipsPerPixel = 1440.0 / 96.0;
    double twipsPerPixelX() const override { return kTwipsPerPixel; }
    double twipsPerPixelY() const override { return kTwipsPerPixel; }
    double screenWidthTwips() const override { return stripScreenArea().width() * kTwipsPerPixel; }
    double screenHeightTwips() const override { return stripScreenArea().height() * kTwipsPerPixel; }
    double topEdgeTwips() const override;
    PixelPoint cursorPos() const override;
    bool pointerElsewhere() const override;
    bool pointerResting() override;
    void setPointerMovedHandler(std::function<void()> handler) override;
    void setScreensChangedHandler(std::function<void()> handler) override;
    PixelRect stripRect() const override;
    void placeStrip(double leftTwips, double topTwips, double widthTwips, double heightTwips) override;
    void setStripTopmost(int x, int y, int cx, int cy) override;
    QColor systemColour(SystemColour which) const override;
    void showMessage(const QString& title, const QString& text) override;
    void showWarning(const QString& title, const QString& text) override;
    void openUrl(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }
    QString executablePath() const override { return QCoreApplication::applicationFilePath(); }
    QString writeLogonEntry(const QString& path) override { return LogonEntry::write(path); }
    QString removeLogonEntry() override { return LogonEntry::remove(); }
    bool claimSingleInstance() override;
    bool activateRunningInstance(const QString& fileToOpen = {}) override;
    void setActivationHandler(std::function<void(const QString& fileToOpen)> handler) override
    {
        activationHandler_ = std::move(handler);
    }
    bool fullscreenActive() const override;
    void setFullscreenHandler(std::function<void(bool active)> handler) override;
    void keepOurWindowsOnTop(bool onTop) override;
    QRect availableArea(std::optional<QPoint> near) const override;
    QRect stripScreenArea() const override;
    void keepOffTaskbar(QWidget& window) const override { dialoon::keepOffTaskbar(&window); }
    void keepShownWhileInactive(QWidget& window) const override { dialoon::keepShownWhileInactive(&window); }
    bool windowsBlend() const override { return dialoon::windowsBlend(); }

private:
    QPointer<QWidget> strip_;
    QPointer<QMessageBox> openMessage_;
    std::unique_ptr<SingleInstance> instance_;
    std::function<void(const QString& fileToOpen)> activationHandler_;
    // Stepping aside: a fullscreen window, or a film the session is kept awake for.
    std::unique_ptr<FullscreenWatch> fullscreen_;
    std::unique_ptr<FilmWatch> film_;
    bool onTop_ = true;
    std::unique_ptr<QObject> onTopKeeper_; // gives windows shown later the latest stacking
    // The pointer as last asked for, asked again only when it may have moved.
    mutable std::unique_ptr<PointerWatch> pointerWatch_;
    std::function<void()> pointerMovedHandler_;
    std::unique_ptr<QObject> screensWatch_;
    mutable std::optional<PixelPoint> cursor_;
};

} // namespace dialoon
