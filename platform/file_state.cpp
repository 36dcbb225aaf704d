#include "platform/file_state.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace platform {

FileState fileStateOf(const struct stat &status)
{
    const auto nanoseconds = [](const timespec &time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
            nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}

int freshStat(int fd, struct stat *status)
{
    struct statx fresh = {};
    if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS, &fresh) != 0) {
        if (errno != ENOSYS && errno != EINVAL)
            return errno;
        return fstat(fd, status) == 0 ? 0 : errno;
    }
    // The fields the program reads, from the answer that reached the server.
    if (fstat(fd, status) != 0)
        return errno;
    status->st_dev = makedev(fresh.stx_dev_major, fresh.stx_dev_minor);
    status->st_ino = ino_t(fresh.stx_ino);
    status->st_mode = mode_t(fresh.stx_mode);
    status->st_nlink = nlink_t(fresh.stx_nlink);
    status->st_uid = uid_t(fresh.stx_uid);
    status->st_gid = gid_t(fresh.stx_gid);
    status->st_size = off_t(fresh.stx_size);
    status->st_mtim = {time_t(fresh.stx_mtime.tv_sec), long(fresh.stx_mtime.tv_nsec)};
    status->st_ctim = {time_t(fresh.stx_ctime.tv_sec), long(fresh.stx_ctime.tv_nsec)};
    return 0;
}

} // namespace platform
