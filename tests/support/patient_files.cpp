#include "tests/support/patient_files.h"

#include "platform/native_names.h"

#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::encodePath;

QByteArray patternBytes(char seed, int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i % 53);
    return data;
}

bool writeNativeFile(const QString &path, const QByteArray &content, unsigned mode, qint64 modified)
{
    const QByteArray native = encodePath(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, content.constData(), size_t(content.size())) == ssize_t(content.size());
    if (::close(fd) != 0 || !written)
        return false;
    const struct timespec times[2] = {{modified, 0}, {modified, 123456789}};
    return ::chmod(native.constData(), mode) == 0 &&
           ::utimensat(AT_FDCWD, native.constData(), times, 0) == 0;
}

bool setNativeTime(const QString &path, qint64 modified)
{
    const struct timespec times[2] = {{modified, 0}, {modified, 0}};
    return ::utimensat(AT_FDCWD, encodePath(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

QString outcomeText(const platform::MoveResult &result)
{
    return QStringLiteral("outcome %1, reason %2, error %3, entry \"%4\"")
        .arg(int(result.outcome))
        .arg(int(result.reason))
        .arg(result.error)
        .arg(result.entry);
}

bool fillPatientFolder(const QString &folder, int pictureBytes)
{
    const QString pictures = folder + QStringLiteral("/radios");
    return QDir().mkpath(pictures) && QDir().mkpath(folder + QStringLiteral("/vide")) &&
           writeNativeFile(folder + QStringLiteral("/compte-rendu.txt"),
                           "Consultation du 03/02/2022\r\n", 0640, 1600000000) &&
           writeNativeFile(pictures + QStringLiteral("/thorax.jpg"),
                           patternBytes('t', pictureBytes), 0600, 1600000100) &&
           ::symlink("compte-rendu.txt",
                     encodePath(folder + QStringLiteral("/dernier")).constData()) == 0 &&
           ::chmod(encodePath(pictures).constData(), 0750) == 0 &&
           setNativeTime(pictures, 1600000200) &&
           setNativeTime(folder + QStringLiteral("/vide"), 1600000300) &&
           setNativeTime(folder, 1600000400);
}
