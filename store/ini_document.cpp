#include "store/ini_document.h"

#include "store/ini_names.h"
#include "text/line_escape.h"

namespace store {

namespace {

constexpr QLatin1StringView kCrLf("\r\n");
constexpr QLatin1StringView kCr("\r");
constexpr QLatin1StringView kLf("\n");

} // namespace

IniDocument IniDocument::fromBytes(QByteArrayView bytes)
{
    IniDocument document;
    text::DecodedText decoded = text::decodeText(bytes);
    document.m_encoding = decoded.encoding;
    document.m_text = std::move(decoded.text);
    const QString &text = document.m_text;
    bool newlineFound = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        if (!newlineFound) {
            // Lines added later end the same way.
            document.m_newline = crlf ? kCrLf : c == u'\r' ? kCr : kLf;
            newlineFound = true;
        }
        const qsizetype endLength = crlf ? 2 : 1;
        document.m_lines.append(Line{start, i - start, endLength});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < text.size())
        document.m_lines.append(Line{start, text.size() - start, 0});
    return document;
}

QByteArray IniDocument::toBytes() const
{
    return text::encodeText(m_text, m_encoding);
}

QStringView IniDocument::lineText(qsizetype line) const
{
    return QStringView(m_text).sliced(m_lines[line].start, m_lines[line].length);
}

qsizetype IniDocument::findSection(QStringView section) const
{
    const QString stored = storedIniName(section);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = iniHeaderName(lineText(i));
        if (name && sameIniName(*name, stored))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !iniHeaderName(lineText(i)))
        ++i;
    return i;
}

// After the section's last line that is not blank, so that the empty lines the tidy pass
// puts before the next header stay together before it.
qsizetype IniDocument::newKeyPosition(qsizetype header) const
{
    qsizetype at = sectionEnd(header);
    while (at > header + 1 && isBlankIniLine(lineText(at - 1)))
        --at;
    return at;
}

qsizetype IniDocument::findKey(qsizetype header, QStringView key, qsizetype *valueStart) const
{
    const QString stored = storedIniName(key);
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QStringView text = lineText(i);
        const qsizetype equals = text.indexOf(u'=');
        if (equals < 0)
            continue;
        if (sameIniName(trimmedIniBlanks(text.left(equals)), stored)) {
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
    return text::iniValueText(trimmedIniBlanks(lineText(line).mid(valueStart)));
}

void IniDocument::replaceText(qsizetype line, qsizetype position, qsizetype length,
                              QStringView text)
{
    m_text.replace(position, length, text.data(), text.size());
    const qsizetype shift = text.size() - length;
    for (qsizetype i = line + 1; i < m_lines.size(); ++i)
        m_lines[i].start += shift;
}

void IniDocument::insertLine(qsizetype at, const QString &text)
{
    // The line before gets a line end if it was the last one and had none.
    if (at > 0 && m_lines[at - 1].endLength == 0) {
        Line &before = m_lines[at - 1];
        replaceText(at - 1, before.start + before.length, 0, QString(m_newline));
        before.endLength = m_newline.size();
    }
    const qsizetype position = at < m_lines.size() ? m_lines[at].start : m_text.size();
    const QString line = text + m_newline;
    m_lines.insert(at, Line{position, text.size(), m_newline.size()});
    replaceText(at, position, 0, line);
}

bool IniDocument::endLastLine()
{
    if (m_lines.isEmpty() || m_lines.last().endLength != 0)
        return false;
    m_text += m_newline;
    m_lines.last().endLength = m_newline.size();
    return true;
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString writtenValue = text::escapeLine(value, text::EscapeRole::IniValue);
    const QString keyLine = iniKeyLine(key, value);
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), iniHeaderLine(section));
        insertLine(m_lines.size(), keyLine);
        return true;
    }
    qsizetype valueStart = 0;
    const qsizetype line = findKey(header, key, &valueStart);
    if (line >= 0) {
        const QStringView oldValue = lineText(line).mid(valueStart);
        if (oldValue == writtenValue)
            return false;
        Line &changed = m_lines[line];
        const qsizetype oldLength = oldValue.size();
        changed.length += writtenValue.size() - oldLength;
        replaceText(line, changed.start + valueStart, oldLength, writtenValue);
        return true;
    }
    insertLine(newKeyPosition(header), keyLine);
    return true;
}

void IniDocument::addValue(const QString &section, const QString &key, const QString &value)
{
    const QString keyLine = iniKeyLine(key, value);
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), iniHeaderLine(section));
        insertLine(m_lines.size(), keyLine);
        return;
    }
    insertLine(newKeyPosition(header), keyLine);
}

bool IniDocument::writeValue(const QString &section, const QString &key, const QString &value,
                             IniKeyRule rule)
{
    if (rule == IniKeyRule::ReplaceValue)
        return setValue(section, key, value);
    addValue(section, key, value);
    return true;
}

} // namespace store
