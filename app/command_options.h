#pragma once

#include <QString>
#include <QStringList>

// What the command line asks before any window exists: the help or the version, which a
// terminal shows and which need no display. Any other argument is the search text.
enum class CommandRequest {
    Window,  // open the window, the arguments as the first search text
    Help,    // "--help"
    Version, // "--version"
};

// arguments: those after the program's own name. "--help" or "--version" as the first
// one asks for the text; the others are then ignored.
CommandRequest commandRequest(const QStringList &arguments);

// The French help, for the command as it was typed (its file name only).
QString commandHelpText(const QString &command);

// The French version note: the program's version, its copyright and its licence.
QString commandVersionText(const QString &version);
