#include "tests/support/file_helpers.h"

#include "platform/native_names.h"

#include <QFile>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::decodeFileName;
using platform::encodePath;

QByteArray readFileBytes(const QString &path)
{
    return readFileBytes(encodePath(path));
}

QByteArray readFileBytes(const QByteArray &nativePath)
{
    QByteArray data;
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArrayLiteral("<missing>");
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, got);
    ::close(fd);
    return data;
}

bool writeFileBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool entryExists(const QString &path)
{
    return entryExists(encodePath(path));
}

bool entryExists(const QByteArray &nativePath)
{
    struct stat status;
    return !nativePath.isEmpty() && ::lstat(nativePath.constData(), &status) == 0;
}

QStringList entriesOf(const QString &folder)
{
    QStringList names;
    for (const QByteArray &name : entriesOf(encodePath(folder)))
        names.append(decodeFileName(name));
    return names;
}

QList<QByteArray> entriesOf(const QByteArray &nativeFolder)
{
    QList<QByteArray> names;
    DIR *dir = nativeFolder.isEmpty() ? nullptr : ::opendir(nativeFolder.constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}
