// The desktop's session bus, as the toolkit's accessibility support finds it while the strip is first
// shown. With no bus address given, the bus library looks for the user's bus in the runtime folder and
// else tries to launch a session bus with dbus-launch: a fork and a dozen tries to run it along PATH,
// before the strip's first frame, at every start. Where there is no such program, that try cannot
// succeed, and the program tells the library where the user's bus would be instead.
#pragma once

#include <QByteArray>

#include <optional>

namespace dialoon::SessionBus {

struct Surroundings
{
    QByteArray busAddress;  // DBUS_SESSION_BUS_ADDRESS
    QByteArray runtimeDir;  // XDG_RUNTIME_DIR
    QByteArray path;        // PATH
    QByteArray launcherDir; // where the bus library looks for dbus-launch before PATH
};

// The address to give the bus library, when it would otherwise try a launch that cannot succeed: the
// user's bus in the runtime folder (which it tries first anyway), written as a bus address.
std::optional<QByteArray> addressInsteadOfLaunch(const Surroundings& around);

// Sets DBUS_SESSION_BUS_ADDRESS when addressInsteadOfLaunch says so. Call at the top of main, before
// any thread starts.
void skipHopelessLaunch();

} // namespace dialoon::SessionBus
