#include "store/ini_names.h"

#include "text/line_escape.h"

namespace store {

bool isIniBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmedIniBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isIniBlank(text[start]))
        ++start;
    while (end > start && isIniBlank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

bool isBlankIniLine(QStringView text)
{
    return trimmedIniBlanks(text).isEmpty();
}

std::optional<QStringView> iniHeaderName(QStringView line)
{
    qsizetype start = 0;
    while (start < line.size() && isIniBlank(line[start]))
        ++start;
    if (start >= line.size() || line[start] != u'[')
        return std::nullopt;
    const qsizetype close = line.lastIndexOf(u']');
    if (close <= start)
        return std::nullopt;
    return trimmedIniBlanks(line.sliced(start + 1, close - start - 1));
}

QString storedIniName(QStringView wanted)
{
    return trimmedIniBlanks(text::unescapeLine(text::escapeLine(wanted))).toString();
}

bool sameIniName(QStringView raw, QStringView stored)
{
    // Only a backslash can start an escape: most names are compared as they stand.
    if (!raw.contains(u'\\'))
        return raw.compare(stored, Qt::CaseInsensitive) == 0;
    return QStringView(text::unescapeLine(raw)).compare(stored, Qt::CaseInsensitive) == 0;
}

QString foldedIniName(QStringView unescaped)
{
    QString folded;
    folded.reserve(unescaped.size());
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        char32_t c = unescaped[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < unescaped.size() &&
            unescaped[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), unescaped[++i].unicode());
        c = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(c)) {
            folded += QChar(QChar::highSurrogate(c));
            folded += QChar(QChar::lowSurrogate(c));
        } else {
            folded += QChar(char16_t(c));
        }
    }
    return folded;
}

QString iniHeaderLine(const QString &section)
{
    return QLatin1Char('[') + text::escapeLine(section) + QLatin1Char(']');
}

QString iniKeyLine(const QString &key, const QString &value)
{
    return text::escapeLine(key) + QLatin1Char('=') +
           text::escapeLine(value, text::EscapeRole::IniValue);
}

} // namespace store
