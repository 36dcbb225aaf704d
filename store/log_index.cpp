#include "store/log_index.h"

#include "store/ini_names.h"
#include "text/line_escape.h"

#include <cstring>

namespace store {

namespace {

using text::TextEncoding;

constexpr qsizetype kTailSize = 64;

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmedBlankBytes(QByteArrayView text)
{
    while (!text.isEmpty() && isBlankByte(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlankByte(text.back()))
        text.chop(1);
    return text;
}

qsizetype lineEndFrom(QByteArrayView bytes, qsizetype from)
{
    while (from < bytes.size() && !isLineEnd(bytes[from]))
        ++from;
    return from;
}

// Past the line end at `end` ("\r\n" counts as one).
qsizetype nextLineStart(QByteArrayView bytes, qsizetype end)
{
    if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n')
        return end + 2;
    return end + 1;
}

bool isUtf8(QByteArrayView bytes)
{
    return text::checkUtf8(bytes) == text::Utf8Validity::Valid;
}

} // namespace

void LogIndex::reset(QByteArrayView bytes, const platform::FileState &state)
{
    clear();
    m_indexed = true;
    m_state = state;
    keepTail(bytes);
    QByteArrayView body = bytes;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        body = bytes.sliced(3);
        // Damaged text after a mark is read leniently; a rewrite makes it whole.
        m_readable = isUtf8(body);
        m_encoding = TextEncoding::Utf8Bom;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
               !text::ansiIsUtf8()) {
        m_readable = false;
    } else {
        switch (text::checkUtf8(bytes)) {
        case text::Utf8Validity::Valid:
            m_readable = true;
            m_encoding = TextEncoding::Ansi;
            break;
        case text::Utf8Validity::Invalid:
            m_readable = true;
            m_encoding = TextEncoding::Windows1252;
            break;
        case text::Utf8Validity::CutAtEnd:
            m_readable = false;
            break;
        }
    }
    if (!m_readable)
        return;
    // Lines added end as the file's first line does.
    const qsizetype firstEnd = lineEndFrom(body, 0);
    if (firstEnd < body.size()) {
        m_newline = nextLineStart(body, firstEnd) - firstEnd == 2
                        ? QStringLiteral("\r\n")
                        : QString(QLatin1Char(body[firstEnd]));
    }
    scan(body);
}

bool LogIndex::extend(QByteArrayView added, const platform::FileState &state)
{
    if (!m_indexed || !m_readable || !m_endsWithLineEnd)
        return false;
    // A "\r" and a "\n" on both sides of the seam are one line end, not two.
    if (m_endsWithCarriageReturn && added.startsWith('\n'))
        return false;
    // Bytes that are not UTF-8 make the whole file Windows-1252, read anew.
    if (m_encoding != TextEncoding::Windows1252 && !isUtf8(added))
        return false;
    m_state = state;
    keepTail(added);
    scan(added);
    return true;
}

void LogIndex::keepTail(QByteArrayView bytes)
{
    if (bytes.size() >= kTailSize) {
        m_tail = bytes.last(kTailSize).toByteArray();
    } else {
        m_tail += bytes;
        m_tail.remove(0, qMax<qsizetype>(0, m_tail.size() - kTailSize));
    }
}

QString LogIndex::foldedName(QByteArrayView raw) const
{
    const QString name = m_encoding == TextEncoding::Windows1252
                             ? text::decodeWindows1252(raw)
                             : QString::fromUtf8(raw.data(), raw.size());
    return foldedIniName(text::unescapeLine(name));
}

// bytes begin at the start of a line. A header is a line whose first character other
// than a blank is "[" with a "]" after it on the line (IniDocument's rule); a "[" inside
// a line ("DUPONT [2]") is passed over.
void LogIndex::scan(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const char *data = bytes.data();
    qsizetype lastHeaderEnd = -1;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const void *bracket = std::memchr(data + from, '[', size_t(bytes.size() - from));
        if (!bracket)
            break;
        const qsizetype open = static_cast<const char *>(bracket) - data;
        qsizetype lineStart = open;
        while (lineStart > 0 && isBlankByte(data[lineStart - 1]))
            --lineStart;
        if (lineStart > 0 && !isLineEnd(data[lineStart - 1])) {
            from = open + 1;
            continue;
        }
        const qsizetype end = lineEndFrom(bytes, open);
        const qsizetype close = bytes.sliced(open, end - open).lastIndexOf(']');
        if (close > 0) {
            m_lastHeader = foldedName(trimmedBlankBytes(bytes.sliced(open + 1, close - 1)));
            ++m_headerCounts[m_lastHeader];
            m_hasHeader = true;
            lastHeaderEnd = end;
        }
        from = end;
    }
    if (lastHeaderEnd >= 0)
        m_lastSectionLines =
            bytes.sliced(qMin(bytes.size(), nextLineStart(bytes, lastHeaderEnd))).toByteArray();
    else if (m_hasHeader)
        m_lastSectionLines += bytes;
    m_endsWithLineEnd = isLineEnd(bytes.back());
    m_endsWithCarriageReturn = bytes.back() == '\r';
}

bool LogIndex::changeLeavesIndexValid(const QString &section) const
{
    // A Windows-1252 file may be rewritten whole in the locale's set.
    if (!m_indexed || !m_readable || !m_endsWithLineEnd || m_encoding == TextEncoding::Windows1252)
        return false;
    const QString wanted = foldedIniName(storedIniName(section));
    const int count = m_headerCounts.value(wanted);
    return count > 1 || (count == 1 && m_lastHeader != wanted);
}

void LogIndex::rebase(QByteArrayView bytes, const platform::FileState &state)
{
    m_state = state;
    m_tail.clear();
    keepTail(bytes);
}

std::optional<QByteArray> LogIndex::appendedLines(const QString &section, const QString &key,
                                                  const QString &value, IniKeyRule rule) const
{
    if (!m_indexed || !m_readable || !m_endsWithLineEnd)
        return std::nullopt;
    const QString wantedSection = foldedIniName(storedIniName(section));
    const int count = m_headerCounts.value(wantedSection);
    QString lines;
    if (count == 0) {
        lines = iniHeaderLine(section) + m_newline;
    } else if (count > 1 || m_lastHeader != wantedSection) {
        return std::nullopt; // the first section of that name is not the last one
    } else {
        // The key goes after the section's last line that is not blank: at the end, unless
        // the key is there already and is to be replaced, or blank lines end the file.
        const QString wantedKey = foldedIniName(storedIniName(key));
        const QByteArrayView sectionLines = m_lastSectionLines;
        bool lastIsBlank = false;
        for (qsizetype from = 0; from < sectionLines.size();) {
            const qsizetype end = lineEndFrom(sectionLines, from);
            const QByteArrayView line = sectionLines.sliced(from, end - from);
            const qsizetype equals = line.indexOf('=');
            if (rule == IniKeyRule::ReplaceValue && equals >= 0 &&
                foldedName(trimmedBlankBytes(line.first(equals))) == wantedKey)
                return std::nullopt;
            lastIsBlank = trimmedBlankBytes(line).isEmpty();
            from = nextLineStart(sectionLines, end);
        }
        if (lastIsBlank)
            return std::nullopt;
    }
    lines += iniKeyLine(key, value) + m_newline;
    return text::encodeWithoutMark(lines, m_encoding);
}

} // namespace store
