#include "platform/no_replace_rename.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int renameOverPlaceholderFolder(int fromDir, const char *from, int toDir, const char *to)
{
    if (mkdirat(toDir, to, 0700) != 0)
        return errno; // EEXIST: the name is taken
    // A plain rename replaces an empty folder, and only an empty one: should anything have
    // been put into the placeholder meanwhile, it fails with ENOTEMPTY.
    if (renameat(fromDir, from, toDir, to) == 0)
        return 0;
    const int error = errno;
    unlinkat(toDir, to, AT_REMOVEDIR); // our placeholder, still empty
    return error;
}

int linkThenUnlink(int fromDir, const char *from, int toDir, const char *to)
{
    if (linkat(fromDir, from, toDir, to, 0) != 0)
        return errno; // EEXIST: the name is taken
    if (unlinkat(fromDir, from, 0) == 0)
        return 0;
    const int error = errno;
    unlinkat(toDir, to, 0); // the second name we just made
    return error;
}

} // namespace

int renameWithoutReplacing(int fromDir, const QByteArray &fromName, int toDir,
                           const QByteArray &toName)
{
    const char *from = fromName.constData();
    const char *to = toName.constData();
    if (fromName.isEmpty() || toName.isEmpty())
        return ENOENT;
    if (renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // EINVAL: the flag is unknown here, or a folder would go into itself; the fallbacks
    // fail the same way in the second case.
    struct stat status;
    if (fstatat(fromDir, from, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(status.st_mode))
        return renameOverPlaceholderFolder(fromDir, from, toDir, to);
    return linkThenUnlink(fromDir, from, toDir, to);
}

int syncFolder(int dir)
{
    if (fsync(dir) == 0 || errno == EINVAL || errno == EROFS)
        return 0;
    return errno;
}

} // namespace platform
