// Follows whether the active window on the strip's screen is fullscreen. On X11 it listens to the root
// window's _NET_ACTIVE_WINDOW and to the active window's _NET_WM_STATE through property-change events.
// It never polls.
#pragma once

#include <QRect>

#include <functional>
#include <memory>

namespace dialoon {

class FullscreenWatch
{
public:
    // screenArea gives the strip's screen in the toolkit's pixels; onChange hears every change.
    FullscreenWatch(std::function<QRect()> screenArea, std::function<void(bool)> onChange);
    ~FullscreenWatch();
    FullscreenWatch(const FullscreenWatch&) = delete;
    FullscreenWatch& operator=(const FullscreenWatch&) = delete;

    bool active() const { return active_; }

    // Looks again; reports a change.
    void update();

private:
    class Backend;
    bool evaluate();

    std::function<QRect()> screenArea_;
    std::function<void(bool)> onChange_;
    std::unique_ptr<Backend> backend_;
    bool active_ = false;
};

} // namespace dialoon
