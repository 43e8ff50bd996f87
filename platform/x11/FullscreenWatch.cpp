#include "platform/x11/FullscreenWatch.h"

#include "platform/x11/Xcb.h"

#include <QScreen>

#include <algorithm>

namespace dialoon {

FullscreenWatch::FullscreenWatch(std::function<QRect()> screenArea, std::function<void(bool)> onChange)
    : screenArea_(std::move(screenArea)), onChange_(std::move(onChange)), connection_(xcb::qtConnection())
{
    if (connection_ == nullptr) return;
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    ownBase_ = setup->resource_id_base;
    ownMask_ = setup->resource_id_mask;
    root_ = xcb::rootOf(connection_);
    // Add property changes to what this client hears of the root window, keeping what Qt asked for.
    const auto attributes = xcb::reply(xcb_get_window_attributes_reply, connection_,
                                       xcb_get_window_attributes(connection_, root_));
    const std::uint32_t mask =
        (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    qGuiApp->installNativeEventFilter(this);
    active_ = fullscreen();
}

FullscreenWatch::~FullscreenWatch()
{
    if (connection_ != nullptr) follow(XCB_WINDOW_NONE);
}

bool FullscreenWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if ((notify->window == root_ && notify->atom == xcb::atom(connection_, xcb::Active)) ||
            (notify->window == followed_ && notify->atom == xcb::atom(connection_, xcb::State)))
            update();
        break;
    }
    // The active window may go without the window manager naming another one.
    case XCB_UNMAP_NOTIFY:
        if (reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == followed_) update();
        break;
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == followed_) {
            followed_ = XCB_WINDOW_NONE;
            update();
        }
        break;
    default:
        break;
    }
    return false; // Qt hears its own windows' events as before
}

void FullscreenWatch::update()
{
    const bool now = fullscreen();
    if (now == active_) return;
    active_ = now;
    if (onChange_) onChange_(now);
}

// The active window when it is someone else's, viewable, fullscreen, and its middle on the strip's screen.
bool FullscreenWatch::fullscreen()
{
    xcb_connection_t* c = connection_;
    if (c == nullptr) return false;
    const auto named =
        xcb::reply(xcb_get_property_reply, c,
                   xcb_get_property(c, 0, root_, xcb::atom(c, xcb::Active), XCB_ATOM_WINDOW, 0, 1));
    xcb_window_t active = XCB_WINDOW_NONE;
    if (named && xcb_get_property_value_length(named.get()) >= static_cast<int>(sizeof(xcb_window_t)))
        active = *static_cast<const xcb_window_t*>(xcb_get_property_value(named.get()));
    // A client may name the root window: that is no window of anyone's.
    if (active == root_) active = XCB_WINDOW_NONE;
    if (!follow(active) || isOwn(active)) return false;
    const auto attributes =
        xcb::reply(xcb_get_window_attributes_reply, c, xcb_get_window_attributes(c, active));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) return false;
    const auto state =
        xcb::reply(xcb_get_property_reply, c,
                   xcb_get_property(c, 0, active, xcb::atom(c, xcb::State), XCB_ATOM_ATOM, 0, 64));
    if (!state) return false;
    const auto* states = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
    const auto* end =
        states + xcb_get_property_value_length(state.get()) / static_cast<int>(sizeof(xcb_atom_t));
    if (std::find(states, end, xcb::atom(c, xcb::Fullscreen)) == end) return false;
    const auto geometry = xcb::reply(xcb_get_geometry_reply, c, xcb_get_geometry(c, active));
    const auto origin =
        xcb::reply(xcb_translate_coordinates_reply, c, xcb_translate_coordinates(c, active, root_, 0, 0));
    if (!geometry || !origin) return false;
    // The server's pixels, in the toolkit's.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return screenArea_().contains(QPoint((origin->dst_x + geometry->width / 2) / ratio,
                                         (origin->dst_y + geometry->height / 2) / ratio));
}

// Hears the state changes of this window, and no longer those of the one followed before; false when
// there is no such window (none, or one gone already), which is then followed by nobody. A window
// gone leaves nothing followed, so that a new window that comes with its id is followed anew.
bool FullscreenWatch::follow(xcb_window_t window)
{
    // Another client's window, whose events this client alone asks for. It may be gone by now: the error
    // is taken here instead of in the toolkit's error log.
    const auto select = [c = connection_](xcb_window_t other, std::uint32_t mask) {
        xcb_generic_error_t* error =
            xcb_request_check(c, xcb_change_window_attributes_checked(c, other, XCB_CW_EVENT_MASK, &mask));
        std::free(error);
        return error == nullptr;
    };
    if (window == followed_ && window != XCB_WINDOW_NONE) return true;
    if (followed_ != XCB_WINDOW_NONE && !isOwn(followed_)) select(followed_, XCB_EVENT_MASK_NO_EVENT);
    followed_ = XCB_WINDOW_NONE;
    if (window == XCB_WINDOW_NONE) return false;
    if (!isOwn(window) && !select(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY))
        return false;
    followed_ = window;
    return true;
}

} // namespace dialoon
