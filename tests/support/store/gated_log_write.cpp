#include "tests/support/store/gated_log_write.h"

#include "store/activity_log.h"

#include <QScopeGuard>

#include <condition_variable>
#include <mutex>
#include <thread>

struct GatedLogWrite::State
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int begun = 0;
    QStringList written;
};

GatedLogWrite::GatedLogWrite() : m_state(std::make_shared<State>()) {}

store::ActivityLogWriter::Write GatedLogWrite::write() const
{
    return [state = m_state](const store::LoggedOpening &opening) {
        {
            std::unique_lock lock(state->mutex);
            ++state->begun;
            state->changed.notify_all();
            state->changed.wait(lock, [&] { return state->open; });
        }
        // Recorded even when the write fails, as the writer tried it.
        const auto record = qScopeGuard([&] {
            const std::lock_guard lock(state->mutex);
            state->written.append(opening.entry);
            state->changed.notify_all();
        });
        store::logOpening(opening.entry, opening.exeFolder, opening.openedAt, opening.locale);
    };
}

void GatedLogWrite::open()
{
    const std::lock_guard lock(m_state->mutex);
    m_state->open = true;
    m_state->changed.notify_all();
}

bool GatedLogWrite::waitUntilBegun(int count)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return m_state->begun >= count; });
}

bool GatedLogWrite::waitUntilWritten(int count)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return m_state->written.size() >= count; });
}

QStringList GatedLogWrite::written() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->written;
}

store::ActivityLogWriter::Write slowLogWrite(std::chrono::milliseconds perOpening)
{
    return [perOpening](const store::LoggedOpening &opening) {
        std::this_thread::sleep_for(perOpening);
        store::logOpening(opening.entry, opening.exeFolder, opening.openedAt, opening.locale);
    };
}
