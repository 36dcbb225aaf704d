#include "tests/support/search/gated_searcher.h"

#include <chrono>

search::BackgroundSearch::Searcher GatedSearcher::searcher()
{
    return [this](const search::SearchRequest &request, const std::atomic<bool> &cancelled) {
        std::unique_lock lock(m_mutex);
        m_requests.append(request);
        m_begun.insert(request.text);
        m_changed.notify_all();
        // Cancellation is seen between two "reads of the folder", here every millisecond.
        while (!m_open.count(request.text)) {
            if (cancelled.load()) {
                m_cancelled.insert(request.text);
                m_changed.notify_all();
                return QStringList();
            }
            m_changed.wait_for(lock, std::chrono::milliseconds(1));
        }
        return QStringList{request.text + QStringLiteral(" trouvé")};
    };
}

void GatedSearcher::open(const QString &text)
{
    const std::lock_guard lock(m_mutex);
    m_open.insert(text);
    m_changed.notify_all();
}

bool GatedSearcher::waitUntilBegun(const QString &text)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10),
                              [&] { return m_begun.count(text) > 0; });
}

bool GatedSearcher::hasBegun(const QString &text)
{
    const std::lock_guard lock(m_mutex);
    return m_begun.count(text) > 0;
}

bool GatedSearcher::wasCancelled(const QString &text)
{
    const std::lock_guard lock(m_mutex);
    return m_cancelled.count(text) > 0;
}

QList<search::SearchRequest> GatedSearcher::requests()
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}
