#pragma once

#include "text/code_page.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The search history: the drop-down list of the search box, most recent on top, read
// from "liste.txt" next to the executable when the window is created and written back,
// cut down, when it closes. One entry per line; an entry holding a line break or a NUL
// (Linux allows line breaks in folder names) is written with backslash sequences
// (text/line_escape.h) so that it stays one entry.
namespace search {

// What the load found, kept by the window until the save.
struct HistoryFileState
{
    text::TextEncoding encoding = text::TextEncoding::Ansi;
    // The file was there but could not be read.
    bool unreadable = false;
    // The entries the load found: what the window holds beyond them are its own additions.
    QStringList loaded;
};

QString historyFilePath(const QString &exeFolder);

// Inserts text at the top of history unless an entry equal to it, the letters a to z
// taken in either case, is already there (it is then not moved); an empty text means
// boxText, the search box's current text. True when it inserted.
bool addToHistory(QStringList &history, const QString &text, const QString &boxText = QString());

// The entries of a history file's bytes: the byte-order mark decides the encoding (the
// ANSI code page without one), a NUL ends the text, a line ends at "\r\n", "\r" or "\n",
// an empty line is an empty entry, a break at the very end adds none.
QStringList decodeHistory(QByteArrayView bytes, text::TextEncoding *encoding = nullptr);
// Each entry followed by "\r\n", in the encoding a file found with `found` is written
// back in (a file without a mark gets the ANSI code page, with the UTF-8 mark when that
// is UTF-8), mark first.
QByteArray encodeHistory(const QStringList &entries, text::TextEncoding found);

// Loads the history when the window is created: replaces entries with the file's when a file
// (not a folder) is at path, and leaves them empty otherwise. When the file cannot be
// read, raises "Impossible d'ouvrir le fichier \"<path>\". <cause>" with entries empty
// and state saying so.
void loadHistory(const QString &path, QStringList &entries, HistoryFileState &state);

// Cuts the history before it is saved: more than 20 entries leave the first 19.
void trimHistory(QStringList &entries);

// Other running copies of the program save the same file: what this one adds goes on top
// of what the file holds now, in its order (most recent first), each once, and not at
// all when the file holds it already (letters a to z in either case); the file's lines
// follow exactly as they are (repeated and empty ones included); then trimmed.
QStringList mergeHistory(const QStringList &additions, const QStringList &onDisk);

// Saves the history when the window closes: under the program files' lock, reads the file
// again and replaces it with this window's additions (the entries not in state.loaded)
// merged over what it holds now, in the encoding it has (the one found at load when it is
// gone). When it cannot be read, the window's entries are written as they are.
// Raises "Impossible de créer le fichier \"<path>\". <cause>" when it cannot be
// written; the file then keeps its former content.
void saveHistory(const QString &path, const QStringList &entries, const HistoryFileState &state);

} // namespace search
