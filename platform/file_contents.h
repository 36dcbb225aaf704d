#pragma once

#include <QByteArray>
#include <QString>

// Reading a whole file of the program (settings, history, logs) in one call.
namespace platform {

enum class ReadStatus {
    Ok,
    Missing, // nothing at the path, or a folder: "no file" for every caller
    Failed,  // a file is there but cannot be read; errorText says why
};

// Reads the regular file at path into data. Anything else that is not a folder (a pipe,
// a device) is refused without being opened for long, so that it cannot block the
// program. On Failed, *error (when given) is the errno, or kUntrustedLinkError
// (platform/trusted_links.h).
ReadStatus readFileContents(const QString &path, QByteArray *data, QString *errorText = nullptr,
                            int *error = nullptr);

// As readFileContents, for a read made without the program files' lock: another
// workstation may be replacing the file right now, and through a network client the
// replacement is not one step on the server (the old file goes, then the new one comes).
// A file found missing while a save's temporary file stands beside it is read again
// until the save is over (at most about a second), so that it is never taken for absent.
// A read refused with EIO or EBUSY (another workstation still closing the file) is tried
// again for as long.
ReadStatus readFileContentsSettled(const QString &path, QByteArray *data,
                                   QString *errorText = nullptr, int *error = nullptr);

} // namespace platform
