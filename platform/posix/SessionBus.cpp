#include "platform/posix/SessionBus.h"

#include <QList>
#include <QtGlobal>

#include <unistd.h>

namespace dialoon::SessionBus {

namespace {

bool runnable(const QByteArray& folder)
{
    return !folder.isEmpty() && ::access((folder + "/dbus-launch").constData(), X_OK) == 0;
}

// A bus address's value: bytes other than these are written as %XX.
QByteArray escaped(const QByteArray& value)
{
    QByteArray out;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
        out += plain ? QByteArray(1, c) : '%' + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

} // namespace

std::optional<QByteArray> addressInsteadOfLaunch(const Surroundings& around)
{
    if (!around.busAddress.isEmpty() || around.runtimeDir.isEmpty()) return std::nullopt;
    const QByteArray userBus = around.runtimeDir + "/bus";
    // A bus there is found by the library itself; a program that could launch one is left to do so.
    if (::access(userBus.constData(), F_OK) == 0 || runnable(around.launcherDir)) return std::nullopt;
    // An empty entry of PATH stands for the current folder.
    for (const QByteArray& folder : around.path.split(':'))
        if (runnable(folder.isEmpty() ? QByteArrayLiteral(".") : folder)) return std::nullopt;
    return "unix:path=" + escaped(userBus);
}

void skipHopelessLaunch()
{
    const Surroundings around{qgetenv("DBUS_SESSION_BUS_ADDRESS"), qgetenv("XDG_RUNTIME_DIR"),
                              qgetenv("PATH"), QByteArrayLiteral("/usr/bin")};
    if (const auto address = addressInsteadOfLaunch(around)) qputenv("DBUS_SESSION_BUS_ADDRESS", *address);
}

} // namespace dialoon::SessionBus
