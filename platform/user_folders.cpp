#include "platform/user_folders.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform {

bool isWritableFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    if (native.isEmpty() || ::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    // The effective rights, as a file created there would meet them; a read-only mount
    // answers EROFS, even to root.
    return ::faccessat(AT_FDCWD, native.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

QString homeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (home.startsWith(QLatin1Char('/')))
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry;
    struct passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return QFile::decodeName(found->pw_dir);
    return QStringLiteral("/");
}

int makePrivateFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (!native.startsWith('/'))
        return EINVAL;
    // Each step from the root: "/home", "/home/marie", ... up to the whole path.
    qsizetype end = 0;
    while (end < native.size()) {
        end = native.indexOf('/', end + 1);
        if (end < 0)
            end = native.size();
        const QByteArray step = native.left(end);
        if (step.endsWith('/'))
            continue; // a doubled or final "/"
        if (::mkdir(step.constData(), 0700) == 0)
            continue;
        const int error = errno;
        // There already: a folder (or a link to one) is fine, anything else is not.
        struct stat info;
        if (::stat(step.constData(), &info) != 0)
            return error == EEXIST ? errno : error;
        if (!S_ISDIR(info.st_mode))
            return ENOTDIR;
    }
    return 0;
}

} // namespace platform
