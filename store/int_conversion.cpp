#include "store/int_conversion.h"

#include <limits>

namespace store {

namespace {

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

std::optional<int> textToInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const QStringView rest = text.mid(i);
    qsizetype hexStart = -1;
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X'))
        hexStart = 1;
    else if (rest.startsWith(u"0x", Qt::CaseInsensitive))
        hexStart = 2;

    if (hexStart > 0) {
        const QStringView digits = rest.mid(hexStart);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        quint32 value = 0;
        for (QChar c : digits) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value << 4 | quint32(digit);
        }
        // Read as 32 bits, then negated the same way: "-$80000000" stays the lowest value.
        return int(negative ? quint32(0) - value : value);
    }

    if (rest.isEmpty())
        return std::nullopt;
    const qint64 limit = negative ? -qint64(std::numeric_limits<int>::min())
                                  : qint64(std::numeric_limits<int>::max());
    qint64 value = 0;
    for (QChar c : rest) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return int(negative ? -value : value);
}

} // namespace store
