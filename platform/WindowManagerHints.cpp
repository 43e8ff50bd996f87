// On X11 the window manager reads a window's wishes from its _NET_WM_STATE before the window is mapped;
// Qt keeps states it does not manage itself when it adds its own at show time. Elsewhere a tool window
// already stays out of the taskbar, and every desktop composites.
#include "platform/WindowManagerHints.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(DIALOON_HAVE_XCB)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace dialoon {

#if defined(DIALOON_HAVE_XCB)
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

xcb_connection_t* qtConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace
#endif

void keepOffTaskbar(QWidget* window)
{
#if defined(DIALOON_HAVE_XCB)
    xcb_connection_t* connection = window ? qtConnection() : nullptr;
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t states[] = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        2, states);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

bool windowsBlend()
{
#if defined(DIALOON_HAVE_XCB)
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return QGuiApplication::platformName() != QLatin1String("xcb");
    // The manager of the first screen; a desktop of several X screens is rare and composites all or none.
    static const xcb_atom_t selection = atom(connection, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE)
        return false;
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
