#pragma once

#include <QByteArrayView>
#include <QString>

// Every file the program writes is replaced in one step: the new content goes to a
// temporary file in the same folder, is forced to the disk, and is renamed over the old
// file, so that a crash, a kill or a full disk leaves either the old file or the new one,
// whole. The temporary files are hidden (their names begin with ".palvoric-tmp-") and
// carry the writer's process id and machine (platform/process_identity.h), so that those a
// killed run left behind can be told from those a running one is writing, here or on
// another workstation that shares the folder.
namespace platform {

// Replaces (or creates) the file at path with data. A symbolic link of the user's or
// root's is followed: the file it points to gets the new content; another account's
// link is refused with kUntrustedLinkError (platform/trusted_links.h). The file keeps its
// permissions. A file with no write permission at all, or one the user may not write, is
// refused like Windows refuses a read-only file. On failure returns false, sets errorText
// (when given) to the system's text for the cause and *error to its errno (or
// kUntrustedLinkError), leaves no temporary file and leaves the old file as it was; the
// one exception is a failure to force the folder to disk after the rename, reported as
// well, where the file already has its new content.
bool writeFileAtomically(const QString &path, QByteArrayView data, QString *errorText = nullptr,
                         int *error = nullptr);

// True for the names writeFileAtomically gives its temporary files.
bool isAtomicTemporaryName(const QString &fileName);

// Removes from folder the temporary files whose writer is surely gone: this machine's
// whose process no longer runs, and any other one (another machine's, or one named by an
// older version) once no write has touched it for an hour. Returns how many were removed.
// Called once at start for the folder of the program's files.
int removeStaleTemporaries(const QString &folder);

} // namespace platform
