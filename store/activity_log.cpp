#include "store/activity_log.h"

#include "store/clock.h"
#include "store/ini_file.h"
#include "store/stored_names.h"
#include "store/tidy_ini_file.h"

#include <algorithm>

namespace store {

QString journalLogPath(const QString &exeFolder)
{
    return exeFolder + kJournalFileName;
}

QString folderLogPath(const QString &exeFolder)
{
    return exeFolder + kFolderLogFileName;
}

namespace {

// A run of one letter outside quotes in a date or time format: one field ("yy", "t").
struct FieldRun
{
    QChar letter;
    qsizetype start = 0;
    qsizetype length = 0;
};

QList<FieldRun> fieldRuns(const QString &format)
{
    QList<FieldRun> runs;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'' || quoted) {
            quoted = quoted != (c == u'\'');
            ++i;
            continue;
        }
        qsizetype length = 1;
        while (i + length < format.size() && format[i + length] == c)
            ++length;
        if (c.isLetter())
            runs.append({c, i, length});
        i += length;
    }
    return runs;
}

// No language set (the C or POSIX locale of services and fresh installs): the logs are
// dated as in France, like the window's title.
bool isUnsetLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// Every two-letter year of a format given four letters.
QString withFourDigitYear(QString format)
{
    const QList<FieldRun> runs = fieldRuns(format);
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        if (run->letter == u'y' && run->length == 2)
            format.insert(run->start, QStringLiteral("yy"));
    }
    return format;
}

} // namespace

QString longTimeFormatWithoutZone(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    const QList<FieldRun> runs = fieldRuns(format);
    // A long format always shows the seconds; make sure of it.
    if (std::none_of(runs.cbegin(), runs.cend(),
                     [](const FieldRun &run) { return run.letter == u's'; }))
        return QStringLiteral("HH:mm:ss");
    // Take out every "t" field with the blanks that separate it from the rest: those
    // before it, or those after it when it opens the format.
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        if (run->letter != u't')
            continue;
        qsizetype from = run->start;
        qsizetype to = run->start + run->length;
        while (from > 0 && format[from - 1].isSpace())
            --from;
        if (from == 0) {
            while (to < format.size() && format[to].isSpace())
                ++to;
        }
        format.remove(from, to - from);
    }
    return format.trimmed();
}

QString logDateText(const QDate &date, const QLocale &locale)
{
    if (isUnsetLocale(locale))
        return date.toString(QStringLiteral("dd/MM/yyyy"));
    return locale.toString(date, withFourDigitYear(locale.dateFormat(QLocale::ShortFormat)));
}

QString logTimeText(const QTime &time, const QLocale &locale)
{
    if (isUnsetLocale(locale))
        return time.toString(QStringLiteral("HH:mm:ss"));
    return locale.toString(time, longTimeFormatWithoutZone(locale));
}

namespace {

void writeJournalEntry(const QString &entry, const QString &exeFolder, const QDateTime &time,
                       const QLocale &locale)
{
    iniAddString(logDateText(time.date(), locale), logTimeText(time.time(), locale), entry,
                 journalLogPath(exeFolder));
}

void writeFolderLogEntry(const QString &entry, const QString &exeFolder, const QDateTime &time,
                         const QLocale &locale)
{
    iniAppendString(entry, logDateText(time.date(), locale), logTimeText(time.time(), locale),
                    folderLogPath(exeFolder));
}

} // namespace

void logOpening(const QString &entry, const QString &exeFolder)
{
    writeJournalEntry(entry, exeFolder, activeClock().now(), QLocale());
    writeFolderLogEntry(entry, exeFolder, activeClock().now(), QLocale());
}

void logOpening(const QString &entry, const QString &exeFolder, const QDateTime &openedAt,
                const QLocale &locale)
{
    writeJournalEntry(entry, exeFolder, openedAt, locale);
    writeFolderLogEntry(entry, exeFolder, openedAt, locale);
}

void tidyActivityLogs(const QString &exeFolder)
{
    tidyIniFile(journalLogPath(exeFolder));
    tidyIniFile(folderLogPath(exeFolder));
}

} // namespace store
