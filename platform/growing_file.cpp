#include "platform/growing_file.h"

#include "platform/native_names.h"
#include "platform/trusted_links.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// 0, or the error of the first write that failed or wrote nothing.
int writeAllAt(int fd, QByteArrayView data, off_t offset)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::pwrite(fd, p, size_t(qMin<qsizetype>(left, 1 << 30)), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        p += written;
        left -= written;
        offset += written;
    }
    return 0;
}

} // namespace

std::optional<GrowingFile> GrowingFile::open(const QString &path)
{
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty())
        return std::nullopt;
    int linkError = 0;
    const std::optional<QByteArray> target = resolveTrustedLinks(encoded, &linkError);
    if (!target)
        return std::nullopt;
    // O_NONBLOCK: a pipe put in the file's place must not block the opening.
    UniqueFd fd(::open(target->constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.isValid())
        return std::nullopt;
    struct stat status;
    if (freshStat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        (status.st_mode & 0222) == 0)
        return std::nullopt;
    return GrowingFile(std::move(fd), fileStateOf(status));
}

std::optional<QByteArray> GrowingFile::readFrom(qint64 offset) const
{
    if (offset < 0 || offset > m_state.size)
        return std::nullopt;
    QByteArray bytes(qsizetype(m_state.size - offset), Qt::Uninitialized);
    qsizetype used = 0;
    while (used < bytes.size()) {
        const ssize_t got =
            ::pread(m_fd.get(), bytes.data() + used, size_t(bytes.size() - used), offset + used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            break; // cut short since the opening: read what is there
        used += got;
    }
    bytes.truncate(used);
    return bytes;
}

bool GrowingFile::append(QByteArrayView data, QString *errorText)
{
    const off_t end = off_t(m_state.size);
    int error = writeAllAt(m_fd.get(), data, end);
    if (error == 0 && fdatasync(m_fd.get()) != 0)
        error = errno;
    struct stat status;
    if (error == 0)
        error = freshStat(m_fd.get(), &status);
    if (error == 0) {
        // On a share the bytes must have gone where the server's end was: a size other
        // than the one expected means another writer got in, and cutting the file back
        // would cut its entry. It is reported, never repaired blindly.
        if (status.st_size != end + data.size() || !holdsAt(end, data)) {
            if (errorText)
                *errorText = qt_error_string(EIO);
            return false;
        }
        m_state = fileStateOf(status);
        return true;
    }
    // Whatever part of data reached the file goes, so that it holds what it held.
    if (ftruncate(m_fd.get(), end) == 0)
        (void)fdatasync(m_fd.get());
    if (errorText)
        *errorText = qt_error_string(error);
    return false;
}

bool GrowingFile::holdsAt(qint64 offset, QByteArrayView data) const
{
    QByteArray bytes(data.size(), Qt::Uninitialized);
    qsizetype used = 0;
    while (used < bytes.size()) {
        const ssize_t got =
            ::pread(m_fd.get(), bytes.data() + used, size_t(bytes.size() - used), offset + used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        used += got;
    }
    return bytes == data;
}

} // namespace platform
