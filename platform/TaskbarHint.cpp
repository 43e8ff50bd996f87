// On X11 the window manager reads the wish from the window's _NET_WM_STATE before the window is mapped;
// Qt keeps states it does not manage itself when it adds its own at show time. Elsewhere a tool window
// already stays out of the taskbar.
#include "platform/TaskbarHint.h"

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

} // namespace
#endif

void keepOffTaskbar(QWidget* window)
{
#if defined(DIALOON_HAVE_XCB)
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
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

} // namespace dialoon
