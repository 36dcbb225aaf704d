// A library preloaded into a test's child process (LD_PRELOAD) that makes chosen system
// calls fail for real, as a failing disk would. PALVORIC_FAULTS lists them, separated by
// commas: "fdatasync", "fsync" and "rename" (rename, renameat, renameat2) fail with EIO.
// Each failure it causes is announced on standard error, so that a test can prove the
// call was made and failed.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

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

int injected(const char *call)
{
    std::fprintf(stderr, "palvoric-faults: %s failed with EIO\n", call);
    errno = EIO;
    return -1;
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
    static auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    if (faultWanted("rename"))
        return injected("renameat2");
    static auto real =
        next<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    return real(fromDir, from, toDir, to, flags);
}

} // extern "C"
