#include "bench/floor_enumeration.h"

#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

long countFolderEntries(const char *nativeFolder)
{
    const int fd = ::open(nativeFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    constexpr size_t bufferSize = 64 * 1024;
    const std::unique_ptr<char[]> buffer(new char[bufferSize]);
    long count = 0;
    for (;;) {
        const ssize_t filled = ::getdents64(fd, buffer.get(), bufferSize);
        if (filled < 0 && errno == EINTR)
            continue;
        if (filled <= 0)
            break;
        for (ssize_t offset = 0; offset < filled; ++count)
            offset += reinterpret_cast<const dirent64 *>(buffer.get() + offset)->d_reclen;
    }
    ::close(fd);
    return count;
}
