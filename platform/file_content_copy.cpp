#include "platform/file_content_copy.h"

#include <QByteArray>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype kChunk = 1024 * 1024;

int writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

} // namespace

int copyFileContent(int from, int to, const struct stat &status, const CopyProgress &progress)
{
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), size_t(buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        if (const int error = writeAll(to, buffer.constData(), got))
            return error;
        if (progress && !progress(got))
            return ECANCELED;
    }
    // The owner first: changing it clears the set-user-id bits that the mode then restores.
    if (geteuid() == 0 && fchown(to, status.st_uid, status.st_gid) != 0 && errno != EPERM)
        return errno;
    if (fchmod(to, status.st_mode & 07777) != 0 && errno != EPERM)
        return errno;
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (futimens(to, times) != 0)
        return errno;
    if (fsync(to) != 0)
        return errno;
    return 0;
}

} // namespace platform
