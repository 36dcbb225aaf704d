#pragma once

#include <QCollator>
#include <QLocale>
#include <QStringList>

namespace search {

// The collator that orders the result list: the given locale's, blind to letter case;
// French for the C locale, as the interface is French.
QCollator listCollator(const QLocale &locale);

// Sorts names into the list's order: the collation of listCollator(locale); names it
// holds equal (DUPONT and dupont) follow code-point order, so that the order is the same
// from one run to the next. Each name's key is computed once.
void sortNames(QStringList &names, const QLocale &locale);

// Builds, for the calling thread, the table sortNames uses for locale (a few thousand
// questions to the collator, about 26 ms), so that the first search does not wait for it.
void prepareSorting(const QLocale &locale);

} // namespace search
