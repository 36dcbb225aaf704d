#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The three filters of the list's context menu: each derives a new search text from a
// line, resting on the naming of patient folders (surname first, then first name,
// separated by blanks).
namespace search {

// The line up to its first space; the whole line when it has none.
QString sameSurnameText(const QString &line);

// The line up to its second space (the first two words with the blank between them);
// the whole line when it has fewer than two spaces.
QString sameSurnameAndFirstNameText(const QString &line);

// "* " followed by the line's second piece; nothing when the line has fewer than two.
std::optional<QString> sameFirstNameText(const QString &line);

// The pieces of a line: runs of blanks (codes 1 to 32) and commas separate them; a comma
// with blanks around it counts as one separator, two commas with only blanks between
// them enclose an empty piece, a comma that ends the line adds an empty last piece, and
// blanks at either end add none. A double quote is an ordinary character.
QStringList splitPieces(const QString &line);

} // namespace search
