#pragma once

#include <QString>
#include <QTemporaryDir>

// A small disk image in a Windows format, made in a temporary folder and mounted on a
// folder beside it, so that entries carry the attributes Windows gives them for real:
// NTFS through ntfs-3g (FUSE, no loop device needed), or FAT through the kernel's vfat
// on a loop device. Needs root, and for NTFS /dev/fuse and Debian's ntfs-3g, for FAT
// dosfstools and a kernel with vfat; when anything is missing, isMounted() is false and
// skipReason() says what, for QSKIP.
class WindowsDiskImage
{
public:
    enum class Format { Ntfs, Fat };

    explicit WindowsDiskImage(Format format);
    ~WindowsDiskImage();
    WindowsDiskImage(const WindowsDiskImage &) = delete;
    WindowsDiskImage &operator=(const WindowsDiskImage &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    // The root of the mounted file system.
    QString path() const;

    // Adds attribute bits (FILE_ATTRIBUTE_*: 0x2 hidden, 0x4 system, ...) to those the
    // entry at relative has, as Windows' attrib +h +s does, the entry itself and not what a
    // symbolic link leads to. False when the file system refuses.
    bool addAttributes(const QString &relative, quint32 bits);

private:
    bool mount();

    Format m_format;
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_skipReason;
};
