#pragma once

#include <QString>

#include <functional>

// Handing the folder of a line to the desktop's file browser, and the revision notes to
// its text editor. The program that opens them is given as a function, so that the window
// can go through its Desktop; by default it is xdg-open. What is handed over is checked
// first: a folder that has gone or a missing file would otherwise open nothing without a
// word, and a file handed to xdg-open as a "folder" would be run by whatever program
// claims it.
namespace folderops {

// Opens path with a desktop program; false when the program could not be started.
using Opener = std::function<bool(const QString &path)>;

enum class Opening {
    Opened,
    Missing,   // nothing at the path
    WrongKind, // a file where a folder was expected, or the reverse
    NoProgram, // the desktop program could not be started
};

// Opens the folder at path in the file browser.
Opening openFolder(const QString &path, const Opener &open = {});

// Opens the text file at path in the text editor. Trailing spaces of the name are dropped
// first, as Windows does with every path: "_REVISIONS.TXT " opens "_REVISIONS.TXT".
Opening openInTextEditor(const QString &path, const Opener &open = {});
QString notepadFilePath(const QString &path);

// The French message for an opening that did not happen; empty for Opened.
QString folderOpeningMessage(Opening opening, const QString &path);
QString notepadOpeningMessage(Opening opening, const QString &path);

} // namespace folderops
