#include "tests/support/windows_disk_image.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr qint64 kImageSize = 8 * 1024 * 1024;

// ntfs-3g's view of an entry's attributes, the bytes in big-endian order whatever the
// machine.
constexpr char kNtfsAttributes[] = "system.ntfs_attrib_be";

QString findTool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                           QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

// Runs a tool to its end: an empty text when it succeeded, else what went wrong.
QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        return QStringLiteral("%1 did not finish").arg(QFileInfo(program).fileName());
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    const QString said = QString::fromLocal8Bit(process.readAll()).simplified();
    return QStringLiteral("%1 failed (%2): %3")
        .arg(QFileInfo(program).fileName())
        .arg(process.exitCode())
        .arg(said.right(300));
}

bool addNtfsAttributes(const QByteArray &path, quint32 bits)
{
    uchar value[4];
    if (lgetxattr(path.constData(), kNtfsAttributes, value, sizeof value) != sizeof value)
        return false;
    qToBigEndian(qFromBigEndian<quint32>(value) | bits, value);
    return lsetxattr(path.constData(), kNtfsAttributes, value, sizeof value, 0) == 0;
}

bool addFatAttributes(const QByteArray &path, quint32 bits)
{
    const int fd = open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    __u32 attributes = 0;
    bool done = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0;
    if (done) {
        attributes |= bits;
        done = ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &attributes) == 0;
    }
    close(fd);
    return done;
}

} // namespace

WindowsDiskImage::WindowsDiskImage(Format format) : m_format(format)
{
    m_mounted = mount();
    if (!m_mounted)
        qWarning("%s image not used: %s", m_format == Format::Ntfs ? "NTFS" : "FAT",
                 qPrintable(m_skipReason));
}

QString WindowsDiskImage::path() const
{
    return m_dir.path() + QStringLiteral("/mount");
}

bool WindowsDiskImage::mount()
{
    if (geteuid() != 0) {
        m_skipReason = QStringLiteral("mounting a disk image needs root");
        return false;
    }
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkdir(QStringLiteral("mount"))) {
        m_skipReason = QStringLiteral("no temporary folder");
        return false;
    }
    const QString image = m_dir.path() + QStringLiteral("/disk.img");
    QFile imageFile(image);
    if (!imageFile.open(QIODevice::WriteOnly) || !imageFile.resize(kImageSize)) {
        m_skipReason = QStringLiteral("cannot make the image file");
        return false;
    }
    imageFile.close();

    if (m_format == Format::Ntfs) {
        const QString mkntfs = findTool("mkntfs");
        const QString ntfs3g = findTool("ntfs-3g");
        if (mkntfs.isEmpty() || ntfs3g.isEmpty()) {
            m_skipReason = QStringLiteral("mkntfs or ntfs-3g is not installed (Debian: ntfs-3g)");
            return false;
        }
        if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
            m_skipReason = QStringLiteral("no /dev/fuse: ntfs-3g cannot run here");
            return false;
        }
        // -F: an image file, not a partition; -f: no zeroing of the whole image.
        m_skipReason = runTool(
            mkntfs, {QStringLiteral("-F"), QStringLiteral("-f"), QStringLiteral("-q"), image});
        if (m_skipReason.isEmpty())
            m_skipReason = runTool(ntfs3g, {image, path()});
    } else {
        const QString mkfsFat = findTool("mkfs.fat");
        const QString mountTool = findTool("mount");
        if (mkfsFat.isEmpty() || mountTool.isEmpty()) {
            m_skipReason = QStringLiteral("mkfs.fat or mount is not installed (Debian: "
                                          "dosfstools, mount)");
            return false;
        }
        m_skipReason = runTool(mkfsFat, {image});
        if (m_skipReason.isEmpty()) {
            const QString failure = runTool(
                mountTool, {QStringLiteral("-t"), QStringLiteral("vfat"), QStringLiteral("-o"),
                            QStringLiteral("loop,utf8"), image, path()});
            if (!failure.isEmpty())
                m_skipReason = QStringLiteral("a FAT image needs the kernel's vfat and a loop "
                                              "device: %1")
                                   .arg(failure);
        }
    }
    return m_skipReason.isEmpty();
}

WindowsDiskImage::~WindowsDiskImage()
{
    if (m_mounted)
        umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
}

bool WindowsDiskImage::addAttributes(const QString &relative, quint32 bits)
{
    const QByteArray entry = QFile::encodeName(path() + u'/' + relative);
    return m_format == Format::Ntfs ? addNtfsAttributes(entry, bits)
                                    : addFatAttributes(entry, bits);
}
