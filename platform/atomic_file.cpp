#include "platform/atomic_file.h"

#include "platform/native_names.h"
#include "platform/process_identity.h"
#include "platform/trusted_links.h"

#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QByteArray kTemporaryPrefix = QByteArrayLiteral(".palvoric-tmp-");

// A save writes a few megabytes at most, forces them to the disk and tries its rename for
// half a second: even on a slow file server it is over within a minute. A temporary file
// untouched for an hour is no save in progress, whichever machine made it, even with the
// workstations' clocks (or the server's, which stamps the file) some minutes apart.
constexpr time_t kAbandonedAfterSeconds = 60 * 60;

bool fail(QString *errorText, int *errorOut, int error)
{
    if (errorText)
        *errorText = systemErrorString(error);
    if (errorOut)
        *errorOut = error;
    return false;
}

bool writeAll(int fd, QByteArrayView data)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, size_t(qMin<qsizetype>(left, 1 << 30)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

// Gives a new file the mode of the old one it replaces and, for root, its owner, so that
// the users who could change the file still can. A file system that keeps modes or owners
// of its own (FAT, a share) refuses: what it gives the new file is then what it gave the
// old one. Returns 0, or the error of a refusal that left the new file with another mode
// or owner than the old one's.
int keepModeAndOwner(int fd, const struct stat &old)
{
    const bool root = geteuid() == 0;
    int error = 0;
    // The owner first: changing it may clear set-id bits that the mode then restores.
    if (root && fchown(fd, old.st_uid, old.st_gid) != 0)
        error = errno;
    if (fchmod(fd, old.st_mode & 07777) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return 0;
    struct stat now;
    if (fstat(fd, &now) != 0)
        return errno;
    const bool sameMode = (now.st_mode & 07777) == (old.st_mode & 07777);
    const bool sameOwner = !root || (now.st_uid == old.st_uid && now.st_gid == old.st_gid);
    return sameMode && sameOwner ? 0 : error;
}

// A file server refuses to replace a file that is still open: another workstation reading
// it, or this machine's own last close, which a FUSE client passes on to the server a
// moment later. The refusal ends with the handle, so the rename is tried again for about
// half a second before it counts as a failure. Returns 0 or the last error.
int renameReplacing(int dir, const char *from, const char *to)
{
    constexpr int kAttempts = 8;
    long waitNanoseconds = 5'000'000;
    for (int attempt = 1;; ++attempt) {
        if (renameat(dir, from, dir, to) == 0)
            return 0;
        const int error = errno;
        // EEXIST: a network client that replaces in two steps met the other's new file.
        const bool busy = error == EBUSY || error == EACCES || error == ETXTBSY || error == EEXIST;
        if (!busy || attempt == kAttempts)
            return error;
        const timespec wait{0, waitNanoseconds};
        nanosleep(&wait, nullptr);
        waitNanoseconds *= 2;
    }
}

// Closes a descriptor once, whatever path leaves the scope.
struct FdGuard
{
    int fd = -1;
    ~FdGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

bool isAtomicTemporaryName(const QString &fileName)
{
    return fileName.startsWith(QLatin1StringView(kTemporaryPrefix));
}

bool writeFileAtomically(const QString &path, QByteArrayView data, QString *errorText,
                         int *errorOut)
{
    QByteArray target = encodePath(path);
    if (target.isEmpty())
        return fail(errorText, errorOut, ENOENT);
    int linkError = 0;
    const std::optional<QByteArray> resolved = resolveTrustedLinks(target, &linkError);
    if (!resolved)
        return fail(errorText, errorOut, linkError);
    target = *resolved;

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArrayLiteral(".")
                              : slash == 0 ? QByteArrayLiteral("/")
                                           : target.left(slash);
    const QByteArray name = target.mid(slash + 1);
    if (name.isEmpty())
        return fail(errorText, errorOut, EISDIR);

    FdGuard dir;
    dir.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd < 0)
        return fail(errorText, errorOut, errno);

    struct stat old;
    const bool hadOld = fstatat(dir.fd, name.constData(), &old, 0) == 0;
    if (hadOld) {
        if (S_ISDIR(old.st_mode))
            return fail(errorText, errorOut, EISDIR);
        if ((old.st_mode & 0222) == 0)
            return fail(errorText, errorOut, EACCES); // read-only, even for root, as on Windows
        if (faccessat(dir.fd, name.constData(), W_OK, AT_EACCESS) != 0)
            return fail(errorText, errorOut, errno);
    } else if (errno != ENOENT) {
        return fail(errorText, errorOut, errno);
    }

    QByteArray temporary;
    FdGuard file;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        temporary = kTemporaryPrefix + QByteArray::number(getpid()) + '-' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 16) + '-' +
                    thisMachineTag();
        // The umask applies to 0666, as for any new file; an old file's mode is copied below.
        file.fd =
            openat(dir.fd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd < 0 && errno != EEXIST)
            return fail(errorText, errorOut, errno);
    }
    if (file.fd < 0)
        return fail(errorText, errorOut, EEXIST);

    auto abandon = [&](int error) {
        if (file.fd >= 0) {
            ::close(file.fd);
            file.fd = -1;
        }
        unlinkat(dir.fd, temporary.constData(), 0);
        return fail(errorText, errorOut, error);
    };

    if (!writeAll(file.fd, data))
        return abandon(errno);
    if (hadOld) {
        if (const int error = keepModeAndOwner(file.fd, old))
            return abandon(error);
    }
    if (fdatasync(file.fd) != 0)
        return abandon(errno);
    const int closed = ::close(file.fd);
    file.fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (const int error = renameReplacing(dir.fd, temporary.constData(), name.constData()))
        return abandon(error);
    // The rename is durable only once the folder is; file systems that cannot sync a
    // folder say EINVAL, and have nothing to sync.
    if (fsync(dir.fd) != 0 && errno != EINVAL && errno != EROFS)
        return fail(errorText, errorOut, errno);
    return true;
}

int removeStaleTemporaries(const QString &folder)
{
    const QByteArray encoded = encodePath(folder);
    if (encoded.isEmpty())
        return 0;
    FdGuard dir;
    dir.fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd < 0)
        return 0;
    DIR *listing = fdopendir(dup(dir.fd));
    if (!listing)
        return 0;
    // This machine's, whose writer is gone: removed at once. Any other (another
    // workstation's in a shared folder, or a name of an older version): only once
    // abandoned, as no process here can tell whether its writer still runs.
    const QByteArray machine = thisMachineTag();
    QList<QByteArray> gone;
    QList<QByteArray> unknown;
    while (const dirent *entry = readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(kTemporaryPrefix))
            continue;
        // <pid>-<random>-<machine>
        const QList<QByteArray> parts = name.mid(kTemporaryPrefix.size()).split('-');
        bool isNumber = false;
        const qint64 pid = parts.value(0).toLongLong(&isNumber);
        if (parts.size() != 3 || !isNumber || parts[2] != machine)
            unknown.append(name);
        else if (pid != getpid() && !processMayRun(pid))
            gone.append(name); // neither this process nor a running one (or another user's)
    }
    closedir(listing);
    const time_t now = time(nullptr);
    int removed = 0;
    const auto remove = [&](const QByteArray &name, bool onlyWhenAbandoned) {
        struct stat status;
        if (fstatat(dir.fd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode))
            return;
        if (onlyWhenAbandoned && now - status.st_mtime <= kAbandonedAfterSeconds)
            return;
        if (unlinkat(dir.fd, name.constData(), 0) == 0)
            ++removed;
    };
    for (const QByteArray &name : std::as_const(gone))
        remove(name, false);
    for (const QByteArray &name : std::as_const(unknown))
        remove(name, true);
    return removed;
}

} // namespace platform
