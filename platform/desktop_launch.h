#pragma once

#include <QString>

// Handing a folder or a file to the desktop: "xdg-open <path>", which asks the desktop
// environment for its file browser or for the application that opens the file (the text
// editor for a text file). The path is xdg-open's one argument, passed as the bytes of the
// file name (a name that is not valid UTF-8 reaches its own entry), never through a shell,
// and always absolute, so that a name beginning with "-" cannot be read as an option.
// The program is started detached: nothing waits for it.
namespace platform {

// Both return false when xdg-open cannot be started (not installed, not executable).
bool openFolderInFileBrowser(const QString &path);
bool openFileInTextEditor(const QString &path);

} // namespace platform
