#include "platform/program_files_lock.h"

#include "platform/native_names.h"

#include <QHash>
#include <QMutex>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// The locks this process holds, by lock file: one descriptor each, shared by the
// nested holders.
struct HeldLock
{
    int fd = -1;
    int holders = 0;
};

QMutex &registryMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QByteArray, HeldLock> &registry()
{
    static QHash<QByteArray, HeldLock> held;
    return held;
}

bool lockingUnsupported(int error)
{
    return error == EINVAL || error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

// Tries the lock until it is free or the deadline passes. 0 once held, -1 when the file
// system keeps no locks, or the errno that stopped it.
int lockUntil(int fd, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        struct flock request = {};
        request.l_type = F_WRLCK;
        request.l_whence = SEEK_SET;
        if (fcntl(fd, F_OFD_SETLK, &request) == 0)
            return 0;
        const int error = errno;
        if (lockingUnsupported(error))
            return -1;
        if (error != EAGAIN && error != EACCES && error != EINTR)
            return error;
        if (std::chrono::steady_clock::now() >= deadline)
            return ETIMEDOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

ProgramFilesLock::ProgramFilesLock(const QString &lockFilePath, std::chrono::milliseconds timeout)
    : m_path(encodePath(lockFilePath))
{
    if (m_path.isEmpty()) {
        m_error = ENOENT;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QMutexLocker locker(&registryMutex());
    auto found = registry().find(m_path);
    if (found != registry().end()) {
        ++found->holders;
        m_held = true;
        m_registered = true;
        return;
    }
    // Never through a link: another account could point it at one of the user's files.
    int fd = ::open(m_path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
        // Every account that shares the folder must be able to take the lock, whatever the
        // creator's umask.
        (void)fchmod(fd, 0666);
    } else if (errno == EEXIST) {
        fd = ::open(m_path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0) {
        m_error = errno;
        // Nothing can change on a read-only file system: the write says so itself.
        m_held = m_error == EROFS;
        return;
    }
    const int result = lockUntil(fd, deadline);
    if (result > 0) {
        ::close(fd);
        m_error = result;
        return;
    }
    registry().insert(m_path, HeldLock{fd, 1});
    m_held = true;
    m_registered = true;
}

ProgramFilesLock::~ProgramFilesLock()
{
    if (!m_registered)
        return;
    QMutexLocker locker(&registryMutex());
    auto found = registry().find(m_path);
    if (found == registry().end())
        return;
    if (--found->holders > 0)
        return;
    // Closing the only descriptor of the open file description releases the lock.
    ::close(found->fd);
    registry().erase(found);
}

} // namespace platform
