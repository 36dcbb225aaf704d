#pragma once

#include "platform/file_state.h"
#include "store/ini_names.h"
#include "text/code_page.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>

namespace store {

// What adding an entry at the end of an activity log needs to know of the file, kept up
// to date as the file grows, so that an entry costs the same in a log of five years as
// in a new one. The logs only grow, and their next entry nearly always goes at their very
// end: today's section is the journal's last one, and a folder opened for the first time
// gets a new section at the end of the folder log.
class LogIndex
{
public:
    // Reads the whole file, as it is in state.
    void reset(QByteArrayView bytes, const platform::FileState &state);
    // Reads what was added at the end of the file since (its bytes from the indexed size
    // on), the file being now in state. False when the index cannot follow (the file had
    // no final line end, or what was added changes how the whole file reads): reset it.
    bool extend(QByteArrayView added, const platform::FileState &state);
    void clear() { *this = LogIndex(); }

    bool isEmpty() const { return !m_indexed; }
    const platform::FileState &state() const { return m_state; }
    // The last bytes read (up to 64), to check that the file still holds them.
    QByteArrayView tail() const { return m_tail; }

    // When IniDocument::fromBytes(file).writeValue(section, key, value, rule) would only
    // add lines at the end of the file, the bytes those lines take, so that the file
    // followed by them is the file writeValue gives. Nothing otherwise (the key is there
    // already and is to be replaced, its section is not the last one, blank lines end the
    // section), and nothing where this quick reading does not apply: an empty file, a last
    // line without its line end (a torn append, which a rewrite repairs), UTF-16, a
    // locale's character set other than UTF-8, a character Windows-1252 lacks in a
    // Windows-1252 file.
    std::optional<QByteArray> appendedLines(const QString &section, const QString &key,
                                            const QString &value,
                                            IniKeyRule rule = IniKeyRule::ReplaceValue) const;

    // Whether writeValue(section, ...) changes a section before the last one, leaving the
    // headers, the last section and the encoding as they are: the index then follows the
    // rewritten file through rebase(), without reading it again.
    bool changeLeavesIndexValid(const QString &section) const;
    // The file was rewritten with such a change: bytes is its new content, in state.
    void rebase(QByteArrayView bytes, const platform::FileState &state);

private:
    void scan(QByteArrayView bytes);
    QString foldedName(QByteArrayView raw) const;
    void keepTail(QByteArrayView bytes);

    bool m_indexed = false;
    bool m_readable = false;
    text::TextEncoding m_encoding = text::TextEncoding::Ansi;
    QString m_newline;
    bool m_endsWithLineEnd = false;
    bool m_endsWithCarriageReturn = false;
    QHash<QString, int> m_headerCounts; // folded names
    bool m_hasHeader = false;
    QString m_lastHeader;          // folded
    QByteArray m_lastSectionLines; // the lines after the last header
    QByteArray m_tail;
    platform::FileState m_state;
};

} // namespace store
