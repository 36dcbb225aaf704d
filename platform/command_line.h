#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The initial search text: the program's arguments (itself not counted) joined with one
// blank, then trimmed of every character up to U+0020 at both ends. An empty argument
// adds nothing, as an empty pair of quotes adds nothing on a Windows command line.
QString commandLineText(const QStringList &arguments);

} // namespace platform
