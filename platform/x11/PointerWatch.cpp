// Pointer movements as the X server reports them: XInput 2 raw motion of every pointing device, and the
// root window's pointer motion, selected through a connection of our own. While the pointer moves, nobody
// waits on that connection: the strip's watch reads whatever has arrived when it looks, so a moving mouse
// wakes no thread. While it rests, the connection is listened to, so that its first movement wakes the
// program and the watch need not look. Qt's own connection is left alone, so none of its events are
// taken from it.
#include "platform/x11/PointerWatch.h"

#include "platform/x11/Xcb.h"

#include <QEvent>
#include <QSocketNotifier>
#include <QWindow>

#include <xcb/xcbext.h>
#include <xcb/xinput.h>

namespace dialoon {

namespace {

xcb_connection_t* openWatch()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_query_extension_reply_t* input =
        xcb_connection_has_error(c) ? nullptr : xcb_get_extension_data(c, &xcb_input_id);
    const auto version = input && input->present ? xcb::reply(xcb_input_xi_query_version_reply, c,
                                                              xcb_input_xi_query_version(c, 2, 2))
                                                 : nullptr;
    // Raw events of every device, master or not: 2.2 sends them whether or not someone grabbed the pointer.
    const bool usable = version && (version->major_version > 2 ||
                                    (version->major_version == 2 && version->minor_version >= 2));
    struct
    {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_generic_error_t* error =
        usable ? xcb_request_check(c, xcb_input_xi_select_events_checked(c, xcb::rootOf(c), 1, &mask.head))
               : nullptr;
    if (!usable || error) {
        std::free(error);
        xcb_disconnect(c);
        return nullptr;
    }
    // A pointer warped by a program moves no device; over the bare desktop, or a window that does not
    // take pointer motion itself, the root window is told all the same.
    const std::uint32_t motion = XCB_EVENT_MASK_POINTER_MOTION;
    xcb_change_window_attributes(c, xcb::rootOf(c), XCB_CW_EVENT_MASK, &motion);
    xcb_flush(c);
    return c;
}

} // namespace

PointerWatch::PointerWatch() : connection_(openWatch())
{
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        app->installNativeEventFilter(this);
    }
    if (xcb_connection_t* qt = xcb::qtConnection()) {
        const xcb_query_extension_reply_t* input = xcb_get_extension_data(qt, &xcb_input_id);
        if (input && input->present) inputOpcode_ = input->major_opcode;
    }
}

PointerWatch::~PointerWatch()
{
    listener_.reset();
    if (connection_) xcb_disconnect(connection_);
}

bool PointerWatch::devicesMoved()
{
    bool moved = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        moved = true; // movements are all that was asked for
        std::free(event);
    }
    if (xcb_connection_has_error(connection_)) {
        // The display went away: from now on every look asks. The listener may be the one calling.
        if (listener_) {
            listener_->setEnabled(false);
            listener_.release()->deleteLater();
        }
        xcb_disconnect(connection_);
        connection_ = nullptr;
        laterQuestion_.reset();
        moved = true;
    }
    return moved;
}

bool PointerWatch::laterAnswerDiffers()
{
    void* answer = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (!laterQuestion_ || xcb_poll_for_reply(connection_, *laterQuestion_, &answer, &error) == 0)
        return false;
    laterQuestion_.reset();
    std::free(error);
    const xcb::Freed<xcb_query_pointer_reply_t> reply{static_cast<xcb_query_pointer_reply_t*>(answer)};
    return !(reply && reply->same_screen && lastAnswer_ &&
             *lastAnswer_ == QPoint(reply->root_x, reply->root_y));
}

std::optional<QPoint> PointerWatch::askPointer()
{
    if (connection_ == nullptr) return std::nullopt;
    const auto reply = xcb::reply(xcb_query_pointer_reply, connection_,
                                  xcb_query_pointer(connection_, xcb::rootOf(connection_)));
    lastAnswer_.reset();
    if (reply && reply->same_screen) lastAnswer_ = QPoint(reply->root_x, reply->root_y);
    return lastAnswer_;
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
    if (!listener_) {
        listener_ =
            std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
        // Reading takes everything the connection brought, so the listener is not called again for it.
        connect(listener_.get(), &QSocketNotifier::activated, this, [this] {
            if (devicesMoved() || laterAnswerDiffers()) noteMovement(true);
        });
    }
    listener_->setEnabled(true);
    resting_ = true;
    return true;
}

void PointerWatch::noteMovement(bool tell)
{
    moved_ = true;
    quietLooks_ = 0;
    const bool wasResting = std::exchange(resting_, false);
    if (listener_) listener_->setEnabled(false);
    if (tell && wasResting && onMovement_) onMovement_();
}

bool PointerWatch::movedSinceLastLook()
{
    bool moved = std::exchange(moved_, false);
    // While it rests, the listener reads what the connection brings, movements and answers alike.
    if (connection_ == nullptr || (!resting_ && devicesMoved())) {
        moved = true;
    } else if (!moved && laterQuestion_) {
        moved = !resting_ && laterAnswerDiffers();
    } else if (!moved && ++looksWithoutNews_ >= kLooksWithoutNews) {
        looksWithoutNews_ = 0;
        laterQuestion_ = xcb_query_pointer(connection_, xcb::rootOf(connection_)).sequence;
        xcb_flush(connection_);
    }
    if (moved) {
        looksWithoutNews_ = 0;
        quietLooks_ = 0;
        resting_ = false;
        if (listener_) listener_->setEnabled(false);
        // Whoever hears of the movement asks where the pointer is now.
        if (laterQuestion_) xcb_discard_reply(connection_, *laterQuestion_);
        laterQuestion_.reset();
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
    // Into or out of a child window, or passing through: the pointer stays with the same window. A menu's
    // grab moves no pointer.
    if (!entered || detail == XCB_NOTIFY_DETAIL_INFERIOR || detail == XCB_NOTIFY_DETAIL_VIRTUAL ||
        detail == XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL || (!*entered && mode == XCB_NOTIFY_MODE_GRAB))
        return false;
    left_ = QRegion();
    if (!*entered)
        for (const QWindow* shown : QGuiApplication::topLevelWindows())
            if (shown->isVisible()) left_ += shown->geometry();
    firstAfterLeaving_.reset();
    noteMovement(true);
    return false;
}

bool PointerWatch::eventFilter(QObject*, QEvent* event)
{
    const QEvent::Type t = event->type();
    if (t == QEvent::MouseMove || t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
        t == QEvent::Enter || t == QEvent::Leave || t == QEvent::HoverMove || t == QEvent::DragMove ||
        t == QEvent::TabletMove)
        noteMovement(true);
    return false;
}

} // namespace dialoon
