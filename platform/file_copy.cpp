#include "platform/file_copy.h"

#include "platform/file_content_copy.h"
#include "platform/move_records.h"
#include "platform/native_names.h"
#include "platform/no_replace_rename.h"
#include "platform/unique_fd.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool fail(int *error, int cause)
{
    if (error)
        *error = cause;
    return false;
}

// A path split into its folder and its last name; an empty name when there is none.
struct SplitPath
{
    QByteArray folder;
    QByteArray name;
};

SplitPath splitPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArrayLiteral("."), path};
    return {slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

// Unnamed files need a recent kernel and a file system that has them.
bool tmpfileUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Gives the unnamed file fd the name in dir; fails when the name exists.
int linkUnnamed(int fd, int dir, const QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (linkat(AT_FDCWD, self.constData(), dir, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
    // Without /proc only a privileged process can name an open file.
    if (linkat(fd, "", dir, name.constData(), AT_EMPTY_PATH) == 0)
        return 0;
    return errno;
}

} // namespace

bool copyOneFile(const QString &source, const QString &destination, int *error, CopiedFile *copied,
                 const CopyProgress &progress)
{
    const QByteArray from = encodePath(source);
    const QByteArray to = encodePath(destination);
    if (from.isEmpty() || to.isEmpty())
        return fail(error, ENOENT);
    const SplitPath target = splitPath(to);
    if (target.name.isEmpty() || target.name == "." || target.name == "..")
        return fail(error, EINVAL);

    struct stat entry;
    if (lstat(from.constData(), &entry) != 0)
        return fail(error, errno);
    // Non-blocking, so that a named pipe cannot hold the window; the copy itself blocks.
    UniqueFd in(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!in.isValid())
        return fail(error, errno);
    struct stat status;
    if (fstat(in.get(), &status) != 0)
        return fail(error, errno);
    if (copied)
        *copied = {fileStateOf(entry), fileStateOf(status)};
    if (S_ISDIR(status.st_mode))
        return fail(error, EISDIR);
    if (!S_ISREG(status.st_mode))
        return fail(error, EINVAL);
    fcntl(in.get(), F_SETFL, fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    UniqueFd dir(::open(target.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isValid())
        return fail(error, errno);
    // Refused before any byte is copied; the publishing link checks again.
    struct stat existing;
    if (fstatat(dir.get(), target.name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return fail(error, EEXIST);
    if (errno != ENOENT)
        return fail(error, errno);

    QByteArray temporaryName; // empty while the file is unnamed
    UniqueFd out(::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!out.isValid()) {
        if (!tmpfileUnsupported(errno))
            return fail(error, errno);
        for (int attempt = 0; attempt < 100 && !out.isValid(); ++attempt) {
            temporaryName = kCopyTemporaryPrefix + QByteArray::number(getpid()) + '-' +
                            QByteArray::number(QRandomGenerator::global()->generate(), 16) + '-' +
                            thisHostName();
            out.reset(::openat(dir.get(), temporaryName.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (!out.isValid() && errno != EEXIST)
                return fail(error, errno);
        }
        if (!out.isValid())
            return fail(error, EEXIST);
    }
    auto abandon = [&](int cause) {
        out.reset();
        if (!temporaryName.isEmpty())
            unlinkat(dir.get(), temporaryName.constData(), 0);
        return fail(error, cause);
    };

    if (const int cause = copyFileContent(in.get(), out.get(), status, progress))
        return abandon(cause);
    if (temporaryName.isEmpty()) {
        if (const int cause = linkUnnamed(out.get(), dir.get(), target.name))
            return abandon(cause);
        out.reset(); // synced already: what close could report has been checked
    } else {
        if (const int cause = out.close())
            return abandon(cause);
        if (const int cause =
                renameWithoutReplacing(dir.get(), temporaryName, dir.get(), target.name))
            return abandon(cause);
    }
    // Without the folder's sync the new name could vanish in a crash after the original
    // is deleted; the copy is then reported as failed and the original stays.
    if (const int cause = syncFolder(dir.get()))
        return fail(error, cause);
    return true;
}

int removeLeftoverCopies(const QString &folder)
{
    const QByteArray native = encodePath(folder);
    UniqueFd dir(native.isEmpty() ? -1
                                  : ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isValid())
        return 0;
    const QByteArray prefix(kCopyTemporaryPrefix);
    const QByteArray host = thisHostName();
    QList<QByteArray> leftovers;
    if (DIR *listing = fdopendir(::dup(dir.get()))) {
        while (const dirent *entry = readdir(listing)) {
            const QByteArray name(entry->d_name);
            if (!name.startsWith(prefix))
                continue;
            // <pid>-<random>-<host>
            const QList<QByteArray> parts = name.mid(prefix.size()).split('-');
            bool isNumber = false;
            const qint64 pid = parts.value(0).toLongLong(&isNumber);
            if (parts.size() >= 3 && isNumber && name.endsWith(QByteArray('-' + host)) &&
                !processMayRun(pid))
                leftovers.append(name);
        }
        closedir(listing);
    }
    int removed = 0;
    for (const QByteArray &name : std::as_const(leftovers)) {
        struct stat status;
        if (fstatat(dir.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && unlinkat(dir.get(), name.constData(), 0) == 0)
            ++removed;
    }
    if (removed > 0)
        syncFolder(dir.get());
    return removed;
}

int deleteCopiedFile(const QString &path, const CopiedFile &copied)
{
    const QByteArray native = encodePath(path);
    if (native.isEmpty())
        return ENOENT;
    struct stat entry;
    struct stat content;
    if (lstat(native.constData(), &entry) != 0 || stat(native.constData(), &content) != 0)
        return errno == ENOENT ? ESTALE : errno;
    if (fileStateOf(entry) != copied.entry || fileStateOf(content) != copied.content)
        return ESTALE;
    return ::unlink(native.constData()) == 0 ? 0 : errno;
}

} // namespace platform
