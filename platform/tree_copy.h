#pragma once

#include "platform/file_content_copy.h"

#include <QByteArray>

// Whole trees (a folder with all it holds, or a single file or link) copied between file
// systems and removed, through open folder descriptors and native names, never following
// a symbolic link. Failures name the entry concerned by its path relative to the top of
// the tree (the top's own name first).
namespace platform {

struct TreeSize
{
    qint64 bytes = 0;   // content of the regular files
    qint64 entries = 0; // every entry, the top included
};

// Sums up the tree at name in dir and makes sure that it can be removed once copied:
// every folder that holds something must let this process take entries out of it. A
// named pipe, socket or device in the tree is refused with EINVAL. Returns 0 or the error.
int measureTree(int dir, const QByteArray &name, TreeSize &size, QByteArray &failedPath);

// Copies the tree at fromName in fromDir to the new name toName in toDir: folders, regular
// files and symbolic links (as links), with their permissions, times and, when running as
// root, owners; every file and folder is forced to the disk. Returns 0 or the error of the
// first step that failed (ECANCELED when progress asked to stop); what was copied until
// then stays for the caller to remove.
int copyTree(int fromDir, const QByteArray &fromName, int toDir, const QByteArray &toName,
             const CopyProgress &progress, QByteArray &failedPath);

// Removes the entry name of dir and, for a folder, all it holds. With forceWritable the
// folders are opened up first (for a copy of our own whose folders kept read-only
// permissions). Goes on past a failure and returns the first error, or 0.
int removeTree(int dir, const QByteArray &name, bool forceWritable, QByteArray &failedPath);

} // namespace platform
