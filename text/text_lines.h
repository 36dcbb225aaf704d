#pragma once

#include <QString>
#include <QStringList>

namespace text {

// The lines of a text file's content: a line ends at "\r\n", "\r" or "\n", and a break
// at the very end starts no further line.
QStringList splitTextLines(const QString &text);

} // namespace text
