#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The program's file version lives in a section of its own executable (".palvoric_version",
// written by the build), so it is read back from the file on disk, as a file manager would.
namespace platform {

struct FileVersion
{
    quint16 major = 0;
    quint16 minor = 0;
    quint16 patch = 0;
    quint16 build = 0;
};

// The version held by the executable file at path; nothing when the file cannot be read,
// is not a 64-bit little-endian ELF file, or has no valid version section.
std::optional<FileVersion> readFileVersion(const QString &path);

// "major.minor" of the version, each as an unsigned number; "65535.65535" without one.
QString versionText(const std::optional<FileVersion> &version);

} // namespace platform
