#pragma once

#include "store/ini_names.h"
#include "text/code_page.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace store {

// The content of an INI file held as its lines, so that a change touches one line and
// every other byte comes back as it was (comments, odd lines, unknown sections, spaces,
// each line's own line end, the encoding and its byte-order mark).
//
// A section header is a line whose first character other than a space or a tab is "["
// and that holds a "]" after it; the name is what lies between the "[" and the last "]".
// A key line is any other line holding a "="; the key is the text before the first "=",
// the value the text after it. Names and values are read with spaces and tabs trimmed
// from both ends, and unescaped (text/line_escape.h); sections and keys match without
// regard to letter case, the first match counting. Lines before the first header belong
// to no section.
class IniDocument
{
public:
    // A new, empty file: the ANSI code page without a mark, lines ended by "\r\n".
    IniDocument() = default;
    static IniDocument fromBytes(QByteArrayView bytes);

    QByteArray toBytes() const;
    text::TextEncoding encoding() const { return m_encoding; }

    std::optional<QString> value(QStringView section, QStringView key) const;

    // Replaces the value in place, or adds the key after the last line of its section
    // that is not blank, or adds the section and the key at the end. Adds no empty line.
    // Returns false when the file already held exactly this value.
    bool setValue(const QString &section, const QString &key, const QString &value);
    // Adds the key's line where setValue adds a missing key, even when the section holds
    // the key already: two journal entries of the same second are two lines.
    void addValue(const QString &section, const QString &key, const QString &value);
    // setValue or addValue; true when the file changed.
    bool writeValue(const QString &section, const QString &key, const QString &value,
                    IniKeyRule rule);

    // Gives the last line the file's line end when it has none; false when it had one.
    bool endLastLine();

private:
    // A line of m_text: its text, then its line end ("\r\n", "\n", "\r", or nothing for
    // a last line without one). The whole text stays one string, so that a file of years
    // of log entries is read and written without one allocation per line.
    struct Line
    {
        qsizetype start = 0;
        qsizetype length = 0;
        qsizetype endLength = 0;
    };

    QStringView lineText(qsizetype line) const;
    qsizetype findSection(QStringView section) const;
    qsizetype findKey(qsizetype header, QStringView key, qsizetype *valueStart) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype newKeyPosition(qsizetype header) const;
    void insertLine(qsizetype at, const QString &text);
    // Puts text in place of length characters at position, inside line or at its end,
    // and moves the lines after it.
    void replaceText(qsizetype line, qsizetype position, qsizetype length, QStringView text);

    QString m_text;
    QList<Line> m_lines;
    text::TextEncoding m_encoding = text::TextEncoding::Ansi;
    QLatin1StringView m_newline = QLatin1StringView("\r\n");
};

} // namespace store
