#pragma once

#include "platform/wildcard_matcher.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <atomic>

// The search of the start folder that fills the result list, on plain values.
namespace search {

// "Begins with" checked: names that begin with the text; unchecked: names that contain it.
enum class SearchMode { BeginsWith, Contains };

// One search of the start folder, as the window asks for it.
struct SearchRequest
{
    QString startFolder;
    QString text;
    SearchMode mode = SearchMode::BeginsWith;
    QLocale locale;
    // "Ignorer les accents": letters also match without their diacritics.
    bool ignoreAccents = false;
};

// The text as typed, with its own "*" and "?" kept as wildcards: "du" gives "du*" or
// "*du*".
QString searchPattern(const QString &text, SearchMode mode);

// The matcher a request's search uses on the names of its folder.
platform::WildcardMatcher searchMatcher(const SearchRequest &request);

// The full path of a line of the list: the start folder, "/" unless it already ends
// with one, then the line. An empty start folder thus stands for "/".
QString entryPath(const QString &startFolder, const QString &line);

// The entries directly inside startFolder whose names match the text: folders and files
// alike, hidden entries, "." and ".." never, sorted by sortNames. A start folder that is
// missing, not a folder or unreadable gives none. Once cancelled (when given) is true the
// search stops between two reads of the folder and gives none.
QStringList findEntries(const QString &startFolder, const QString &text, SearchMode mode,
                        const QLocale &locale, const std::atomic<bool> *cancelled = nullptr);
// The same for a whole request.
QStringList findEntries(const SearchRequest &request, const std::atomic<bool> *cancelled = nullptr);

// The caption of the result panel after a search: the count and the text as typed.
QString countCaption(qsizetype count, const QString &text, SearchMode mode);

// The caption while a search runs longer than a keystroke: "Recherche de "dupont"...".
QString runningCaption(const QString &text);

// A search runs from two UTF-16 code units on.
bool searchTextLongEnough(const QString &text);

} // namespace search
