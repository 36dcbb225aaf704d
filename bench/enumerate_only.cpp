// palvoric-enumerate FOLDER
//
// The whole-process floor the peers (ls | grep, find) are compared with: a program that
// starts, enumerates the folder with getdents64, counts the names and ends. No Qt.

#include <cerrno>
#include <cstdio>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 1;
    const int fd = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 1;
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
    std::printf("%ld\n", count);
    return 0;
}
