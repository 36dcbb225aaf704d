#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// The two activity logs next to the executable, INI files that grow by their end:
// "_JOURNAL.LOG" (section: date, key: time, value: folder name; every opening a line of
// its own, two in the same second included) and "_DOSSIERS.LOG" (section: folder name,
// key: date, value: the time of the day's last opening).
namespace store {

QString journalLogPath(const QString &exeFolder);
QString folderLogPath(const QString &exeFolder);

// The date in the locale's short date format with a four-digit year (03/02/2022 in
// France, 03.02.2022 in Germany); dd/MM/yyyy when no language is set (the C or POSIX
// locale). The locale is the default one, the user's unless a test has set another.
QString logDateText(const QDate &date, const QLocale &locale = QLocale());
// The time in the locale's long time format, seconds included, without the time zone
// (09:14:27 in France); HH:mm:ss when no language is set.
QString logTimeText(const QTime &time, const QLocale &locale = QLocale());
// The locale's long time format without its time-zone fields.
QString longTimeFormatWithoutZone(const QLocale &locale);

// Records the opening of the folder entry (the text of its line): one entry in the
// journal, then one in the folder log, each with the date and time read from activeClock() at
// the moment of its write. Raises "Impossible d'écrire dans <path>" at the first write
// that fails; the journal entry stays when the folder log fails.
void logOpening(const QString &entry, const QString &exeFolder);
// The same with the moment of the opening given, as texts of locale in both logs: for a
// write made later than the opening (store/activity_log_writer.h), on a thread that must
// not read the clock or the default locale, which a test may be changing.
void logOpening(const QString &entry, const QString &exeFolder, const QDateTime &openedAt,
                const QLocale &locale);

// Tidies both logs when the window closes (with the option on): the journal first, then
// the folder log.
void tidyActivityLogs(const QString &exeFolder);

} // namespace store
