#pragma once

#include "search/background_search.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <set>

// A searcher for a folder as slow as the test wants: each search of a text waits until
// the test opens that text's gate (or until it is cancelled), then gives the text's own
// result, the single line "<text> trouvé". It tells which searches began and which were
// cancelled, so that a test can wait for them, and keeps every request it received.
class GatedSearcher
{
public:
    search::BackgroundSearch::Searcher searcher();

    void open(const QString &text);
    // Waits (at most 10 s) until a search of text has begun.
    bool waitUntilBegun(const QString &text);
    bool hasBegun(const QString &text);
    bool wasCancelled(const QString &text);
    // The requests received so far, oldest first.
    QList<search::SearchRequest> requests();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<QString> m_open;
    std::set<QString> m_begun;
    std::set<QString> m_cancelled;
    QList<search::SearchRequest> m_requests;
};
