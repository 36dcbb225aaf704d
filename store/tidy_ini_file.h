#pragma once

#include <QString>
#include <QStringList>

// The tidy pass that makes the activity logs readable in a text editor: one empty line
// before each section header. Headers are found with the PCRE2 pattern "\[.+\]" (UTF
// mode, any Unicode newline), matched at the start of each line only, so that a folder
// named "NOM Prénom [2]" in a key or value line stays on its line.
namespace store {

// The lines of text after the pass: an empty line put before each header line, every
// run of three line breaks made two (once, left to right), empty lines at the start
// removed. text is split at "\r\n", "\n" and "\r"; a break at the very end starts no line.
QStringList tidyLines(const QString &text);

// Tidies the file at path (empty: the settings file) and rewrites it, each line ended by
// "\r\n", in the encoding it had (its byte-order mark kept). No file there (or a folder):
// nothing is done. Raises "Impossible d'ouvrir le fichier \"<path>\". <cause>" when it
// cannot be read and "Impossible de créer le fichier \"<path>\". <cause>" when it cannot
// be written; the file then keeps its former content.
void tidyIniFile(const QString &path);

} // namespace store
