#pragma once

#include <QByteArray>

// Which window system the program draws on. Under a Wayland session a client may not
// place its windows: the restored window position, "Toujours en avant" and the notice at
// the bottom right of the screen would not work. Where the session also offers X11
// (XWayland, DISPLAY set), the program asks Qt for it, with Wayland as the fallback,
// unless the user has chosen a platform with QT_QPA_PLATFORM.
namespace platform {

// The environment variables the choice reads.
struct DisplayEnvironment
{
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM: the user's own choice
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray x11Display;     // DISPLAY
};

DisplayEnvironment currentDisplayEnvironment();

// The value to give QT_QPA_PLATFORM before the application starts, or "" to leave Qt's
// own choice.
QByteArray preferredQtPlatform(const DisplayEnvironment &environment);

} // namespace platform
