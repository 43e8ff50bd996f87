// Pointer movements as the X server reports them: XInput 2 raw motion of every pointing device, and the
// root window's pointer motion, selected through a connection of our own. While the pointer moves, nobody
// waits on that connection: the strip's watch reads whatever has arrived when it looks, so a moving mouse
// wakes no thread. While it rests, the connection is listened to, so that its first movement wakes the
// program and the watch need not look. Qt's own connection is left alone, so none of its events are
// taken from it.
#include "platform/x11/PointerWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSocketNotifier>

#if defined(DIALOON_HAVE_XINPUT)
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

#include <cstdlib>
#endif

namespace dialoon {

namespace {

#if defined(DIALOON_HAVE_XINPUT)
xcb_window_t rootWindow(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_connection_t* openWatch()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(c, &xcb_input_id);
    xcb_input_xi_query_version_reply_t* version =
        input && input->present
            ? xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr)
            : nullptr;
    // Raw events of every device, master or not: 2.2 sends them whether or not someone grabbed the pointer.
    const bool usable = version && (version->major_version > 2 ||
                                    (version->major_version == 2 && version->minor_version >= 2));
    std::free(version);
    if (!usable) {
        xcb_disconnect(c);
        return nullptr;
    }
    struct
    {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    const xcb_window_t root = rootWindow(c);
    if (xcb_generic_error_t* error =
            xcb_request_check(c, xcb_input_xi_select_events_checked(c, root, 1, &mask.head))) {
        std::free(error);
        xcb_disconnect(c);
        return nullptr;
    }
    // A pointer warped by a program moves no device; over the bare desktop, or a window that does not
    // take pointer motion itself, the root window is told all the same.
    const std::uint32_t motion = XCB_EVENT_MASK_POINTER_MOTION;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &motion);
    xcb_flush(c);
    return c;
}
#endif

} // namespace

PointerWatch::PointerWatch()
{
#if defined(DIALOON_HAVE_XINPUT)
    connection_ = openWatch();
#endif
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        app->installNativeEventFilter(this);
    }
#if defined(DIALOON_HAVE_XINPUT)
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        const xcb_query_extension_reply_t* input = xcb_get_extension_data(x11->connection(), &xcb_input_id);
        if (input && input->present) inputOpcode_ = input->major_opcode;
    }
#endif
}

PointerWatch::~PointerWatch()
{
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
#if defined(DIALOON_HAVE_XINPUT)
    listener_.reset();
    forgetLaterQuestion();
    if (connection_) xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
#endif
}

bool PointerWatch::devicesMoved()
{
    bool moved = false;
#if defined(DIALOON_HAVE_XINPUT)
    auto* c = static_cast<xcb_connection_t*>(connection_);
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
        moved = true; // movements are all that was asked for
        std::free(event);
    }
    if (xcb_connection_has_error(c)) {
        // The display went away: from now on every look asks. The listener may be the one calling.
        if (listener_) {
            listener_->setEnabled(false);
            listener_.release()->deleteLater();
        }
        xcb_disconnect(c);
        connection_ = nullptr;
        laterQuestion_.reset();
        moved = true;
    }
#endif
    return moved;
}

void PointerWatch::askLater()
{
#if defined(DIALOON_HAVE_XINPUT)
    auto* c = static_cast<xcb_connection_t*>(connection_);
    const xcb_window_t root = rootWindow(c);
    laterQuestion_ = xcb_query_pointer(c, root).sequence;
    xcb_flush(c);
#endif
}

std::optional<bool> PointerWatch::laterAnswerDiffers()
{
#if defined(DIALOON_HAVE_XINPUT)
    auto* c = static_cast<xcb_connection_t*>(connection_);
    void* answer = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(c, *laterQuestion_, &answer, &error) == 0) return std::nullopt;
    laterQuestion_.reset();
    std::free(error);
    const auto* reply = static_cast<xcb_query_pointer_reply_t*>(answer);
    const bool same =
        reply && reply->same_screen && lastAnswer_ && *lastAnswer_ == QPoint(reply->root_x, reply->root_y);
    std::free(answer);
    return !same;
#else
    return true;
#endif
}

void PointerWatch::forgetLaterQuestion()
{
#if defined(DIALOON_HAVE_XINPUT)
    if (laterQuestion_) xcb_discard_reply(static_cast<xcb_connection_t*>(connection_), *laterQuestion_);
#endif
    laterQuestion_.reset();
}

std::optional<QPoint> PointerWatch::askPointer()
{
#if defined(DIALOON_HAVE_XINPUT)
    if (connection_ == nullptr) return std::nullopt;
    auto* c = static_cast<xcb_connection_t*>(connection_);
    const xcb_window_t root = rootWindow(c);
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    std::optional<QPoint> where;
    if (reply && reply->same_screen) where = QPoint(reply->root_x, reply->root_y);
    std::free(reply);
    lastAnswer_ = where;
    return where;
#else
    return std::nullopt;
#endif
}

bool PointerWatch::resting()
{
    if (connection_ == nullptr || moved_ || quietLooks_ < kLooksBeforeRest) return false;
    // Resting already, the listener hears of anything the connection brings: nothing to read here.
    if (resting_) return true;
    if (devicesMoved()) { // news the next look would find
        noteMovement(false);
        return false;
    }
#if defined(DIALOON_HAVE_XINPUT)
    if (!listener_) {
        const int fd = xcb_get_file_descriptor(static_cast<xcb_connection_t*>(connection_));
        listener_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(listener_.get(), &QSocketNotifier::activated, this, &PointerWatch::listen);
    }
    listener_->setEnabled(true);
#endif
    resting_ = true;
    return true;
}

void PointerWatch::listen()
{
    // Reading takes everything the connection brought, so the listener is not called again for it.
    bool moved = devicesMoved();
    if (!moved && laterQuestion_) moved = laterAnswerDiffers().value_or(false);
    if (moved) noteMovement(true);
}

void PointerWatch::noteMovement(bool tell)
{
    moved_ = true;
    quietLooks_ = 0;
    const bool wasResting = resting_;
    stopListening();
    if (tell && wasResting && onMovement_) onMovement_();
}

void PointerWatch::stopListening()
{
    resting_ = false;
    if (listener_) listener_->setEnabled(false);
}

bool PointerWatch::movedSinceLastLook()
{
    bool moved = moved_;
    moved_ = false;
    // While it rests, the listener reads what the connection brings, movements and answers alike.
    if (connection_ == nullptr || (!resting_ && devicesMoved())) {
        moved = true;
    } else if (!moved && laterQuestion_) {
        if (!resting_) moved = laterAnswerDiffers().value_or(false);
    } else if (!moved && ++looksWithoutNews_ >= kLooksWithoutNews) {
        looksWithoutNews_ = 0;
        askLater();
    }
    if (moved) {
        looksWithoutNews_ = 0;
        quietLooks_ = 0;
        stopListening();
        // Whoever hears of the movement asks where the pointer is now.
        forgetLaterQuestion();
    } else if (quietLooks_ < kLooksBeforeRest) {
        ++quietLooks_;
    }
    return moved;
}

QPoint PointerWatch::believed(QPoint asked, const QRegion& left, std::optional<QPoint> firstAfter)
{
    const bool stale = !left.isEmpty() && left.contains(asked) && (!firstAfter || *firstAfter == asked);
    return stale ? kNowhere : asked;
}

QPoint PointerWatch::believed(QPoint asked)
{
    if (left_.isEmpty()) return asked;
    const QPoint place = believed(asked, left_, firstAfterLeaving_);
    if (place == asked) {
        left_ = QRegion(); // the server follows the pointer
        firstAfterLeaving_.reset();
    } else if (!firstAfterLeaving_) {
        firstAfterLeaving_ = asked;
    }
    return place;
}

bool PointerWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
#if defined(DIALOON_HAVE_XINPUT)
    // Crossings of the program's windows, as the X server tells them (the toolkit hears of some of them
    // only: leaving a window it already took the pointer off for a menu's grab, say). Core and XInput
    // events tell the same, and either may come.
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    std::optional<bool> entered;
    int mode = 0;
    int detail = 0;
    if (type == XCB_ENTER_NOTIFY || type == XCB_LEAVE_NOTIFY) {
        const auto* crossing = reinterpret_cast<const xcb_enter_notify_event_t*>(event);
        entered = type == XCB_ENTER_NOTIFY;
        mode = crossing->mode;
        detail = crossing->detail;
    } else if (type == XCB_GE_GENERIC && inputOpcode_ >= 0) {
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        if (generic->extension == inputOpcode_ &&
            (generic->event_type == XCB_INPUT_ENTER || generic->event_type == XCB_INPUT_LEAVE)) {
            const auto* crossing = reinterpret_cast<const xcb_input_enter_event_t*>(event);
            entered = generic->event_type == XCB_INPUT_ENTER;
            mode = crossing->mode;
            detail = crossing->detail;
        }
    }
    // Into or out of a child window, or passing through: the pointer stays with the same window.
    if (!entered || detail == XCB_NOTIFY_DETAIL_INFERIOR || detail == XCB_NOTIFY_DETAIL_VIRTUAL ||
        detail == XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL)
        return false;
    if (*entered) {
        left_ = QRegion();
    } else if (mode != XCB_NOTIFY_MODE_GRAB) { // a menu's grab moves no pointer
        left_ = QRegion();
        for (const QWindow* shown : QGuiApplication::topLevelWindows())
            if (shown->isVisible()) left_ += shown->geometry();
    } else {
        return false;
    }
    firstAfterLeaving_.reset();
    noteMovement(true);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

bool PointerWatch::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::HoverMove:
    case QEvent::DragMove:
    case QEvent::TabletMove:
        noteMovement(true);
        break;
    default:
        break;
    }
    return false;
}

} // namespace dialoon
