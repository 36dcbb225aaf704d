#include "text/line_escape.h"

namespace text {

namespace {

constexpr char16_t kPictureOfNul = 0x2400;
constexpr char16_t kPictureOfTab = 0x2409;
constexpr char16_t kPictureOfLineFeed = 0x240A;
constexpr char16_t kPictureOfCarriageReturn = 0x240D;

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isLoneSurrogate(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

// The surrogates that stand for the bytes 0x80 to 0xFF of a name that is not UTF-8.
bool isByteSurrogate(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

// What a reader of the value would change: blanks it trims, or quotes it strips.
bool needsQuotes(QStringView value)
{
    if (value.isEmpty())
        return false;
    if (value.front() == u' ' || value.back() == u' ')
        return true;
    return value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
}

} // namespace

QString escapeLine(QStringView text, EscapeRole role)
{
    QString out;
    out.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\n':
            out += QChar(kPictureOfLineFeed);
            continue;
        case u'\r':
            out += QChar(kPictureOfCarriageReturn);
            continue;
        case u'\t':
            out += QChar(kPictureOfTab);
            continue;
        case u'\0':
            out += QChar(kPictureOfNul);
            continue;
        default:
            break;
        }
        if (isLoneSurrogate(text, i)) {
            if (isByteSurrogate(c.unicode()))
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += QChar(QChar::ReplacementCharacter);
            continue;
        }
        out += c;
    }
    if (role == EscapeRole::IniValue && needsQuotes(out))
        return u'"' + out + u'"';
    return out;
}

QString unescapeLine(QStringView text)
{
    if (!text.contains(QLatin1StringView("\\u"), Qt::CaseInsensitive))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 5 < text.size() + 0 && (text[i + 1] == u'u') &&
            isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5])) {
            const char16_t value = char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16));
            if (isByteSurrogate(value)) {
                out += QChar(value);
                i += 5;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString iniValueText(QStringView trimmedValue)
{
    QStringView value = trimmedValue;
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return unescapeLine(value);
}

} // namespace text
