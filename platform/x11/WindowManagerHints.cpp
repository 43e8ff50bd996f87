// On X11 the window manager reads a window's wishes from its _NET_WM_STATE before the window is mapped;
// Qt keeps states it does not manage itself when it adds its own at show time. Elsewhere a tool window
// already stays out of the taskbar, and every desktop composites.
#include "platform/x11/WindowManagerHints.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if defined(DIALOON_HAVE_XCB)
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#endif

namespace dialoon {

#if defined(DIALOON_HAVE_XCB)
namespace {

// The atoms these hints use, asked for together (one round trip) the first time and kept: the
// connection is the application's, open as long as it runs.
struct Atoms
{
    xcb_atom_t state = XCB_ATOM_NONE;
    xcb_atom_t skipTaskbar = XCB_ATOM_NONE;
    xcb_atom_t skipPager = XCB_ATOM_NONE;
    xcb_atom_t compositingManager = XCB_ATOM_NONE;
    xcb_atom_t above = XCB_ATOM_NONE;
    xcb_atom_t below = XCB_ATOM_NONE;
    xcb_atom_t restack = XCB_ATOM_NONE;
};

const Atoms& atoms(xcb_connection_t* connection)
{
    static const Atoms kept = [connection] {
        const char* const names[] = {
            "_NET_WM_STATE",       "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_CM_S0",
            "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_BELOW",        "_NET_RESTACK_WINDOW"};
        xcb_intern_atom_cookie_t cookies[std::size(names)];
        for (std::size_t i = 0; i < std::size(names); ++i)
            cookies[i] =
                xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
        xcb_atom_t found[std::size(names)];
        for (std::size_t i = 0; i < std::size(names); ++i) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
            found[i] = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
            std::free(reply);
        }
        return Atoms{found[0], found[1], found[2], found[3], found[4], found[5], found[6]};
    }();
    return kept;
}

xcb_connection_t* qtConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace
#endif

void keepOffTaskbar(QWidget* window)
{
#if defined(DIALOON_HAVE_XCB)
    xcb_connection_t* connection = window ? qtConnection() : nullptr;
    if (!connection) return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const Atoms& known = atoms(connection);
    if (known.state == XCB_ATOM_NONE) return;
    const xcb_atom_t states[] = {known.skipTaskbar, known.skipPager};
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, known.state, XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

void keepAbove(QWidget* window, bool above)
{
#if defined(DIALOON_HAVE_XCB)
    xcb_connection_t* connection = window && window->windowHandle() ? qtConnection() : nullptr;
    if (!connection) return;
    const Atoms& known = atoms(connection);
    if (known.state == XCB_ATOM_NONE || known.above == XCB_ATOM_NONE || known.below == XCB_ATOM_NONE) return;
    // A mapped window's states are the window manager's: it is asked, as the window-manager hints say.
    // Below the others, rather than among them: a window manager may keep a window that leaves the top
    // above the one it was above, fullscreen or not (mutter does).
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto send = [&](xcb_atom_t type, std::uint32_t first, std::uint32_t second, std::uint32_t third) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        // The window's handle may have been made anew since the widget's id was taken.
        message.window = static_cast<xcb_window_t>(window->windowHandle()->winId());
        message.type = type;
        message.data.data32[0] = first;
        message.data.data32[1] = second;
        message.data.data32[2] = third;
        message.data.data32[3] = 1; // with a state change: asked by an ordinary program
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&message));
    };
    send(known.state, 0, above ? known.below : known.above, 0); // remove
    send(known.state, 1, above ? known.above : known.below, 0); // add
    // mutter lifts a tool window without a parent to the highest layer of its program's windows (the
    // splash's, say), and refuses a program's own request to lower it while another program is active:
    // it is lowered the way a pager does it, which every window manager follows.
    if (!above && known.restack != XCB_ATOM_NONE)
        send(known.restack, 2, XCB_WINDOW_NONE, XCB_STACK_MODE_BELOW);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
    Q_UNUSED(above);
#endif
}

bool windowsBlend()
{
#if defined(DIALOON_HAVE_XCB)
    xcb_connection_t* connection = qtConnection();
    if (!connection) return QGuiApplication::platformName() != QLatin1String("xcb");
    // The manager of the first screen; a desktop of several X screens is rare and composites all or none.
    const xcb_atom_t selection = atoms(connection).compositingManager;
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return owned;
#else
    return true;
#endif
}

} // namespace dialoon
