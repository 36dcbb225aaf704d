#include "platform/trash.h"

#include "platform/native_names.h"

#include <QDateTime>
#include <QDir>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Names tried in files/ before giving up: "name", "name.2" ... "name.1000".
constexpr int kMaxNameAttempts = 1000;
// Longest file name of the common file systems.
constexpr qsizetype kNameMax = 255;
const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");

struct Fd
{
    int fd = -1;
    Fd() = default;
    explicit Fd(int value) : fd(value) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isOpen() const { return fd >= 0; }
};

TrashOutcome outcome(TrashOutcome::Status status, int error)
{
    TrashOutcome result;
    result.status = status;
    result.error = error;
    return result;
}

// Makes the rename or the new file durable. File systems that cannot sync a folder say
// EINVAL and have nothing to sync.
void syncFolder(int fd)
{
    (void)::fsync(fd);
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

// The device of path, or of its nearest existing ancestor when it is not there yet.
bool deviceOfNearest(QByteArray path, dev_t *device)
{
    for (int depth = 0; depth < PATH_MAX; ++depth) {
        struct stat status;
        if (::stat(path.constData(), &status) == 0) {
            *device = status.st_dev;
            return true;
        }
        if (errno != ENOENT || path == "/")
            return false;
        path = parentOf(path);
    }
    return false;
}

// Creates a folder and the missing folders above it, each readable by its owner alone
// as the trash asks; an existing folder is fine.
bool makeFolders(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT)
        return false;
    if (path != "/" && !makeFolders(parentOf(path)))
        return false;
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return true;
}

// A folder of the trash inside parent: created when missing; it must be a real folder
// (not a link to one) owned by this user.
bool ownFolder(int parentFd, const char *name, uid_t uid)
{
    if (::mkdirat(parentFd, name, 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status;
    if (::fstatat(parentFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    if (status.st_uid != uid) {
        errno = EACCES;
        return false;
    }
    return true;
}

// The trash at the top of another file system, "$topdir/.Trash/$uid" or "$topdir/.Trash-$uid";
// empty with errno set when neither can be used.
QByteArray volumeTrash(const QByteArray &topdir, uid_t uid)
{
    const QByteArray uidName = QByteArray::number(uid);
    Fd top(::open(topdir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.isOpen())
        return {};

    // $topdir/.Trash/$uid, only under a real, sticky .Trash set up by the administrator.
    struct stat shared;
    if (::fstatat(top.fd, ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        Fd sharedFd(::openat(top.fd, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (sharedFd.isOpen() && ownFolder(sharedFd.fd, uidName.constData(), uid))
            return topdir + "/.Trash/" + uidName;
    }

    // $topdir/.Trash-$uid
    const QByteArray own = ".Trash-" + uidName;
    if (!ownFolder(top.fd, own.constData(), uid))
        return {};
    return joined(topdir, own);
}

// The highest folder above the entry that is still on its file system.
QByteArray topDirectory(const QByteArray &canonicalParent, dev_t device)
{
    QByteArray current = canonicalParent;
    while (current != "/") {
        const QByteArray up = parentOf(current);
        struct stat status;
        if (::stat(up.constData(), &status) != 0 || status.st_dev != device)
            break;
        current = up;
    }
    return current;
}

// name, or name cut at a character boundary, with ".N" for the Nth attempt, short enough
// that its .trashinfo name fits in a file name.
QByteArray candidateName(const QByteArray &name, int attempt)
{
    const QByteArray suffix = attempt == 0 ? QByteArray() : '.' + QByteArray::number(attempt + 1);
    const qsizetype room = kNameMax - kInfoSuffix.size() - suffix.size();
    QByteArray base = name;
    if (base.size() > room) {
        qsizetype cut = room;
        // Not inside a UTF-8 sequence: step back over continuation bytes.
        while (cut > 0 && (uchar(base.at(cut)) & 0xC0) == 0x80)
            --cut;
        base.truncate(cut > 0 ? cut : room);
    }
    return base + suffix;
}

QByteArray infoText(const QByteArray &pathText)
{
    const QString date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    return "[Trash Info]\nPath=" + pathText + "\nDeletionDate=" + date.toLatin1() + '\n';
}

} // namespace

QString homeTrashFolder()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (!dataHome.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            home = encodePath(QDir::homePath());
        dataHome = joined(home, QByteArrayLiteral(".local/share"));
    }
    return decodeFileName(joined(dataHome, QByteArrayLiteral("Trash")));
}

QByteArray trashInfoPathText(QByteArrayView path)
{
    // RFC 2396 leaves its "mark" characters unescaped as well.
    return QByteArray(path.data(), path.size()).toPercentEncoding("/!*'()");
}

TrashOutcome moveToTrash(const QString &path)
{
    using Status = TrashOutcome::Status;

    QByteArray item = encodePath(path);
    if (item.isEmpty())
        return outcome(Status::NotFound, ENOENT);
    while (item.size() > 1 && item.endsWith('/'))
        item.chop(1);
    if (!item.startsWith('/')) {
        char *cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            return outcome(Status::Failed, errno);
        item = joined(QByteArray(cwd), item);
        ::free(cwd);
    }
    const QByteArray name = item.mid(item.lastIndexOf('/') + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return outcome(Status::Failed, EINVAL);

    Fd parent(::open(parentOf(item).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.isOpen())
        return outcome(errno == ENOENT ? Status::NotFound : Status::Failed, errno);
    struct stat entry, parentStatus;
    if (::fstatat(parent.fd, name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return outcome(errno == ENOENT ? Status::NotFound : Status::Failed, errno);
    if (::fstat(parent.fd, &parentStatus) != 0)
        return outcome(Status::Failed, errno);
    // A file system mounted on the entry cannot leave its place.
    if (entry.st_dev != parentStatus.st_dev)
        return outcome(Status::Failed, EBUSY);

    char *resolved = ::realpath(parentOf(item).constData(), nullptr);
    if (!resolved)
        return outcome(Status::Failed, errno);
    const QByteArray canonicalParent(resolved);
    ::free(resolved);
    const QByteArray original = joined(canonicalParent, name);

    // Which trash, and the entry's path as its .trashinfo records it.
    const uid_t uid = ::geteuid();
    const QByteArray home = encodePath(homeTrashFolder());
    dev_t homeDevice = 0;
    QByteArray trash;
    QByteArray pathText;
    if (!home.isEmpty() && deviceOfNearest(home, &homeDevice) && homeDevice == entry.st_dev) {
        if (!makeFolders(home))
            return outcome(Status::Failed, errno);
        trash = home;
        pathText = trashInfoPathText(original);
    } else {
        const QByteArray topdir = topDirectory(canonicalParent, entry.st_dev);
        trash = volumeTrash(topdir, uid);
        if (trash.isEmpty())
            return outcome(Status::NoTrash, errno);
        // Relative to the top of its file system, so that the volume can be mounted
        // elsewhere and still be restored.
        pathText =
            trashInfoPathText(topdir == "/" ? original.mid(1) : original.mid(topdir.size() + 1));
    }

    TrashOutcome result = outcome(Status::Failed, 0);
    result.trashFolder = decodeFileName(trash);
    Fd trashFd(::open(trash.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!trashFd.isOpen()) {
        result.error = errno;
        return result;
    }
    for (const char *sub : {"files", "info"}) {
        if (::mkdirat(trashFd.fd, sub, 0700) != 0 && errno != EEXIST) {
            result.error = errno;
            return result;
        }
    }
    Fd files(::openat(trashFd.fd, "files", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Fd info(::openat(trashFd.fd, "info", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!files.isOpen() || !info.isOpen()) {
        result.error = errno;
        return result;
    }

    const QByteArray text = infoText(pathText);
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const QByteArray trashed = candidateName(name, attempt);
        const QByteArray infoName = trashed + kInfoSuffix;
        struct stat taken;
        if (::fstatat(files.fd, trashed.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        // The .trashinfo first, created only if no other has the name: it reserves the
        // name in files/ as well.
        Fd infoFile(::openat(info.fd, infoName.constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!infoFile.isOpen()) {
            if (errno == EEXIST)
                continue;
            result.error = errno;
            return result;
        }
        const bool written = writeAll(infoFile.fd, text) && ::fsync(infoFile.fd) == 0;
        int error = errno;
        const bool closed = ::close(infoFile.fd) == 0;
        infoFile.fd = -1;
        if (written && !closed)
            error = errno;
        auto abandon = [&](int cause) {
            ::unlinkat(info.fd, infoName.constData(), 0);
            syncFolder(info.fd);
            result.error = cause;
            return result;
        };
        if (!written || !closed)
            return abandon(error);
        syncFolder(info.fd);

        // Never replaces: a name taken meanwhile makes this fail with EEXIST.
        if (::renameat2(parent.fd, name.constData(), files.fd, trashed.constData(),
                        RENAME_NOREPLACE) == 0) {
            syncFolder(files.fd);
            syncFolder(parent.fd);
            result.status = Status::Trashed;
            result.error = 0;
            result.trashedName = decodeFileName(trashed);
            return result;
        }
        error = errno;
        abandon(error);
        if (error == EEXIST)
            continue;
        // The trash is on another file system after all (a linked folder): no copy.
        if (error == EXDEV)
            result.status = Status::NoTrash;
        return result;
    }
    result.error = EEXIST;
    return result;
}

} // namespace platform
