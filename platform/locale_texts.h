#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace platform {

// The separator the locale's short date format puts between day, month and year
// ("/" in France, "." in Germany); "/" when the format shows none.
QString dateSeparator(const QLocale &locale);

// Formats date with a pattern where "dd" is the day and "mm" the month on two digits,
// "yyyy" the year on four, and each "/" the locale's date separator; any other character
// stands for itself.
QString formatDatePattern(const QDate &date, const QString &pattern, const QLocale &locale);

} // namespace platform
