#include "store/ini_document.h"

#include "text/line_escape.h"

namespace store {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

bool isBlankLine(QStringView text)
{
    return trimmed(text).isEmpty();
}

// The raw name of a header line, or nothing when the line is no header.
std::optional<QStringView> headerName(QStringView line)
{
    qsizetype start = 0;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    if (start >= line.size() || line[start] != u'[')
        return std::nullopt;
    const qsizetype close = line.lastIndexOf(u']');
    if (close <= start)
        return std::nullopt;
    return trimmed(line.sliced(start + 1, close - start - 1));
}

// A name holding a line break is stored with the break's picture: a wanted name is
// looked for in the form it is written and read back in.
QString storedName(QStringView wanted)
{
    return trimmed(text::unescapeLine(text::escapeLine(wanted))).toString();
}

bool sameName(QStringView raw, QStringView stored)
{
    return QStringView(text::unescapeLine(raw)).compare(stored, Qt::CaseInsensitive) == 0;
}

} // namespace

IniDocument IniDocument::fromBytes(QByteArrayView bytes)
{
    IniDocument document;
    const text::DecodedText decoded = text::decodeText(bytes);
    document.m_encoding = decoded.encoding;
    const QString &text = decoded.text;
    bool newlineFound = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        const qsizetype endLength =
            (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        Line line{text.sliced(start, i - start), text.sliced(i, endLength)};
        if (!newlineFound) {
            document.m_newline = line.end; // lines added later end the same way
            newlineFound = true;
        }
        document.m_lines.append(std::move(line));
        i += endLength - 1;
        start = i + 1;
    }
    if (start < text.size())
        document.m_lines.append(Line{text.sliced(start), QString()});
    return document;
}

QByteArray IniDocument::toBytes() const
{
    QString text;
    qsizetype size = 0;
    for (const Line &line : m_lines)
        size += line.text.size() + line.end.size();
    text.reserve(size);
    for (const Line &line : m_lines) {
        text += line.text;
        text += line.end;
    }
    return text::encodeText(text, m_encoding);
}

qsizetype IniDocument::findSection(QStringView section) const
{
    const QString stored = storedName(section);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = headerName(m_lines[i].text);
        if (name && sameName(*name, stored))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !headerName(m_lines[i].text))
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, QStringView key, qsizetype *valueStart) const
{
    const QString stored = storedName(key);
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QString &text = m_lines[i].text;
        const qsizetype equals = text.indexOf(u'=');
        if (equals < 0)
            continue;
        if (sameName(trimmed(QStringView(text).left(equals)), stored)) {
            *valueStart = equals + 1;
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    qsizetype valueStart = 0;
    const qsizetype line = findKey(header, key, &valueStart);
    if (line < 0)
        return std::nullopt;
    return text::iniValueText(trimmed(QStringView(m_lines[line].text).mid(valueStart)));
}

void IniDocument::insertLine(qsizetype at, const QString &text)
{
    // The line before gets a line end if it was the last one and had none.
    if (at > 0 && m_lines[at - 1].end.isEmpty())
        m_lines[at - 1].end = m_newline;
    m_lines.insert(at, Line{text, m_newline});
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString writtenValue = text::escapeLine(value, text::EscapeRole::IniValue);
    const QString keyLine = text::escapeLine(key) + QLatin1Char('=') + writtenValue;
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), QLatin1Char('[') + text::escapeLine(section) + QLatin1Char(']'));
        insertLine(m_lines.size(), keyLine);
        return true;
    }
    qsizetype valueStart = 0;
    const qsizetype line = findKey(header, key, &valueStart);
    if (line >= 0) {
        QString &text = m_lines[line].text;
        if (QStringView(text).mid(valueStart) == writtenValue)
            return false;
        text.truncate(valueStart);
        text += writtenValue;
        return true;
    }
    // After the section's last line that is not blank, so that the empty lines the tidy
    // pass puts before the next header stay together before it.
    qsizetype at = sectionEnd(header);
    while (at > header + 1 && isBlankLine(m_lines[at - 1].text))
        --at;
    insertLine(at, keyLine);
    return true;
}

} // namespace store
