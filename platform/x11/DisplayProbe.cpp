#include "platform/x11/DisplayProbe.h"

#include <QtGlobal>

#include <xcb/xcb.h>

namespace dialoon::DisplayProbe {

bool graphicalDesktopReachable()
{
    // An empty or unset DISPLAY makes xcb_connect fail, as it would inside Qt.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

} // namespace dialoon::DisplayProbe
