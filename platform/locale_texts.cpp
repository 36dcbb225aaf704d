#include "platform/locale_texts.h"

namespace platform {

QString dateSeparator(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return QString(c);
    }
    return QStringLiteral("/");
}

QString formatDatePattern(const QDate &date, const QString &pattern, const QLocale &locale)
{
    const QString separator = dateSeparator(locale);
    auto twoDigits = [](int n) {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QStringView rest = QStringView(pattern).mid(i);
        if (rest.startsWith(u"yyyy")) {
            out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
            i += 4;
        } else if (rest.startsWith(u"dd")) {
            out += twoDigits(date.day());
            i += 2;
        } else if (rest.startsWith(u"mm")) {
            out += twoDigits(date.month());
            i += 2;
        } else if (rest.front() == QLatin1Char('/')) {
            out += separator;
            ++i;
        } else {
            out += rest.front();
            ++i;
        }
    }
    return out;
}

} // namespace platform
