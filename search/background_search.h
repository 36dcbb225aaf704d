#pragma once

#include "search/folder_search.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace search {

// The search of the start folder, run on a thread of its own so that the window never
// waits for a slow folder (a share over the network): the latest request first. A new
// request cancels the one running (between two reads of the folder), and only the result
// of the latest request is ever given; an older one is dropped, even when it comes last.
class BackgroundSearch : public QObject
{
    Q_OBJECT
public:
    // Runs one request; stops early, with any result, once cancelled is true.
    using Searcher = std::function<QStringList(const SearchRequest &request,
                                               const std::atomic<bool> &cancelled)>;

    // searcher: findEntries unless given (tests give slower ones). The worker starts by
    // preparing the sort for locale.
    explicit BackgroundSearch(const QLocale &locale, Searcher searcher = {},
                              QObject *parent = nullptr);
    // Cancels what runs and waits for the worker to stop: no result comes after.
    ~BackgroundSearch() override;

    // Starts a search, cancelling the one running; returns its ticket.
    quint64 start(const SearchRequest &request);
    // The result of ticket, when it comes within timeout and no later request was made;
    // finished() is then not raised for it. The timeout counts from the end of the sort's
    // preparation at start.
    std::optional<QStringList> waitFor(quint64 ticket, std::chrono::milliseconds timeout);
    // Cancels what runs or waits; nothing is given for it.
    void cancel();

Q_SIGNALS:
    // The result of the latest request, on this object's thread.
    void finished(quint64 ticket, const QStringList &lines);

private:
    void work();
    void deliver(quint64 ticket);

    Searcher m_searcher;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    quint64 m_latest = 0;
    std::optional<SearchRequest> m_pending; // the latest request, not yet taken
    std::optional<QLocale> m_prepare;       // a sort to prepare before anything else
    bool m_preparing = false;
    std::shared_ptr<std::atomic<bool>> m_running; // the running search's cancel flag
    quint64 m_doneTicket = 0;
    QStringList m_doneLines;
    bool m_hasDone = false;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace search
