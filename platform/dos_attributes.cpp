#include "platform/dos_attributes.h"

#include "platform/unique_fd.h"

#include <QtEndian>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>
#include <sys/xattr.h>

namespace platform {

namespace {

// The kernel's own NTFS driver, ntfs3, which linux/magic.h does not name.
constexpr quint32 kNtfs3SuperMagic = 0x7366746e;

// Room for the longest value expected: a text SMB value, "0x" and eight digits.
constexpr size_t kSmbValueCapacity = 32;

// The value's size, or -errno. lgetxattr: a symbolic link's own attributes.
qsizetype readLinkAttribute(const char *path, const char *attribute, void *value, size_t capacity)
{
    for (;;) {
        const ssize_t size = ::lgetxattr(path, attribute, value, capacity);
        if (size >= 0)
            return qsizetype(size);
        if (errno != EINTR)
            return -errno;
    }
}

// The file system does not carry the attribute at all, rather than failing for one entry.
// ENODATA counts too: ntfs-3g, ntfs3 and the SMB client make the value up for every
// entry, so only another FUSE file system lacks it.
bool isUnsupported(int error)
{
    return error == ENODATA || error == EOPNOTSUPP || error == ENOTTY || error == ENOSYS;
}

int hexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

} // namespace

DosAttributeReader::DosAttributeReader(int folderFd) : m_folderFd(folderFd)
{
    struct statfs status;
    if (folderFd < 0 || ::fstatfs(folderFd, &status) != 0)
        return;
    switch (quint32(status.f_type)) {
    case FUSE_SUPER_MAGIC: // ntfs-3g; any other FUSE file system shows it at its first entry
        m_source = Source::Ntfs3gAttribute;
        break;
    case kNtfs3SuperMagic:
        m_source = Source::Ntfs3Attribute;
        break;
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
        m_source = Source::SmbAttribute;
        break;
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
        m_source = Source::FatIoctl;
        return; // opened relative to the folder: no path to build
    default:
        return;
    }
    // No getxattr call takes a folder descriptor and a name without following a last
    // link; the folder's entry in /proc does the same.
    m_entryPath = QByteArray("/proc/self/fd/" + QByteArray::number(folderFd) + '/');
    m_folderPathLength = m_entryPath.size();
}

const char *DosAttributeReader::entryPath(const char *name)
{
    m_entryPath.truncate(m_folderPathLength);
    m_entryPath.append(name);
    return m_entryPath.constData();
}

void DosAttributeReader::stopWhenUnsupported(int error)
{
    if (isUnsupported(error))
        m_source = Source::None;
}

std::optional<quint32> DosAttributeReader::attributesOf(const char *name)
{
    switch (m_source) {
    case Source::None:
        return std::nullopt;
    case Source::Ntfs3gAttribute: {
        uchar value[4];
        const qsizetype size =
            readLinkAttribute(entryPath(name), "system.ntfs_attrib_be", value, sizeof value);
        if (size < 0)
            stopWhenUnsupported(int(-size));
        if (size != sizeof value)
            return std::nullopt;
        return qFromBigEndian<quint32>(value);
    }
    case Source::Ntfs3Attribute: {
        quint32 value = 0; // in the machine's order, as the driver hands it
        const qsizetype size =
            readLinkAttribute(entryPath(name), "system.ntfs_attrib", &value, sizeof value);
        if (size < 0)
            stopWhenUnsupported(int(-size));
        if (size != sizeof value)
            return std::nullopt;
        return value;
    }
    case Source::SmbAttribute: {
        char value[kSmbValueCapacity];
        const char *path = entryPath(name);
        qsizetype size = readLinkAttribute(path, "user.cifs.dosattrib", value, sizeof value);
        if (size < 0 && isUnsupported(int(-size)))
            size = readLinkAttribute(path, "user.smb3.dosattrib", value, sizeof value);
        if (size < 0) {
            stopWhenUnsupported(int(-size));
            return std::nullopt;
        }
        return dosAttributesFromSmbValue(QByteArrayView(value, size));
    }
    case Source::FatIoctl:
        return readFatAttributes(name);
    }
    return std::nullopt;
}

std::optional<quint32> DosAttributeReader::readFatAttributes(const char *name)
{
    const UniqueFd entry(
        ::openat(m_folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!entry.isValid())
        return std::nullopt;
    __u32 attributes = 0;
    if (::ioctl(entry.get(), FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0) {
        stopWhenUnsupported(errno); // exFAT drivers without the FAT ioctl
        return std::nullopt;
    }
    return quint32(attributes);
}

bool DosAttributeReader::isHiddenOrSystem(const char *name, unsigned char entryType)
{
    if (m_source == Source::None)
        return false;
    const std::optional<quint32> attributes = attributesOf(name);
    if (!attributes)
        return false;
    const quint32 marks =
        entryType == DT_LNK ? kDosAttributeHidden : kDosAttributeHidden | kDosAttributeSystem;
    return (*attributes & marks) != 0;
}

std::optional<quint32> dosAttributesFromSmbValue(QByteArrayView value)
{
    if (value.startsWith("0x") || value.startsWith("0X")) {
        QByteArrayView digits = value.sliced(2);
        while (digits.endsWith('\0'))
            digits.chop(1);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        quint32 attributes = 0;
        for (const char digit : digits) {
            const int digitValue = hexDigitValue(digit);
            if (digitValue < 0)
                return std::nullopt;
            attributes = attributes << 4 | quint32(digitValue);
        }
        return attributes;
    }
    if (value.size() == sizeof(quint32)) {
        quint32 attributes = 0;
        std::memcpy(&attributes, value.data(), sizeof attributes);
        return attributes;
    }
    return std::nullopt;
}

} // namespace platform
