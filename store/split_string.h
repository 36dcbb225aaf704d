#pragma once

#include <QString>
#include <QStringList>

namespace store {

// Cuts text at each exact occurrence of delimiter: two delimiters in a row give an empty
// piece, a leading delimiter an empty first piece, a trailing one no empty last piece,
// and the empty text no piece. An empty delimiter cuts nothing (the text, when not
// empty, is the one piece): it would otherwise be found again and again at the start.
QStringList splitString(const QString &text, const QString &delimiter);

} // namespace store
