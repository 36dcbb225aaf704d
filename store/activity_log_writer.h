#pragma once

#include <QDateTime>
#include <QDeadlineTimer>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace store {

// One opening as the window hands it over: what logOpening writes, and when the user
// opened the folder.
struct LoggedOpening
{
    QString entry;
    QString exeFolder;
    QDateTime openedAt;
    QLocale locale;
};

// Writes the activity logs on a thread of its own: with years of logs on a file server a
// write takes from tens to hundreds of milliseconds, which the window must not wait for.
// The openings are written one after the other in the order they were handed over (the
// journal, then the folder log, as logOpening does). A write that fails is reported, and
// the next openings are written all the same: the failure may have passed (another
// workstation held the file, the share came back), and an opening is never dropped
// without the user being told.
class ActivityLogWriter : public QObject
{
    Q_OBJECT
public:
    // Writes one opening into both logs; raises palvoric::UserError as logOpening does.
    using Write = std::function<void(const LoggedOpening &opening)>;

    // How long the destructor leaves the openings still queued to be written.
    static constexpr std::chrono::milliseconds kStopWait{1000};

    // write: logOpening unless given (tests give slower or failing ones).
    explicit ActivityLogWriter(Write write = {}, QObject *parent = nullptr);
    // Gives the queued openings kStopWait to be written, then stops. A write that a dead
    // share holds longer is left to its thread, never waited for: the process must end.
    ~ActivityLogWriter() override;

    // Queues the opening of entry for the logs in exeFolder and returns at once. The date
    // and time are read from activeClock() now, and formatted in the default locale: the
    // logs tell when the user opened the folder, however long the disk keeps the write.
    void logOpening(const QString &entry, const QString &exeFolder);

    // Waits until every opening handed over has been written or has failed, or until
    // deadline. Returns the entries not written yet, oldest first (empty: all done). The
    // failures met by then are signalled before it returns, from within this call: the
    // event loop may not run again, as when the window closes.
    QStringList waitForPending(QDeadlineTimer deadline);

Q_SIGNALS:
    // A write failed, with the French text for the error box ("Impossible d'écrire dans
    // <path>"). Raised on this object's thread, queued there as soon as the failure is known.
    void writeFailed(const QString &message);

private:
    struct Shared;
    static void work(const std::shared_ptr<Shared> &shared);
    // The entries not written yet once deadline passes or the queue is empty.
    QStringList unwrittenAfter(QDeadlineTimer deadline);

    // Held by the worker too, which may outlive this object.
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};

// The text that tells the user which openings could not be written to the logs in
// exeFolder before the window closed.
QString unwrittenOpeningsMessage(const QStringList &entries, const QString &exeFolder);

} // namespace store
