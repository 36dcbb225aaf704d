#include "app/window_title.h"

#include "platform/exe_identity.h"
#include "platform/locale_texts.h"
#include "platform/version_section.h"

#include <QDateTime>
#include <QFileInfo>

QString exeVersionText()
{
    return exeVersionTextOf(platform::executablePath());
}

QString exeVersionTextOf(const QString &exePath)
{
    return platform::versionText(platform::readFileVersion(exePath));
}

QString exeDateText(const QString &pattern)
{
    return exeDateTextOf(platform::executablePath(), pattern, QLocale::system());
}

QString exeDateTextOf(const QString &exePath, const QString &pattern, const QLocale &locale)
{
    const QFileInfo info(exePath); // follows a symbolic link to its target
    if (exePath.isEmpty() || !info.exists() || info.isDir())
        return QString();
    const QDateTime modified = info.lastModified().toLocalTime();
    if (!modified.isValid())
        return QString();
    return platform::formatDatePattern(modified.date(), pattern, locale);
}

namespace {

// Only a to z are upper-cased: "é" stays as it is.
QString asciiUpper(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return out;
}

} // namespace

QString mainWindowTitle(const QString &extra, const QString &pattern)
{
    return mainWindowTitleOf(platform::executablePath(), extra, pattern, QLocale::system());
}

QString mainWindowTitleOf(const QString &exePath, const QString &extra, const QString &pattern,
                          const QLocale &locale)
{
    return QStringLiteral("%1 %2 | Kestrane ***{:- %3 | %4")
        .arg(asciiUpper(platform::exeBaseNameFromPath(exePath)), exeVersionTextOf(exePath), extra,
             exeDateTextOf(exePath, pattern, locale));
}
