#include "tests/support/small_tmpfs.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

SmallTmpfs::SmallTmpfs(qint64 sizeBytes)
{
    if (geteuid() != 0) {
        m_skipReason = QStringLiteral("mounting a tmpfs needs root");
        return;
    }
    if (!m_dir.isValid()) {
        m_skipReason = QStringLiteral("no temporary folder");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(sizeBytes);
    if (mount("palvoric-test", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
              options.constData()) != 0) {
        m_skipReason =
            QStringLiteral("mount -t tmpfs failed: %1").arg(QString::fromUtf8(strerror(errno)));
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (m_mounted)
        umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

qint64 SmallTmpfs::freeBytes() const
{
    struct statvfs status;
    if (statvfs(QFile::encodeName(m_dir.path()).constData(), &status) != 0)
        return -1;
    return qint64(status.f_bavail) * qint64(status.f_frsize);
}

bool SmallTmpfs::fillUpTo(qint64 leaveFree)
{
    QFile filler(m_dir.path() + QStringLiteral("/filler.bin"));
    if (!filler.open(QIODevice::Append))
        return false;
    // Page by page: tmpfs counts whole pages.
    const QByteArray page(4096, 'f');
    while (freeBytes() > leaveFree) {
        if (filler.write(page) != page.size() || !filler.flush())
            break;
    }
    filler.close();
    return freeBytes() <= leaveFree;
}

bool SmallTmpfs::remountReadOnly()
{
    return mount("palvoric-test", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                 MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
