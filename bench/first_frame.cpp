// How long a program takes from exec to its window on the screen, seen from outside by the X server:
// starts the command, waits for the top-level window with the given title to be mapped, then for the
// first pixels the program draws into it (X DAMAGE), and prints both times in milliseconds from just
// before the exec. Every program is measured the same way and none needs to cooperate.
//
//   first_frame TITLE COMMAND [ARGS...]   ->   "mapped_ms drawn_ms", the program is then killed
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::string title(xcb_connection_t* c, xcb_window_t w)
{
    const auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return name;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: first_frame TITLE COMMAND [ARGS...]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "first_frame: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "first_frame: the X server has no DAMAGE extension\n");
        return 2;
    }
    std::free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
    const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the selection is in force

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    std::set<xcb_window_t> watched;
    xcb_window_t target = XCB_NONE;
    double mapped = -1.0;
    double drawn = -1.0;
    const auto mappedNow = [&](xcb_window_t w) {
        if (target == XCB_NONE && title(c, w) == wanted) {
            target = w;
            mapped = nowMs() - start;
        }
    };
    const auto watch = [&](xcb_window_t w) {
        if (!watched.insert(w).second)
            return;
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
        xcb_damage_create(c, xcb_generate_id(c), w, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        // Mapped before the selection took hold: seen now, a little late, never early.
        xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        if (a && a->map_state != XCB_MAP_STATE_UNMAPPED)
            mappedNow(w);
        std::free(a);
    };

    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (drawn < 0.0 && nowMs() - start < 20000.0) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                break;
            poll(&fd, 1, 100);
            continue;
        }
        const int type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (e->parent == root)
                watch(e->window);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (e->event == e->window)
                mappedNow(e->window);
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            if (e->drawable == target && mapped >= 0.0)
                drawn = nowMs() - start;
        }
        std::free(event);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    xcb_disconnect(c);
    if (drawn < 0.0) {
        std::fprintf(stderr, "first_frame: no window \"%s\" was drawn\n", wanted.c_str());
        return 1;
    }
    std::printf("%.2f %.2f\n", mapped, drawn);
    return 0;
}
