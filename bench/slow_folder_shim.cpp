// A start folder as slow as a share over the network, for the typing benchmark: preloaded
// (LD_PRELOAD) into the benchmark, it makes each opening of the folder named by
// PALVORIC_SLOW_FOLDER, and each read of its entries, wait PALVORIC_SLOW_MS milliseconds,
// as a round trip to the server would. It counts the enumerations begun (openings) and
// finished (the read that finds the end), for the benchmark to report. With
// PALVORIC_SLOW_FILES set, each opening of a file inside the folder waits as long (the
// activity logs and their lock file on a share, for the logs benchmark).

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kMaxFd = 4096;
std::atomic<bool> slowFd[kMaxFd];
std::atomic<int> begun{0};
std::atomic<int> finished{0};

bool isSlowFolder(const char *path)
{
    const char *folder = std::getenv("PALVORIC_SLOW_FOLDER");
    if (!folder || !path)
        return false;
    size_t length = std::strlen(folder);
    while (length > 1 && folder[length - 1] == '/')
        --length;
    return std::strncmp(path, folder, length) == 0 &&
           (path[length] == '\0' || (path[length] == '/' && path[length + 1] == '\0'));
}

// A file inside the slow folder, when PALVORIC_SLOW_FILES asks for them.
bool isInSlowFolder(const char *path)
{
    const char *folder = std::getenv("PALVORIC_SLOW_FOLDER");
    if (!folder || !path || !std::getenv("PALVORIC_SLOW_FILES"))
        return false;
    size_t length = std::strlen(folder);
    while (length > 1 && folder[length - 1] == '/')
        --length;
    return std::strncmp(path, folder, length) == 0 && path[length] == '/' &&
           path[length + 1] != '\0';
}

void wait()
{
    const char *delay = std::getenv("PALVORIC_SLOW_MS");
    const long ms = delay ? std::atol(delay) : 0;
    timespec duration{ms / 1000, (ms % 1000) * 1000000};
    while (nanosleep(&duration, &duration) != 0 && errno == EINTR) {
    }
}

int opened(int fd, const char *path)
{
    if (fd >= 0 && fd < kMaxFd && isSlowFolder(path)) {
        wait();
        slowFd[fd] = true;
        ++begun;
    } else if (fd >= 0 && isInSlowFolder(path)) {
        wait();
    }
    return fd;
}

template<typename F> F next(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

mode_t modeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(arguments, int))
                                                                 : 0;
}

} // namespace

extern "C" {

void palvoricSlowFolderCounts(int *enumerationsBegun, int *enumerationsFinished)
{
    *enumerationsBegun = begun;
    *enumerationsFinished = finished;
}

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    static auto real = next<int (*)(const char *, int, ...)>("open");
    return opened(real(path, flags, mode), path);
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    static auto real = next<int (*)(const char *, int, ...)>("open64");
    return opened(real(path, flags, mode), path);
}

ssize_t getdents64(int fd, void *buffer, size_t size)
{
    static auto real = next<ssize_t (*)(int, void *, size_t)>("getdents64");
    const bool slow = fd >= 0 && fd < kMaxFd && slowFd[fd];
    if (slow)
        wait();
    const ssize_t got = real(fd, buffer, size);
    if (slow && got == 0)
        ++finished;
    return got;
}

int close(int fd)
{
    if (fd >= 0 && fd < kMaxFd)
        slowFd[fd] = false;
    static auto real = next<int (*)(int)>("close");
    return real(fd);
}

} // extern "C"
