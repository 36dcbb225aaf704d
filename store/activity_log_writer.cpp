#include "store/activity_log_writer.h"

#include "errors/user_error.h"
#include "store/activity_log.h"
#include "store/clock.h"
#include "text/line_escape.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace store {

struct ActivityLogWriter::Shared
{
    Write write;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<LoggedOpening> queued;
    std::optional<QString> writing; // the entry being written
    bool stopping = false;
    // Told of the failures; null once it is gone.
    ActivityLogWriter *owner = nullptr;
};

namespace {

// The French text of a write that failed; empty when it succeeded. Nothing may leave the
// worker: an exception there would end the process.
QString failureOf(const ActivityLogWriter::Write &write, const LoggedOpening &opening)
{
    try {
        write(opening);
        return QString();
    } catch (const palvoric::UserError &error) {
        return error.message();
    } catch (...) {
        return QStringLiteral("Impossible d'écrire dans %1").arg(journalLogPath(opening.exeFolder));
    }
}

} // namespace

ActivityLogWriter::ActivityLogWriter(Write write, QObject *parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->write = write ? std::move(write) : [](const LoggedOpening &opening) {
        store::logOpening(opening.entry, opening.exeFolder, opening.openedAt, opening.locale);
    };
    m_shared->owner = this;
    m_worker = std::thread([shared = m_shared] { work(shared); });
}

ActivityLogWriter::~ActivityLogWriter()
{
    unwrittenAfter(QDeadlineTimer(kStopWait));
    std::optional<QString> writing;
    std::deque<LoggedOpening> dropped;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->owner = nullptr;
        m_shared->stopping = true;
        writing = m_shared->writing;
        dropped.swap(m_shared->queued);
    }
    m_shared->changed.notify_all();
    // An idle worker ends at once; one held by the disk ends with the process.
    if (writing) {
        qWarning("Opening left to a write that has not ended: %s", qUtf8Printable(*writing));
        m_worker.detach();
    } else {
        m_worker.join();
    }
    for (const LoggedOpening &opening : dropped)
        qWarning("Opening not logged: %s", qUtf8Printable(opening.entry));
}

void ActivityLogWriter::logOpening(const QString &entry, const QString &exeFolder)
{
    LoggedOpening opening{entry, exeFolder, activeClock().now(), QLocale()};
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->queued.push_back(std::move(opening));
    }
    m_shared->changed.notify_all();
}

QStringList ActivityLogWriter::waitForPending(QDeadlineTimer deadline)
{
    const QStringList unwritten = unwrittenAfter(deadline);
    // The failures the worker queued to this thread, delivered now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return unwritten;
}

QStringList ActivityLogWriter::unwrittenAfter(QDeadlineTimer deadline)
{
    std::unique_lock lock(m_shared->mutex);
    const auto done = [this] {
        return !m_shared->writing && m_shared->queued.empty();
    };
    if (deadline.isForever())
        m_shared->changed.wait(lock, done);
    else
        m_shared->changed.wait_for(lock, deadline.remainingTimeAsDuration(), done);
    QStringList unwritten;
    if (m_shared->writing)
        unwritten.append(*m_shared->writing);
    for (const LoggedOpening &opening : m_shared->queued)
        unwritten.append(opening.entry);
    return unwritten;
}

void ActivityLogWriter::work(const std::shared_ptr<Shared> &shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->stopping || !shared->queued.empty(); });
        if (shared->stopping)
            return;
        const LoggedOpening opening = std::move(shared->queued.front());
        shared->queued.pop_front();
        shared->writing = opening.entry;
        lock.unlock();
        const QString failure = failureOf(shared->write, opening);
        lock.lock();
        shared->writing.reset();
        if (!failure.isEmpty() && shared->owner) {
            // Dropped by Qt when the owner is gone before it runs.
            ActivityLogWriter *owner = shared->owner;
            QMetaObject::invokeMethod(
                owner, [owner, failure] { Q_EMIT owner->writeFailed(failure); },
                Qt::QueuedConnection);
        }
        shared->changed.notify_all();
    }
}

QString unwrittenOpeningsMessage(const QStringList &entries, const QString &exeFolder)
{
    constexpr qsizetype kShown = 5;
    QString text = QStringLiteral("Ces ouvertures de dossiers n'ont pas pu être écrites dans %1 "
                                  "et %2 avant la fermeture :\r\n")
                       .arg(journalLogPath(exeFolder), folderLogPath(exeFolder));
    for (qsizetype i = 0; i < qMin(kShown, entries.size()); ++i)
        text += QStringLiteral("\r\n") + text::escapeLine(entries[i]);
    if (entries.size() > kShown)
        text += QStringLiteral("\r\net %1 autre(s)").arg(entries.size() - kShown);
    return text;
}

} // namespace store
