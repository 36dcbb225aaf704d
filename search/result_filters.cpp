#include "search/result_filters.h"

namespace search {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

} // namespace

QString sameSurnameText(const QString &line)
{
    const qsizetype space = line.indexOf(u' ');
    return space < 0 ? line : line.left(space);
}

QString sameSurnameAndFirstNameText(const QString &line)
{
    const qsizetype first = line.indexOf(u' ');
    if (first < 0)
        return line;
    const qsizetype second = line.indexOf(u' ', first + 1);
    return second < 0 ? line : line.left(second);
}

std::optional<QString> sameFirstNameText(const QString &line)
{
    const QStringList pieces = splitPieces(line);
    if (pieces.size() < 2)
        return std::nullopt;
    return QStringLiteral("* ") + pieces.at(1);
}

QStringList splitPieces(const QString &line)
{
    QStringList pieces;
    const qsizetype end = line.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < end && isBlank(line.at(i)))
            ++i;
    };
    skipBlanks();
    while (i < end) {
        const qsizetype start = i;
        while (i < end && !isBlank(line.at(i)) && line.at(i) != u',')
            ++i;
        pieces.append(line.mid(start, i - start));
        skipBlanks();
        if (i < end && line.at(i) == u',') {
            if (i == end - 1)
                pieces.append(QString());
            ++i;
            skipBlanks();
        }
    }
    return pieces;
}

} // namespace search
