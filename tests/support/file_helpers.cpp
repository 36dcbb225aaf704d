#include "tests/support/file_helpers.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

QByteArray readNativeBytes(const QByteArray &nativePath)
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

bool nativePathExists(const QByteArray &nativePath)
{
    struct stat status;
    return ::lstat(nativePath.constData(), &status) == 0;
}

bool writeFileBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}
