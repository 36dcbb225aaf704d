#include "platform/version_section.h"

#include <QFile>

#include <cstring>
#include <elf.h>

namespace platform {

namespace {

constexpr char kSectionName[] = ".palvoric_version";
constexpr char kMagic[8] = {'P', 'A', 'L', 'V', 'V', 'E', 'R', '1'};
constexpr qint64 kRecordSize = 16; // magic, then four little-endian 16-bit numbers

// Reads exactly size bytes at offset; false when the file is shorter.
bool readAt(QFile &file, quint64 offset, void *out, qint64 size)
{
    if (offset > quint64(file.size()) || !file.seek(qint64(offset)))
        return false;
    return file.read(static_cast<char *>(out), size) == size;
}

quint16 le16(const unsigned char *p)
{
    return quint16(p[0] | (p[1] << 8));
}

} // namespace

std::optional<FileVersion> readFileVersion(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;

    Elf64_Ehdr header;
    if (!readAt(file, 0, &header, sizeof header))
        return std::nullopt;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;

    auto sectionHeader = [&](quint32 index, Elf64_Shdr &out) {
        return readAt(file, header.e_shoff + quint64(index) * sizeof(Elf64_Shdr), &out, sizeof out);
    };

    Elf64_Shdr names;
    if (!sectionHeader(header.e_shstrndx, names))
        return std::nullopt;

    for (quint32 i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section;
        if (!sectionHeader(i, section))
            return std::nullopt;
        char name[sizeof kSectionName] = {};
        if (section.sh_name >= names.sh_size ||
            !readAt(file, names.sh_offset + section.sh_name, name, sizeof name) ||
            std::memcmp(name, kSectionName, sizeof name) != 0)
            continue;
        unsigned char record[kRecordSize];
        if (section.sh_type == SHT_NOBITS || section.sh_size < quint64(kRecordSize) ||
            !readAt(file, section.sh_offset, record, kRecordSize) ||
            std::memcmp(record, kMagic, sizeof kMagic) != 0)
            return std::nullopt;
        return FileVersion{le16(record + 8), le16(record + 10), le16(record + 12),
                           le16(record + 14)};
    }
    return std::nullopt;
}

QString versionText(const std::optional<FileVersion> &version)
{
    const FileVersion v = version.value_or(FileVersion{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF});
    return QStringLiteral("%1.%2").arg(v.major).arg(v.minor);
}

} // namespace platform
