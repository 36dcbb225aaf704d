#pragma once

#include "platform/file_content_copy.h"
#include "platform/file_state.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <utility>

// Whole trees (a folder with all it holds, or a single file or link) copied between file
// systems and removed, through open folder descriptors and native names, never following
// a symbolic link. Failures name the entry concerned by its path relative to the top of
// the tree (the top's own name first).
namespace platform {

struct TreeSize
{
    qint64 bytes = 0;   // content of the regular files
    qint64 entries = 0; // every entry, the top included
    // Device and inode of every folder of the tree, to tell a destination inside it
    // however it is reached (a bind mount, a second mount of the same file system).
    QSet<std::pair<quint64, quint64>> folders;
};

// Sums up the tree at name in dir and makes sure that it can be removed once copied:
// every folder that holds something must let this process take entries out of it. A
// named pipe, socket or device in the tree is refused with EINVAL; another file system
// mounted inside the tree (the top itself may be a mount point) with EXDEV, failedPath
// naming the mount point: a copy would take that volume's content and the removal
// empty it. Returns 0 or the error.
int measureTree(int dir, const QByteArray &name, TreeSize &size, QByteArray &failedPath);

// What a copy read of each entry of a tree, by its path relative to the tree's folder
// (the top's name first), taken just before the entry was read.
using CopiedStates = QHash<QByteArray, FileState>;

// Copies the tree at fromName in fromDir to the new name toName in toDir: folders, regular
// files and symbolic links (as links), with their permissions, times and, when running as
// root, owners; every file and folder is forced to the disk. Returns 0 or the error of the
// first step that failed (ECANCELED when progress asked to stop); what was copied until
// then stays for the caller to remove.
// copied, when given, receives the state of each entry as the copy read it.
int copyTree(int fromDir, const QByteArray &fromName, int toDir, const QByteArray &toName,
             const CopyProgress &progress, QByteArray &failedPath, CopiedStates *copied = nullptr);

// Removes from the tree at name in dir what a copy took (copied) and nothing else: a file
// or link only when it is still the same object in the same state (device, inode, size,
// modification and change times), a folder only once empty. Whatever was created, grown,
// replaced or renamed since it was read stays, and the folders that hold it; kept
// receives their paths (relative, as in copied). Goes on past a failure and returns the
// first error, or 0.
int removeCopiedTree(int dir, const QByteArray &name, const CopiedStates &copied,
                     QList<QByteArray> &kept, QByteArray &failedPath);

// Removes the entry name of dir and, for a folder, all it holds. With forceWritable the
// folders are opened up first (for a copy of our own whose folders kept read-only
// permissions). Goes on past a failure and returns the first error, or 0.
int removeTree(int dir, const QByteArray &name, bool forceWritable, QByteArray &failedPath);

} // namespace platform
