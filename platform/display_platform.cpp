#include "platform/display_platform.h"

#include <QtGlobal>

namespace platform {

DisplayEnvironment currentDisplayEnvironment()
{
    DisplayEnvironment environment;
    environment.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    environment.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    environment.sessionType = qgetenv("XDG_SESSION_TYPE");
    environment.x11Display = qgetenv("DISPLAY");
    return environment;
}

QByteArray preferredQtPlatform(const DisplayEnvironment &environment)
{
    if (!environment.qpaPlatform.trimmed().isEmpty())
        return {};
    const bool wayland = !environment.waylandDisplay.isEmpty() ||
                         environment.sessionType.trimmed().toLower() == "wayland";
    if (!wayland || environment.x11Display.trimmed().isEmpty())
        return {};
    // Qt tries the names in turn: Wayland still serves where X11 turns out to be missing.
    return QByteArrayLiteral("xcb;wayland");
}

} // namespace platform
