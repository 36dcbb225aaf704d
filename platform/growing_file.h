#pragma once

#include "platform/file_state.h"
#include "platform/unique_fd.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace platform {

// A file that only grows (an activity log), opened to read what was added to it and to
// add at its end, in time that depends on what is read or added, not on the file's
// size. The caller holds the program files' lock (platform/program_files_lock.h), so
// that no other instance writes meanwhile.
class GrowingFile
{
public:
    // The regular file at path, open for reading and writing, its state as the file's
    // server has it (not as a network client remembers it), links followed as
    // writeFileAtomically follows them. Nothing when there is no such file, or when it
    // may not be written (no write permission at all refuses even root, as Windows
    // refuses a read-only file): the caller then does what it does for any other file.
    static std::optional<GrowingFile> open(const QString &path);

    const FileState &state() const { return m_state; }

    // The bytes from offset to the end of the file as it was opened.
    std::optional<QByteArray> readFrom(qint64 offset) const;

    // Adds data at the end of the file and forces it to the disk, then checks with the
    // file's server that the file ends with it at the size expected; state() then
    // describes the grown file. On a failure (a full disk, an I/O error, a failed sync)
    // the file is cut back to its former size, so that it holds what it held, and
    // errorText says why; only a crash midway can leave part of data at its end. When the
    // check fails (another writer got in), nothing is cut and false is returned.
    bool append(QByteArrayView data, QString *errorText = nullptr);

private:
    GrowingFile(UniqueFd fd, const FileState &state) : m_fd(std::move(fd)), m_state(state) {}
    bool holdsAt(qint64 offset, QByteArrayView data) const;

    UniqueFd m_fd;
    FileState m_state;
};

} // namespace platform
