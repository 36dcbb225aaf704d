#include "platform/trusted_links.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// As many as the kernel follows in one path.
constexpr int kMostLinks = 40;

} // namespace

std::optional<QByteArray> resolveTrustedLinks(const QByteArray &path, int *error)
{
    QByteArray current = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat status;
        if (lstat(current.constData(), &status) != 0) {
            // Nothing at the end of the links: a write replaces the link itself.
            return hops > 0 && errno == ENOENT ? path : current;
        }
        if (!S_ISLNK(status.st_mode))
            return current;
        if (status.st_uid != geteuid() && status.st_uid != 0) {
            *error = kUntrustedLinkError;
            return std::nullopt;
        }
        char target[PATH_MAX];
        const ssize_t size = readlink(current.constData(), target, sizeof target);
        if (size < 0 || size == ssize_t(sizeof target)) {
            *error = size < 0 ? errno : ENAMETOOLONG;
            return std::nullopt;
        }
        const QByteArray next(target, size);
        if (next.startsWith('/')) {
            current = next;
        } else {
            // Relative to the folder that holds the link.
            current.truncate(current.lastIndexOf('/') + 1);
            current += next;
        }
    }
    *error = ELOOP;
    return std::nullopt;
}

QString systemErrorString(int error)
{
    return qt_error_string(error == kUntrustedLinkError ? EACCES : error);
}

} // namespace platform
