#pragma once

#include "platform/file_content_copy.h"
#include "platform/file_state.h"

#include <QString>

// Copy of one dropped file into a folder, and the removal of the original after it. A copy
// never replaces anything and never leaves a partial file under its final name: the
// content goes into a temporary file in the destination folder (an unnamed one where the
// file system allows it, else a hidden name), keeps the source's permissions and times, is
// forced to the disk, and only then is published under its name, by a link that fails
// when the name exists.
namespace platform {

// Hidden names of the temporary files of a copy in progress begin with this, followed by
// the copying process's id, a random part and the machine's name.
inline constexpr char kCopyTemporaryPrefix[] = ".palvoric-copy-";

// What a copy read: the entry at the source's path (a link, when the source is one) and
// the file whose content it copied, each as it was just before the copy read it.
struct CopiedFile
{
    FileState entry;
    FileState content;
};

// Copies the regular file at source (a symbolic link is followed) to destination.
// True when the copy is complete, synced and published. On failure error (when given)
// says why: EEXIST when destination exists, whatever it is, EISDIR when the source is a
// folder, EINVAL for another kind of entry, or the system's error (ENOSPC, EIO from a
// failed sync, EACCES...), and nothing new remains, with one exception: when the folder
// cannot be synced after the file got its name, the complete copy stays but the failure
// is reported, so that the caller keeps the original.
// copied, when given, receives what was read; progress is told the bytes copied.
bool copyOneFile(const QString &source, const QString &destination, int *error = nullptr,
                 CopiedFile *copied = nullptr, const CopyProgress &progress = {});

// Removes from folder the temporary files that copies killed midway left there: those of
// this machine whose process is gone (another workstation may be copying into the same
// shared folder). Returns how many were removed.
int removeLeftoverCopies(const QString &folder);

// Removes the original of a copy, only when the path still names what the copy read, in
// the same state: ESTALE, with nothing removed, when it was written, replaced or renamed
// since (an editor's save during the copy). Returns 0, ESTALE or the error.
int deleteCopiedFile(const QString &path, const CopiedFile &copied);

} // namespace platform
