#pragma once

#include <QByteArray>

// Renames that never replace what already bears the new name, and the folder syncs that
// make a rename durable. Names are native bytes relative to open folder descriptors.
namespace platform {

// Gives the entry fromName of fromDir the name toName in toDir. Returns 0, or the error:
// EEXIST when the new name is taken (whatever holds it: a file, an empty folder or a full
// one), EXDEV across file systems. Where the file system does not know the no-replace flag
// (some FUSE and NFS mounts answer EINVAL), a placeholder claims the name first: an empty
// folder made by mkdir for a folder, which the rename may replace because it is empty and
// ours; a hard link for anything else, which fails when the name exists.
int renameWithoutReplacing(int fromDir, const QByteArray &fromName, int toDir,
                           const QByteArray &toName);

// Forces the entries of a folder to the disk, so that a rename into or out of it survives
// a crash. Returns 0 or the error; a file system that cannot sync a folder (EINVAL) or is
// read-only has nothing to force.
int syncFolder(int dir);

} // namespace platform
