#include "platform/file_state.h"

#include <sys/stat.h>

namespace platform {

FileState fileStateOf(const struct stat &status)
{
    const auto nanoseconds = [](const timespec &time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
            nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}

} // namespace platform
