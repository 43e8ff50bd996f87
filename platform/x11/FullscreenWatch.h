// Follows whether the active window on the strip's screen is fullscreen. On X11 it listens to the root
// window's _NET_ACTIVE_WINDOW and to the active window's _NET_WM_STATE through property-change events.
// It never polls. On a display that is not X11, no window is ever taken for fullscreen.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QRect>

#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace dialoon {

class FullscreenWatch : public QAbstractNativeEventFilter
{
public:
    // screenArea gives the strip's screen in the toolkit's pixels; onChange hears every change.
    FullscreenWatch(std::function<QRect()> screenArea, std::function<void(bool)> onChange);
    ~FullscreenWatch() override;

    bool active() const { return active_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void update();
    bool fullscreen();
    bool isOwn(std::uint32_t window) const { return (window & ~ownMask_) == ownBase_; }
    bool follow(std::uint32_t window);

    std::function<QRect()> screenArea_;
    std::function<void(bool)> onChange_;
    bool active_ = false;
    xcb_connection_t* connection_;
    std::uint32_t root_ = 0;
    std::uint32_t followed_ = 0; // the window whose state changes are heard, or none
    std::uint32_t ownBase_ = 0;
    std::uint32_t ownMask_ = 0;
};

} // namespace dialoon
