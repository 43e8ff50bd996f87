// The pointer of a KWin session, moved as a mouse moves it: through KWin's fake-input interface, which
// KWin offers to any client when started with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1; and KWin's idle
// timeouts, which tell whether the session may go idle. One command a line on standard input, each
// answered once KWin has handled it:
//   by DX DY    moves the pointer by so many pixels, as a mouse does: "ok". (Placed by absolute motion,
//               as a virtual machine's tablet pointer is, the pointer stays over an X11 window for
//               XWayland 22.1 once it has moved over it, whenever it leaves it for a Wayland window.)
//   idle MS     "ok idle" if KWin reports the session idle after MS milliseconds without input (within
//               twice that), "ok awake" if an idle inhibitor keeps it from idling
#include "fake-input-client-protocol.h"
#include "idle-client-protocol.h"

// The interfaces' descriptions, generated beside the headers as C, whose "hidden" mark C++ has no use for.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "fake-input-protocol.c"
#include "idle-protocol.c"
#pragma GCC diagnostic pop

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <poll.h>

namespace {

org_kde_kwin_fake_input* input = nullptr;
org_kde_kwin_idle* idle = nullptr;
wl_seat* seat = nullptr;

void announced(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        input = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 1));
    else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
        idle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void withdrawn(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{announced, withdrawn};

void wentIdle(void* idled, org_kde_kwin_idle_timeout*)
{
    *static_cast<bool*>(idled) = true;
}

void resumed(void*, org_kde_kwin_idle_timeout*) {}

const org_kde_kwin_idle_timeout_listener idleListener{wentIdle, resumed};

// Whether KWin reports the session idle within twice the milliseconds.
bool idles(wl_display* display, std::uint32_t ms)
{
    bool idled = false;
    org_kde_kwin_idle_timeout* timeout = org_kde_kwin_idle_get_idle_timeout(idle, seat, ms);
    org_kde_kwin_idle_timeout_add_listener(timeout, &idleListener, &idled);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * ms);
    while (wl_display_dispatch_pending(display) >= 0 && !idled && wl_display_flush(display) >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || wl_display_prepare_read(display) != 0) break;
        pollfd readable{wl_display_get_fd(display), POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left.count())) > 0)
            wl_display_read_events(display);
        else
            wl_display_cancel_read(display);
    }
    org_kde_kwin_idle_timeout_release(timeout);
    return idled;
}

} // namespace

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("kwin_pointer: no Wayland display\n", stderr);
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (input == nullptr || idle == nullptr || seat == nullptr) {
        std::fputs("kwin_pointer: the compositor offers no fake input, idle timeouts or seat\n", stderr);
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(input, "Dialoon's desktop test", "moves the pointer");
    char line[128] = "";
    do {
        double x = 0;
        double y = 0;
        unsigned ms = 0;
        const char* answer = "ok";
        if (std::sscanf(line, "by %lf %lf", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_double(x), wl_fixed_from_double(y));
        } else if (std::sscanf(line, "idle %u", &ms) == 1) {
            answer = idles(display, ms) ? "ok idle" : "ok awake";
        } else if (line[0] != '\0') {
            std::fprintf(stderr, "kwin_pointer: unknown command: %s", line);
            return 2;
        }
        // Answered once the compositor has handled everything sent so far, the first time the greeting.
        if (wl_display_roundtrip(display) < 0) return 1;
        std::puts(answer);
        std::fflush(stdout);
    } while (std::fgets(line, sizeof line, stdin) != nullptr);
    wl_display_disconnect(display);
    return 0;
}
