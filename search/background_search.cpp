#include "search/background_search.h"

#include "search/name_collation.h"

#include <QMetaObject>

namespace search {

BackgroundSearch::BackgroundSearch(const QLocale &locale, Searcher searcher, QObject *parent)
    : QObject(parent), m_searcher(std::move(searcher)), m_prepare(locale)
{
    if (!m_searcher) {
        m_searcher = [](const SearchRequest &request, const std::atomic<bool> &cancelled) {
            return findEntries(request, &cancelled);
        };
    }
    m_worker = std::thread([this] { work(); });
}

BackgroundSearch::~BackgroundSearch()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_pending.reset();
        if (m_running)
            m_running->store(true);
    }
    m_changed.notify_all();
    m_worker.join();
}

quint64 BackgroundSearch::start(const SearchRequest &request)
{
    const std::lock_guard lock(m_mutex);
    ++m_latest;
    m_pending = request;
    m_hasDone = false;
    if (m_running)
        m_running->store(true);
    m_changed.notify_all();
    return m_latest;
}

std::optional<QStringList> BackgroundSearch::waitFor(quint64 ticket,
                                                     std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    // The sort's preparation at start is the window's own business: it is waited for
    // apart from the search (the first search paid it before it moved to this thread).
    m_changed.wait(lock, [&] { return !m_prepare && !m_preparing; });
    const bool done = m_changed.wait_for(
        lock, timeout, [&] { return ticket != m_latest || (m_hasDone && m_doneTicket == ticket); });
    if (!done || ticket != m_latest || !m_hasDone)
        return std::nullopt;
    m_hasDone = false; // taken here: deliver() gives nothing for it
    return std::move(m_doneLines);
}

void BackgroundSearch::cancel()
{
    const std::lock_guard lock(m_mutex);
    ++m_latest;
    m_pending.reset();
    m_hasDone = false;
    if (m_running)
        m_running->store(true);
}

void BackgroundSearch::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || m_prepare || m_pending; });
        if (m_stopping)
            return;
        if (m_prepare) {
            const QLocale locale = *m_prepare;
            m_prepare.reset();
            m_preparing = true;
            lock.unlock();
            prepareSorting(locale);
            lock.lock();
            m_preparing = false;
            m_changed.notify_all();
            continue;
        }
        const SearchRequest request = std::move(*m_pending);
        m_pending.reset();
        const quint64 ticket = m_latest;
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        m_running = cancelled;
        lock.unlock();
        QStringList lines = m_searcher(request, *cancelled);
        lock.lock();
        m_running.reset();
        if (cancelled->load() || ticket != m_latest)
            continue; // superseded: never shown
        m_doneTicket = ticket;
        m_doneLines = std::move(lines);
        m_hasDone = true;
        m_changed.notify_all();
        // Dropped by Qt when this object is gone first.
        QMetaObject::invokeMethod(
            this, [this, ticket] { deliver(ticket); }, Qt::QueuedConnection);
    }
}

void BackgroundSearch::deliver(quint64 ticket)
{
    QStringList lines;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_hasDone || m_doneTicket != ticket || ticket != m_latest)
            return;
        m_hasDone = false;
        lines = std::move(m_doneLines);
    }
    Q_EMIT finished(ticket, lines);
}

} // namespace search
