// What the X11 room shares of xcb: the toolkit's own connection, replies that free themselves, and the
// window manager's atoms.
#pragma once

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace dialoon::xcb {

struct Free
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Freed = std::unique_ptr<T, Free>;

// The reply to a request, or null. An error (a window gone meanwhile, say) is taken here instead of in
// the toolkit's error log.
template <typename Reply, typename Cookie>
Freed<Reply> reply(Reply* (*read)(xcb_connection_t*, Cookie, xcb_generic_error_t**), xcb_connection_t* c,
                   Cookie cookie)
{
    xcb_generic_error_t* error = nullptr;
    Freed<Reply> answer{read(c, cookie, &error)};
    std::free(error);
    return answer;
}

// The toolkit's connection; null on another window system.
inline xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

inline xcb_window_t rootOf(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

enum Atom { State, SkipTaskbar, SkipPager, Above, Below, Fullscreen, Active, Restack, Compositor, AtomCount };

// Asked for together (one round trip) the first time and kept: the toolkit's connection stays open as
// long as the program runs.
inline xcb_atom_t atom(xcb_connection_t* c, Atom which)
{
    static const std::array<xcb_atom_t, AtomCount> kept = [c] {
        const char* const names[AtomCount] = {
            "_NET_WM_STATE",       "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
            "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_BELOW",        "_NET_WM_STATE_FULLSCREEN",
            "_NET_ACTIVE_WINDOW",  "_NET_RESTACK_WINDOW",        "_NET_WM_CM_S0"};
        xcb_intern_atom_cookie_t cookies[AtomCount];
        for (int i = 0; i < AtomCount; ++i)
            cookies[i] = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
        std::array<xcb_atom_t, AtomCount> found{}; // XCB_ATOM_NONE where there is no answer
        for (int i = 0; i < AtomCount; ++i)
            if (const auto answer = reply(xcb_intern_atom_reply, c, cookies[i])) found[i] = answer->atom;
        return found;
    }();
    return kept[which];
}

} // namespace dialoon::xcb
