#include "search/folder_search.h"

#include "platform/folder_listing.h"
#include "platform/wildcard_matcher.h"
#include "search/name_collation.h"

namespace search {

QString searchPattern(const QString &text, SearchMode mode)
{
    if (mode == SearchMode::BeginsWith)
        return text + u'*';
    return u'*' + text + u'*';
}

QString entryPath(const QString &startFolder, const QString &line)
{
    if (startFolder.endsWith(u'/'))
        return startFolder + line;
    return startFolder + u'/' + line;
}

QStringList findEntries(const QString &startFolder, const QString &text, SearchMode mode,
                        const QLocale &locale, const std::atomic<bool> *cancelled)
{
    SearchRequest request;
    request.startFolder = startFolder;
    request.text = text;
    request.mode = mode;
    request.locale = locale;
    return findEntries(request, cancelled);
}

platform::WildcardMatcher searchMatcher(const SearchRequest &request)
{
    return platform::WildcardMatcher(searchPattern(request.text, request.mode),
                                     request.ignoreAccents
                                         ? platform::WildcardMatcher::Accents::Ignored
                                         : platform::WildcardMatcher::Accents::Kept);
}

QStringList findEntries(const SearchRequest &request, const std::atomic<bool> *cancelled)
{
    QStringList names = platform::listFolder(entryPath(request.startFolder, QString()),
                                             searchMatcher(request), cancelled);
    if (cancelled && cancelled->load())
        return {};
    sortNames(names, request.locale);
    return names;
}

QString countCaption(qsizetype count, const QString &text, SearchMode mode)
{
    const QString format = mode == SearchMode::BeginsWith
                               ? u"%1 dossier(s) trouvé(s) commençant par \"%2\""_qs
                               : u"%1 dossier(s) trouvé(s) contenants \"%2\""_qs;
    // One pass, so that a "%1" typed in the text stays as typed.
    return format.arg(QString::number(count), text);
}

QString runningCaption(const QString &text)
{
    return u"Recherche de \"%1\"..."_qs.arg(text);
}

bool searchTextLongEnough(const QString &text)
{
    return text.size() >= 2;
}

} // namespace search
