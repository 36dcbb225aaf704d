#include "store/split_string.h"

namespace store {

QStringList splitString(const QString &text, const QString &delimiter)
{
    QStringList pieces;
    if (delimiter.isEmpty()) {
        if (!text.isEmpty())
            pieces.append(text);
        return pieces;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype found = text.indexOf(delimiter, start, Qt::CaseSensitive);
        if (found < 0)
            break;
        pieces.append(text.mid(start, found - start));
        start = found + delimiter.size();
    }
    if (start < text.size())
        pieces.append(text.mid(start));
    return pieces;
}

} // namespace store
