#include "store/activity_log.h"

#include "store/clock.h"
#include "store/ini_file.h"
#include "store/stored_names.h"
#include "store/tidy_ini_file.h"

namespace store {

QString journalLogPath(const QString &exeFolder)
{
    return exeFolder + kJournalFileName;
}

QString folderLogPath(const QString &exeFolder)
{
    return exeFolder + kFolderLogFileName;
}

QString longTimeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    // Take out every unquoted "t" field with the blanks that separate it from the rest.
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u't')
            ++i;
        while (!out.isEmpty() && out.back().isSpace())
            out.chop(1);
        if (out.isEmpty()) {
            while (i + 1 < format.size() && format[i + 1].isSpace())
                ++i;
        }
    }
    // A long format always shows the seconds; make sure of it.
    bool hasSeconds = false;
    quoted = false;
    for (QChar c : out) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u's')
            hasSeconds = true;
    }
    if (!hasSeconds)
        return QStringLiteral("HH:mm:ss");
    return out.trimmed();
}

namespace {

// No language set (the C or POSIX locale of services and fresh installs): the logs are
// dated as in France, like the window's title.
bool isUnsetLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// Every unquoted two-letter year of a format given four letters.
QString withFourDigitYear(const QString &format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (quoted || c != u'y') {
            out += c;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == u'y')
            ++run;
        out += QString(run == 2 ? 4 : run, u'y');
        i += run - 1;
    }
    return out;
}

} // namespace

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

void logOpening(const QString &entry, const QString &exeFolder)
{
    const QDateTime journalTime = activeClock().now();
    iniWriteString(logDateText(journalTime.date()), logTimeText(journalTime.time()), entry,
                   journalLogPath(exeFolder));
    const QDateTime folderTime = activeClock().now();
    iniWriteString(entry, logDateText(folderTime.date()), logTimeText(folderTime.time()),
                   folderLogPath(exeFolder));
}

void tidyActivityLogs(const QString &exeFolder)
{
    tidyIniFile(journalLogPath(exeFolder));
    tidyIniFile(folderLogPath(exeFolder));
}

} // namespace store
