#include "platform/file_contents.h"

#include "platform/atomic_file.h"
#include "platform/file_state.h"
#include "platform/native_names.h"
#include "platform/trusted_links.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

ReadStatus failed(QString *errorText, int *errorOut, int error)
{
    if (errorText)
        *errorText = systemErrorString(error);
    if (errorOut)
        *errorOut = error;
    return ReadStatus::Failed;
}

// Whether the folder of path holds a temporary file of a save (platform/atomic_file.h).
bool saveInProgressBeside(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QByteArray folder = encodePath(slash <= 0 ? QStringLiteral("/") : path.left(slash));
    DIR *listing = folder.isEmpty() ? nullptr : opendir(folder.constData());
    if (!listing)
        return false;
    bool found = false;
    while (const dirent *entry = readdir(listing)) {
        if (isAtomicTemporaryName(
                QString::fromLatin1(entry->d_name, qstrnlen(entry->d_name, 20)))) {
            found = true;
            break;
        }
    }
    closedir(listing);
    return found;
}

} // namespace

ReadStatus readFileContentsSettled(const QString &path, QByteArray *data, QString *errorText,
                                   int *errorOut)
{
    constexpr int kChecks = 50;
    for (int check = 1;; ++check) {
        int error = 0;
        const ReadStatus status = readFileContents(path, data, errorText, &error);
        if (errorOut)
            *errorOut = error;
        // A client may answer EIO or EBUSY while another workstation still closes the
        // file: it clears by itself.
        const bool mayClear = status == ReadStatus::Missing
                                  ? saveInProgressBeside(path)
                                  : status == ReadStatus::Failed &&
                                        (error == EIO || error == EBUSY || error == ETXTBSY);
        if (check == kChecks || !mayClear)
            return status;
        const timespec pause{0, 20'000'000};
        nanosleep(&pause, nullptr);
    }
}

ReadStatus readFileContents(const QString &path, QByteArray *data, QString *errorText,
                            int *errorOut)
{
    data->clear();
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty())
        return ReadStatus::Missing;
    int linkError = 0;
    const std::optional<QByteArray> target = resolveTrustedLinks(encoded, &linkError);
    if (!target)
        return failed(errorText, errorOut, linkError);
    struct stat linkStatus;
    if (lstat(target->constData(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode))
        return ReadStatus::Missing; // a link that leads nowhere
    // O_NONBLOCK: opening a pipe must not wait for a writer. O_NOFOLLOW: a link put there
    // since the check is not followed.
    const int fd = ::open(target->constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return ReadStatus::Missing;
        return failed(errorText, errorOut, errno);
    }
    struct stat status;
    if (const int error = freshStat(fd, &status)) {
        ::close(fd);
        return failed(errorText, errorOut, error);
    }
    if (S_ISDIR(status.st_mode)) {
        ::close(fd);
        return ReadStatus::Missing;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return failed(errorText, errorOut, EINVAL);
    }
    // Back to blocking reads: a regular file never waits anyway.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (status.st_size > 0)
        data->reserve(status.st_size);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            data->clear();
            return failed(errorText, errorOut, error);
        }
        if (got == 0)
            break;
        data->append(buffer, got);
    }
    ::close(fd);
    return ReadStatus::Ok;
}

} // namespace platform
