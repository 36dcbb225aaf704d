#include "platform/tree_copy.h"

#include "platform/unique_fd.h"

#include <QList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

QByteArray joined(const QByteArray &relative, const QByteArray &name)
{
    return relative.isEmpty() ? name : relative + '/' + name;
}

// The names in an open folder, "." and ".." left out.
int listNames(int dir, QList<QByteArray> &names)
{
    const int copy = ::dup(dir);
    if (copy < 0)
        return errno;
    DIR *listing = fdopendir(copy);
    if (!listing) {
        const int error = errno;
        ::close(copy);
        return error;
    }
    rewinddir(listing);
    errno = 0;
    while (const dirent *entry = readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
        errno = 0;
    }
    const int error = errno;
    closedir(listing);
    return error;
}

int setAttributes(int fd, const struct stat &status)
{
    if (geteuid() == 0 && fchown(fd, status.st_uid, status.st_gid) != 0 && errno != EPERM)
        return errno;
    if (fchmod(fd, status.st_mode & 07777) != 0 && errno != EPERM)
        return errno;
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    return futimens(fd, times) == 0 ? 0 : errno;
}

// True when the entry is the root of a mount: another file system, or a bind mount of
// a folder of the same one (which has the same device).
bool isMountRoot(int dir, const QByteArray &name, const struct stat &status, dev_t treeDevice)
{
    if (status.st_dev != treeDevice)
        return true;
    struct statx extended;
    if (statx(dir, name.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &extended) != 0)
        return false;
    return (extended.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
           (extended.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

int measure(int dir, const QByteArray &name, const QByteArray &relative, TreeSize &size,
            QByteArray &failedPath, const dev_t *treeDevice)
{
    auto failed = [&](int error) {
        failedPath = relative;
        return error;
    };
    struct stat status;
    if (fstatat(dir, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return failed(errno);
    if (treeDevice && isMountRoot(dir, name, status, *treeDevice))
        return failed(EXDEV);
    ++size.entries;
    if (S_ISREG(status.st_mode)) {
        size.bytes += status.st_size;
        return 0;
    }
    if (S_ISLNK(status.st_mode))
        return 0;
    if (!S_ISDIR(status.st_mode))
        return failed(EINVAL);
    size.folders.insert({quint64(status.st_dev), quint64(status.st_ino)});
    UniqueFd folder(openat(dir, name.constData(), kOpenFolder));
    if (!folder.isValid())
        return failed(errno);
    QList<QByteArray> names;
    if (const int error = listNames(folder.get(), names))
        return failed(error);
    if (!names.isEmpty() && faccessat(dir, name.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return failed(errno);
    for (const QByteArray &child : std::as_const(names)) {
        if (const int error = measure(folder.get(), child, joined(relative, child), size,
                                      failedPath, &status.st_dev))
            return error;
    }
    return 0;
}

int copyEntry(int fromDir, const QByteArray &fromName, int toDir, const QByteArray &toName,
              const QByteArray &relative, const CopyProgress &progress, QByteArray &failedPath,
              CopiedStates *copied)
{
    auto failed = [&](int error) {
        failedPath = relative;
        return error;
    };
    struct stat status;
    if (fstatat(fromDir, fromName.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return failed(errno);

    if (S_ISREG(status.st_mode)) {
        UniqueFd in(openat(fromDir, fromName.constData(),
                           O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!in.isValid() || fstat(in.get(), &status) != 0)
            return failed(errno);
        if (copied)
            copied->insert(relative, fileStateOf(status));
        UniqueFd out(openat(toDir, toName.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.isValid())
            return failed(errno);
        if (const int error = copyFileContent(in.get(), out.get(), status, progress))
            return failed(error);
        if (const int error = out.close())
            return failed(error);
    } else if (S_ISLNK(status.st_mode)) {
        if (copied)
            copied->insert(relative, fileStateOf(status));
        QByteArray target(qsizetype(status.st_size) + 1, '\0');
        const ssize_t length =
            readlinkat(fromDir, fromName.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return failed(errno);
        target.truncate(length);
        if (symlinkat(target.constData(), toDir, toName.constData()) != 0)
            return failed(errno);
        // As for files (setAttributes()): a file system that keeps owners of its own
        // refuses with EPERM.
        if (geteuid() == 0 &&
            fchownat(toDir, toName.constData(), status.st_uid, status.st_gid,
                     AT_SYMLINK_NOFOLLOW) != 0 &&
            errno != EPERM)
            return failed(errno);
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        if (utimensat(toDir, toName.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return failed(errno);
    } else if (S_ISDIR(status.st_mode)) {
        UniqueFd from(openat(fromDir, fromName.constData(), kOpenFolder));
        if (!from.isValid() || fstat(from.get(), &status) != 0)
            return failed(errno);
        if (copied)
            copied->insert(relative, fileStateOf(status));
        if (mkdirat(toDir, toName.constData(), 0700) != 0)
            return failed(errno);
        UniqueFd to(openat(toDir, toName.constData(), kOpenFolder));
        if (!to.isValid())
            return failed(errno);
        QList<QByteArray> names;
        if (const int error = listNames(from.get(), names))
            return failed(error);
        for (const QByteArray &child : std::as_const(names)) {
            if (const int error = copyEntry(from.get(), child, to.get(), child,
                                            joined(relative, child), progress, failedPath, copied))
                return error;
        }
        // Last, since every entry made inside changed the folder's times.
        if (const int error = setAttributes(to.get(), status))
            return failed(error);
        if (fsync(to.get()) != 0 && errno != EINVAL)
            return failed(errno);
    } else {
        return failed(EINVAL);
    }
    if (progress && !progress(0))
        return failed(ECANCELED);
    return 0;
}

int removeEntry(int dir, const QByteArray &name, const QByteArray &relative, bool forceWritable,
                QByteArray &failedPath)
{
    auto failed = [&](int error) {
        if (failedPath.isEmpty())
            failedPath = relative;
        return error;
    };
    struct stat status;
    if (fstatat(dir, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : failed(errno);
    if (!S_ISDIR(status.st_mode)) {
        if (unlinkat(dir, name.constData(), 0) != 0 && errno != ENOENT)
            return failed(errno);
        return 0;
    }
    int firstError = 0;
    {
        if (forceWritable && fchmodat(dir, name.constData(), 0700, 0) != 0) {
            const int error = errno;
            // A folder that can be emptied as it is needs no other mode.
            if (faccessat(dir, name.constData(), W_OK | X_OK, AT_EACCESS) != 0)
                return failed(error);
        }
        UniqueFd folder(openat(dir, name.constData(), kOpenFolder));
        if (!folder.isValid())
            return failed(errno);
        QList<QByteArray> names;
        if (const int error = listNames(folder.get(), names))
            firstError = failed(error);
        for (const QByteArray &child : std::as_const(names)) {
            const int error = removeEntry(folder.get(), child, joined(relative, child),
                                          forceWritable, failedPath);
            if (error && !firstError)
                firstError = error;
        }
    }
    if (unlinkat(dir, name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT && !firstError)
        firstError = failed(errno);
    return firstError;
}

int removeCopiedEntry(int dir, const QByteArray &name, const QByteArray &relative,
                      const CopiedStates &copied, QList<QByteArray> &kept, QByteArray &failedPath)
{
    auto failed = [&](int error) {
        if (failedPath.isEmpty())
            failedPath = relative;
        return error;
    };
    struct stat status;
    if (fstatat(dir, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : failed(errno);
    const auto read = copied.constFind(relative);
    const FileState now = fileStateOf(status);
    if (read == copied.cend() || read->device != now.device || read->inode != now.inode ||
        (!S_ISDIR(status.st_mode) && *read != now)) {
        kept.append(relative); // new, replaced, or changed since it was read
        return 0;
    }
    if (!S_ISDIR(status.st_mode)) {
        if (unlinkat(dir, name.constData(), 0) != 0 && errno != ENOENT)
            return failed(errno);
        return 0;
    }
    const qsizetype keptBefore = kept.size();
    int firstError = 0;
    {
        UniqueFd folder(openat(dir, name.constData(), kOpenFolder));
        if (!folder.isValid())
            return failed(errno);
        QList<QByteArray> names;
        if (const int error = listNames(folder.get(), names))
            firstError = failed(error);
        for (const QByteArray &child : std::as_const(names)) {
            const int error = removeCopiedEntry(folder.get(), child, joined(relative, child),
                                                copied, kept, failedPath);
            if (error && !firstError)
                firstError = error;
        }
    }
    if (kept.size() > keptBefore || firstError)
        return firstError; // it holds what stays
    if (unlinkat(dir, name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
        if (errno == ENOTEMPTY || errno == EEXIST) {
            kept.append(relative); // something arrived since it was listed
            return 0;
        }
        return failed(errno);
    }
    return 0;
}

} // namespace

int measureTree(int dir, const QByteArray &name, TreeSize &size, QByteArray &failedPath)
{
    return measure(dir, name, name, size, failedPath, nullptr);
}

int copyTree(int fromDir, const QByteArray &fromName, int toDir, const QByteArray &toName,
             const CopyProgress &progress, QByteArray &failedPath, CopiedStates *copied)
{
    return copyEntry(fromDir, fromName, toDir, toName, fromName, progress, failedPath, copied);
}

int removeCopiedTree(int dir, const QByteArray &name, const CopiedStates &copied,
                     QList<QByteArray> &kept, QByteArray &failedPath)
{
    return removeCopiedEntry(dir, name, name, copied, kept, failedPath);
}

int removeTree(int dir, const QByteArray &name, bool forceWritable, QByteArray &failedPath)
{
    return removeEntry(dir, name, name, forceWritable, failedPath);
}

} // namespace platform
