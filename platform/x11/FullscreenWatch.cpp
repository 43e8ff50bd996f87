// Fullscreen detection on X11; built without XCB, or on a display that is not X11, no window is ever
// taken for fullscreen.
#include "platform/x11/FullscreenWatch.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

#if defined(DIALOON_HAVE_XCB)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace dialoon {

#if defined(DIALOON_HAVE_XCB)

namespace {

template <typename T> struct Freed
{
    T* pointer;
    ~Freed() { std::free(pointer); }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }
};

} // namespace

class FullscreenWatch::Backend : public QAbstractNativeEventFilter
{
public:
    explicit Backend(FullscreenWatch& owner) : owner_(owner)
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        connection_ = x11 ? x11->connection() : nullptr;
        if (connection_ == nullptr) return;
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        ownBase_ = setup->resource_id_base;
        ownMask_ = setup->resource_id_mask;
        root_ = xcb_setup_roots_iterator(setup).data->root;
        activeAtom_ = atom("_NET_ACTIVE_WINDOW");
        stateAtom_ = atom("_NET_WM_STATE");
        fullscreenAtom_ = atom("_NET_WM_STATE_FULLSCREEN");
        // Add property changes to what this client hears of the root window, keeping what Qt asked for.
        Freed<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, root_), nullptr)};
        const std::uint32_t mask =
            (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
        qGuiApp->installNativeEventFilter(this);
    }

    ~Backend() override
    {
        if (connection_ == nullptr) return;
        if (qGuiApp != nullptr) qGuiApp->removeNativeEventFilter(this);
        follow(XCB_WINDOW_NONE);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if ((notify->window == root_ && notify->atom == activeAtom_) ||
                (notify->window == followed_ && notify->atom == stateAtom_))
                owner_.update();
            break;
        }
        // The active window may go without the window manager naming another one.
        case XCB_UNMAP_NOTIFY:
            if (reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == followed_)
                owner_.update();
            break;
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == followed_) {
                followed_ = XCB_WINDOW_NONE;
                owner_.update();
            }
            break;
        default:
            break;
        }
        return false; // Qt hears its own windows' events as before
    }

    // The active window when it is someone else's and fullscreen on the strip's screen.
    bool fullscreen(const QRect& screenArea)
    {
        if (connection_ == nullptr) return false;
        const xcb_window_t active = activeWindow();
        if (!follow(active) || isOwn(active) || !isViewable(active) || !hasFullscreenState(active))
            return false;
        return onScreen(active, screenArea);
    }

private:
    xcb_atom_t atom(const char* name)
    {
        Freed<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr)};
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    bool isOwn(xcb_window_t window) const { return (window & ~ownMask_) == ownBase_; }

    xcb_window_t activeWindow()
    {
        xcb_generic_error_t* error = nullptr;
        Freed<xcb_get_property_reply_t> reply{xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, activeAtom_, XCB_ATOM_WINDOW, 0, 1),
            &error)};
        std::free(error);
        if (!reply || xcb_get_property_value_length(reply.pointer) < static_cast<int>(sizeof(xcb_window_t)))
            return XCB_WINDOW_NONE;
        // A client may name the root window: that is no window of anyone's.
        const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.pointer));
        return window == root_ ? static_cast<xcb_window_t>(XCB_WINDOW_NONE) : window;
    }

    bool isViewable(xcb_window_t window)
    {
        xcb_generic_error_t* error = nullptr;
        Freed<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), &error)};
        std::free(error);
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    bool hasFullscreenState(xcb_window_t window)
    {
        xcb_generic_error_t* error = nullptr;
        Freed<xcb_get_property_reply_t> reply{xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, stateAtom_, XCB_ATOM_ATOM, 0, 64), &error)};
        std::free(error);
        if (!reply) return false;
        const int count = xcb_get_property_value_length(reply.pointer) / static_cast<int>(sizeof(xcb_atom_t));
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.pointer));
        return std::find(atoms, atoms + count, fullscreenAtom_) != atoms + count;
    }

    // Whether the window's middle lies on the strip's screen (in the toolkit's pixels).
    bool onScreen(xcb_window_t window, const QRect& screenArea)
    {
        xcb_generic_error_t* error = nullptr;
        Freed<xcb_get_geometry_reply_t> geometry{
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), &error)};
        std::free(error);
        error = nullptr;
        Freed<xcb_translate_coordinates_reply_t> origin{xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), &error)};
        std::free(error);
        if (!geometry || !origin) return false;
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
        const QPoint middle((origin->dst_x + geometry->width / 2) / ratio,
                            (origin->dst_y + geometry->height / 2) / ratio);
        return screenArea.contains(middle);
    }

    // Hears the state changes of this window, and no longer those of the one followed before; false when
    // there is no such window (none, or one gone already), which is then followed by nobody. A window
    // gone leaves nothing followed, so that a new window that comes with its id is followed anew.
    bool follow(xcb_window_t window)
    {
        if (window == followed_ && window != XCB_WINDOW_NONE) return true;
        if (followed_ != XCB_WINDOW_NONE && !isOwn(followed_)) select(followed_, XCB_EVENT_MASK_NO_EVENT);
        followed_ = XCB_WINDOW_NONE;
        if (window == XCB_WINDOW_NONE) return false;
        if (!isOwn(window) &&
            !select(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY))
            return false;
        followed_ = window;
        return true;
    }

    // Another client's window, whose events this client alone asks for. It may be gone by now: the error
    // is taken here instead of in the toolkit's error log.
    bool select(xcb_window_t window, std::uint32_t mask)
    {
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_change_window_attributes_checked(connection_, window, XCB_CW_EVENT_MASK, &mask));
        std::free(error);
        return error == nullptr;
    }

    FullscreenWatch& owner_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_window_t followed_ = XCB_WINDOW_NONE;
    std::uint32_t ownBase_ = 0;
    std::uint32_t ownMask_ = 0;
    xcb_atom_t activeAtom_ = XCB_ATOM_NONE;
    xcb_atom_t stateAtom_ = XCB_ATOM_NONE;
    xcb_atom_t fullscreenAtom_ = XCB_ATOM_NONE;
};

#else

class FullscreenWatch::Backend
{
public:
    explicit Backend(FullscreenWatch&) {}
    bool fullscreen(const QRect&) { return false; }
};

#endif

FullscreenWatch::FullscreenWatch(std::function<QRect()> screenArea, std::function<void(bool)> onChange)
    : screenArea_(std::move(screenArea)), onChange_(std::move(onChange)),
      backend_(std::make_unique<Backend>(*this))
{
    active_ = evaluate();
}

FullscreenWatch::~FullscreenWatch() = default;

bool FullscreenWatch::evaluate()
{
    return backend_->fullscreen(screenArea_());
}

void FullscreenWatch::update()
{
    const bool now = evaluate();
    if (now == active_) return;
    active_ = now;
    if (onChange_) onChange_(now);
}

} // namespace dialoon
