#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace platform {

// Windows marks some entries hidden, or as belonging to the system, and Explorer does not
// show them: desktop.ini, Thumbs.db, $RECYCLE.BIN, System Volume Information, a folder a
// user hid. A start folder on an NTFS or FAT disk, or on a Windows or NAS share, keeps
// these marks, and each file system hands them to Linux its own way.
constexpr quint32 kDosAttributeHidden = 0x2;
constexpr quint32 kDosAttributeSystem = 0x4;

// Reads the attributes of the entries of one open folder. Made once per listing: the
// file system's type is read once, and on a file system that has no such marks (ext4,
// tmpfs, ...) isHiddenOrSystem() answers false without a system call.
//
// Any failure to read an entry's attributes counts as "not hidden": an entry is never
// left out by mistake. Once the file system shows that it does not carry the attributes
// at all (a FUSE file system other than ntfs-3g, an SMB mount without user attributes,
// an exFAT driver without the FAT ioctl), the rest of the folder is not asked.
class DosAttributeReader
{
public:
    // folderFd stays open and owned by the caller while the reader is used.
    explicit DosAttributeReader(int folderFd);
    DosAttributeReader(const DosAttributeReader &) = delete;
    DosAttributeReader &operator=(const DosAttributeReader &) = delete;

    // False on a file system without Windows' attributes, or once it showed it has none.
    bool readsAttributes() const { return m_source != Source::None; }

    // The attributes (FILE_ATTRIBUTE_*) of the entry name directly inside the folder, a
    // symbolic link's own and not its target's; nothing when they cannot be read.
    std::optional<quint32> attributesOf(const char *name);

    // Whether the entry is marked hidden or system. entryType is the d_type the folder's
    // listing gave (DT_UNKNOWN when none): a symbolic link counts only when hidden, since
    // ntfs-3g marks every link it makes as a system file (the Interix form of a link).
    bool isHiddenOrSystem(const char *name, unsigned char entryType);

private:
    enum class Source { None, Ntfs3gAttribute, Ntfs3Attribute, SmbAttribute, FatIoctl };

    const char *entryPath(const char *name);
    std::optional<QByteArray> readExtendedAttribute(const char *name, const char *attribute);
    std::optional<quint32> readFatAttributes(const char *name);
    void stopWhenUnsupported(int error);

    int m_folderFd;
    Source m_source = Source::None;
    QByteArray m_entryPath; // "/proc/self/fd/<folderFd>/", then the entry's name
    qsizetype m_folderPathLength = 0;
};

// What an SMB mount gives for user.cifs.dosattrib or user.smb3.dosattrib: four bytes in
// the machine's order, as the kernel's client hands them, or text such as "0x22", as
// some servers and FUSE clients do. Nothing when the value is neither.
std::optional<quint32> dosAttributesFromSmbValue(QByteArrayView value);

} // namespace platform
