#pragma once

#include <QLocale>
#include <QString>

// The title tells at a glance which build is running: the executable's name, its file
// version and the date of its file.

// "major.minor" of the running executable's file version; "65535.65535" without one.
QString exeVersionText();
QString exeVersionTextOf(const QString &exePath);

// The executable file's date (its link followed, local time) formatted with pattern;
// the empty text when it cannot be read.
QString exeDateText(const QString &pattern);
QString exeDateTextOf(const QString &exePath, const QString &pattern, const QLocale &locale);

// "NAME version | Kestrane ***{:- extra | date".
QString mainWindowTitle(const QString &extra, const QString &pattern);
QString mainWindowTitleOf(const QString &exePath, const QString &extra, const QString &pattern,
                          const QLocale &locale);
