#include "platform/program_files_lock.h"

#include "platform/claim_folder.h"
#include "platform/native_names.h"

#include <QFile>
#include <QMutex>
#include <QThread>

#include <map>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Older C libraries name the target thread of a timer's signal only by its inner field.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace platform {

namespace {

// The locks this process holds, by thread and lock file: the descriptor of the local
// lock and the claim on the server, shared by the nested holders of one thread.
struct HeldLock
{
    int fd = -1;
    ClaimFolder claim;
    int holders = 0;
};

QMutex &registryMutex()
{
    static QMutex mutex;
    return mutex;
}

std::map<QByteArray, HeldLock> &registry()
{
    static std::map<QByteArray, HeldLock> held;
    return held;
}

QByteArray registryKey(const QByteArray &path)
{
    return QByteArray::number(quintptr(QThread::currentThreadId())) + '\0' + path;
}

// The claim folder beside the lock file: the lock file's name with ".claim" added.
QByteArray claimPathFor(const QByteArray &lockPath)
{
    return lockPath + ".claim";
}

bool lockingUnsupported(int error)
{
    return error == EINVAL || error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

// Opens (or makes) the local lock file. -1 with errno set when it cannot be had; the
// claim folder then holds alone for a client that may not open it (gvfs refuses to open
// an existing file for writing: EOPNOTSUPP).
int openLockFile(const QByteArray &path)
{
    // Never through a link: another account could point it at one of the user's files.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
        // Every account that shares the folder must be able to take the lock, whatever the
        // creator's umask.
        (void)fchmod(fd, 0666);
    } else if (errno == EEXIST || errno == EIO) {
        // smbnetfs answers EIO to the loser of two clients creating it at once.
        fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    }
    return fd;
}

// The signal that ends a wait for the lock when its time is up. Its handler does nothing:
// the signal only interrupts the blocked fcntl (installed without SA_RESTART).
int timeoutSignal()
{
    static const int signal = [] {
        const int chosen = SIGRTMIN + 5;
        struct sigaction current = {};
        sigaction(chosen, nullptr, &current);
        if (current.sa_handler == SIG_DFL) {
            struct sigaction action = {};
            action.sa_handler = [](int) {
            };
            sigemptyset(&action.sa_mask);
            sigaction(chosen, &action, nullptr);
        }
        return chosen;
    }();
    return signal;
}

// Waits in the kernel's queue for the lock until it is free or the deadline passes: a
// waiter there is woken when the lock is released, so that a process that writes again
// and again cannot keep the others out. 0 once held, -1 when the file system keeps no
// locks, or the errno that stopped it.
int lockUntil(int fd, std::chrono::steady_clock::time_point deadline)
{
    struct flock request = {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &request) == 0)
        return 0;
    if (lockingUnsupported(errno))
        return -1;
    struct sigevent event = {};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = timeoutSignal();
    event.sigev_notify_thread_id = gettid();
    timer_t timer;
    if (timer_create(CLOCK_MONOTONIC, &event, &timer) != 0)
        return errno;
    int result = ETIMEDOUT;
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            break;
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        struct itimerspec alarm = {};
        alarm.it_value.tv_sec = time_t(nanoseconds / 1000000000);
        alarm.it_value.tv_nsec = long(nanoseconds % 1000000000);
        timer_settime(timer, 0, &alarm, nullptr);
        request = {};
        request.l_type = F_WRLCK;
        request.l_whence = SEEK_SET;
        if (fcntl(fd, F_OFD_SETLKW, &request) == 0) {
            result = 0;
            break;
        }
        if (errno != EINTR) {
            result = lockingUnsupported(errno) ? -1 : errno;
            break;
        }
    }
    timer_delete(timer);
    return result;
}

} // namespace

ProgramFilesLock::ProgramFilesLock(const QString &lockFilePath, std::chrono::milliseconds timeout)
{
    const QByteArray path = encodePath(lockFilePath);
    if (path.isEmpty()) {
        m_error = ENOENT;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const QByteArray key = registryKey(path);
    {
        const QMutexLocker locker(&registryMutex());
        auto found = registry().find(key);
        if (found != registry().end()) {
            ++found->second.holders;
            m_held = true;
            m_key = key;
            return;
        }
    }
    // The waits run without the registry's mutex: other threads take their own locks
    // meanwhile.
    HeldLock lock;
    lock.fd = openLockFile(path);
    if (lock.fd < 0) {
        m_error = errno;
        // Nothing can change on a read-only file system: the write says so itself.
        m_held = m_error == EROFS;
        // A client that cannot give this machine's half (gvfs; a file held open by
        // another client) leaves the claim to hold alone.
        if (m_error != EOPNOTSUPP && m_error != EIO && m_error != EBUSY)
            return;
        m_error = 0;
    } else if (const int result = lockUntil(lock.fd, deadline); result > 0) {
        ::close(lock.fd);
        m_error = result;
        return;
    }
    if (const int result =
            lock.claim.take(QFile::decodeName(claimPathFor(path)), deadline, &m_holder)) {
        if (lock.fd >= 0)
            ::close(lock.fd);
        m_error = result;
        m_held = result == EROFS;
        return;
    }
    lock.holders = 1;
    const QMutexLocker locker(&registryMutex());
    registry().emplace(key, std::move(lock));
    m_held = true;
    m_key = key;
}

ProgramFilesLock::~ProgramFilesLock()
{
    if (m_key.isEmpty())
        return;
    const QMutexLocker locker(&registryMutex());
    auto found = registry().find(m_key);
    if (found == registry().end())
        return;
    if (--found->second.holders > 0)
        return;
    // The claim goes first: a waiter of this machine queued on the local lock then finds
    // the server's half free too.
    found->second.claim.release();
    // Closing the only descriptor of the open file description releases the local lock.
    if (found->second.fd >= 0)
        ::close(found->second.fd);
    registry().erase(found);
}

} // namespace platform
