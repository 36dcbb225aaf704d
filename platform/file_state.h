#pragma once

#include <QtGlobal>

struct stat;

namespace platform {

// Which file an entry is and in what state: the same values mean the same object, not
// written, grown, replaced or renamed over since (the change time moves with any of it).
struct FileState
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    friend bool operator==(const FileState &, const FileState &) = default;
};

FileState fileStateOf(const struct stat &status);

// fstat for a file that other machines change: the client of a network file system
// (smbnetfs, gvfs) keeps a file's size for about a second, and reads stop at the size it
// keeps, so that a file another workstation has just grown or replaced reads short. This
// asks the server, and the reads that follow see the whole file. 0 or the errno.
int freshStat(int fd, struct stat *status);

} // namespace platform
