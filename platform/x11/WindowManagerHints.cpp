// On X11 the window manager reads a window's wishes from its _NET_WM_STATE before the window is mapped;
// Qt keeps states it does not manage itself when it adds its own at show time. Elsewhere a tool window
// already stays out of the taskbar, and every desktop composites.
#include "platform/x11/WindowManagerHints.h"

#include "platform/x11/Xcb.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstring>

namespace dialoon {

void keepOffTaskbar(QWidget* window)
{
    xcb_connection_t* c = window ? xcb::qtConnection() : nullptr;
    if (!c || xcb::atom(c, xcb::State) == XCB_ATOM_NONE) return;
    const xcb_atom_t states[] = {xcb::atom(c, xcb::SkipTaskbar), xcb::atom(c, xcb::SkipPager)};
    xcb_change_property(c, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(window->winId()),
                        xcb::atom(c, xcb::State), XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(c);
}

void keepShownWhileInactive(QWidget* window)
{
    xcb_connection_t* c = window ? xcb::qtConnection() : nullptr;
    if (!c) return;
    // Qt names its client leader as every window's group. A group of one has no other window for this one
    // to belong to; the other hints stay as Qt set them.
    const auto id = static_cast<xcb_window_t>(window->winId());
    constexpr std::uint32_t kFields = 9, kGroupFlag = 1U << 6, kGroupField = 8;
    std::array<std::uint32_t, kFields> hints{};
    const auto set = xcb::reply(xcb_get_property_reply, c,
                                xcb_get_property(c, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, kFields));
    if (set && set->format == 32)
        std::memcpy(hints.data(), xcb_get_property_value(set.get()),
                    std::min<std::size_t>(xcb_get_property_value_length(set.get()), sizeof hints));
    hints[0] |= kGroupFlag;
    hints[kGroupField] = id;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, kFields,
                        hints.data());
    xcb_flush(c);
}

void keepAbove(QWidget* window, bool above)
{
    xcb_connection_t* c = window && window->windowHandle() ? xcb::qtConnection() : nullptr;
    if (!c) return;
    const xcb_atom_t state = xcb::atom(c, xcb::State), up = xcb::atom(c, xcb::Above),
                     down = xcb::atom(c, xcb::Below);
    if (state == XCB_ATOM_NONE || up == XCB_ATOM_NONE || down == XCB_ATOM_NONE) return;
    // A mapped window's states are the window manager's: it is asked, as the window-manager hints say.
    // Below the others, rather than among them: a window manager may keep a window that leaves the top
    // above the one it was above, fullscreen or not (mutter does).
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
        xcb_send_event(c, 0, xcb::rootOf(c),
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&message));
    };
    send(state, 0, above ? down : up, 0); // remove
    send(state, 1, above ? up : down, 0); // add
    // mutter lifts a tool window without a parent to the highest layer of its program's windows (the
    // splash's, say), and refuses a program's own request to lower it while another program is active:
    // it is lowered the way a pager does it, which every window manager follows.
    if (!above && xcb::atom(c, xcb::Restack) != XCB_ATOM_NONE)
        send(xcb::atom(c, xcb::Restack), 2, XCB_WINDOW_NONE, XCB_STACK_MODE_BELOW);
    xcb_flush(c);
}

bool windowsBlend()
{
    xcb_connection_t* c = xcb::qtConnection();
    if (!c) return QGuiApplication::platformName() != QLatin1String("xcb");
    // The manager of the first screen; a desktop of several X screens is rare and composites all or none.
    const xcb_atom_t selection = xcb::atom(c, xcb::Compositor);
    if (selection == XCB_ATOM_NONE) return false;
    const auto owner = xcb::reply(xcb_get_selection_owner_reply, c, xcb_get_selection_owner(c, selection));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace dialoon
