// A library preloaded into a test's child process (LD_PRELOAD) that makes chosen system
// calls fail for real, as a failing disk would. PALVORIC_FAULTS lists them, separated by
// commas: "fdatasync", "fsync" and "rename" (rename, renameat, renameat2) fail with EIO;
// "noreplace" makes renameat2 refuse any flag with EINVAL, as FUSE and NFS mounts do;
// "tmpfile" makes open and openat refuse O_TMPFILE with EOPNOTSUPP, as file systems without
// unnamed files do; "fchmod" and "fchown" refuse with EPERM, as a file system that keeps
// modes or owners of its own does. Each failure it causes is announced on standard error, so that a
// test can prove the call was made and failed. PALVORIC_KILL_AT_UNLINKAT=N kills the process
// (SIGKILL) at its Nth call of unlinkat, before the call: a run killed in the middle of
// removing what it copied. PALVORIC_BUSY_RENAMES=N makes the first N calls of renameat
// fail with EBUSY, as a file server does while the file to be replaced is still open.

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

bool faultWanted(const char *call)
{
    const char *list = std::getenv("PALVORIC_FAULTS");
    if (!list)
        return false;
    const size_t length = std::strlen(call);
    for (const char *p = list; (p = std::strstr(p, call)) != nullptr; p += length) {
        const bool startsItem = p == list || p[-1] == ',';
        const bool endsItem = p[length] == '\0' || p[length] == ',';
        if (startsItem && endsItem)
            return true;
    }
    return false;
}

int injected(const char *call, int error = EIO, const char *errorName = "EIO")
{
    std::fprintf(stderr, "palvoric-faults: %s failed with %s\n", call, errorName);
    errno = error;
    return -1;
}

bool isTmpfile(int flags)
{
    return (flags & O_TMPFILE) == O_TMPFILE;
}

// The mode argument exists only when a file may be created.
mode_t modeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) || isTmpfile(flags) ? mode_t(va_arg(arguments, int)) : 0;
}

template<typename F> F next(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int fdatasync(int fd)
{
    if (faultWanted("fdatasync"))
        return injected("fdatasync");
    static auto real = next<int (*)(int)>("fdatasync");
    return real(fd);
}

int fsync(int fd)
{
    if (faultWanted("fsync"))
        return injected("fsync");
    static auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

int fchmod(int fd, mode_t mode)
{
    if (faultWanted("fchmod"))
        return injected("fchmod", EPERM, "EPERM");
    static auto real = next<int (*)(int, mode_t)>("fchmod");
    return real(fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group)
{
    if (faultWanted("fchown"))
        return injected("fchown", EPERM, "EPERM");
    static auto real = next<int (*)(int, uid_t, gid_t)>("fchown");
    return real(fd, owner, group);
}

int rename(const char *from, const char *to)
{
    if (faultWanted("rename"))
        return injected("rename");
    static auto real = next<int (*)(const char *, const char *)>("rename");
    return real(from, to);
}

int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    if (faultWanted("rename"))
        return injected("renameat");
    static int busyRenames = [] {
        const char *count = std::getenv("PALVORIC_BUSY_RENAMES");
        return count ? std::atoi(count) : 0;
    }();
    if (busyRenames > 0) {
        --busyRenames;
        return injected("renameat", EBUSY, "EBUSY");
    }
    static auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    if (faultWanted("rename"))
        return injected("renameat2");
    if (flags != 0 && faultWanted("noreplace"))
        return injected("renameat2 with flags", EINVAL, "EINVAL");
    static auto real =
        next<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    return real(fromDir, from, toDir, to, flags);
}

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (isTmpfile(flags) && faultWanted("tmpfile"))
        return injected("open with O_TMPFILE", EOPNOTSUPP, "EOPNOTSUPP");
    static auto real = next<int (*)(const char *, int, ...)>("open");
    return real(path, flags, mode);
}

int openat(int dir, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (isTmpfile(flags) && faultWanted("tmpfile"))
        return injected("openat with O_TMPFILE", EOPNOTSUPP, "EOPNOTSUPP");
    static auto real = next<int (*)(int, const char *, int, ...)>("openat");
    return real(dir, path, flags, mode);
}

int unlinkat(int dir, const char *path, int flags)
{
    static int calls = 0;
    if (const char *killAt = std::getenv("PALVORIC_KILL_AT_UNLINKAT")) {
        if (++calls == std::atoi(killAt)) {
            std::fprintf(stderr, "palvoric-faults: killed at unlinkat %d\n", calls);
            std::fflush(stderr);
            ::kill(::getpid(), SIGKILL);
        }
    }
    static auto real = next<int (*)(int, const char *, int)>("unlinkat");
    return real(dir, path, flags);
}

} // extern "C"
