#pragma once

#include <QString>

#include <chrono>

// Several workstations and user accounts run the program from one shared folder and write
// the same settings, history and logs. Every read-change-replace of one of those files
// runs under this lock so that no process writes over another's change.
//
// The lock is an open-file-description lock (fcntl F_OFD_SETLK) on a lock file beside
// the program's files: not on a file that is replaced, since the replacement swaps
// inodes. Linux passes such locks on to NFS and SMB servers, so they hold across
// machines. Within one process the lock is taken once per lock file and nested holders
// share it, so that a whole save sequence can hold it around the single writes it is
// made of.
namespace platform {

class ProgramFilesLock
{
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    // Takes the lock on the file at lockFilePath (created when missing), waiting at most
    // timeout for another process to release it.
    explicit ProgramFilesLock(const QString &lockFilePath,
                              std::chrono::milliseconds timeout = kDefaultTimeout);
    ~ProgramFilesLock();
    ProgramFilesLock(const ProgramFilesLock &) = delete;
    ProgramFilesLock &operator=(const ProgramFilesLock &) = delete;

    // True when this holder has the lock, or the file system keeps no locks at all (a
    // local-only mount) or is read-only: the write then goes on and meets what it meets.
    bool isHeld() const { return m_held; }
    // Why the lock was not taken: ETIMEDOUT when another process kept it, or the errno
    // of opening the lock file (ELOOP for a symbolic link in its place).
    int error() const { return m_error; }

private:
    QByteArray m_path;
    bool m_held = false;
    bool m_registered = false;
    int m_error = 0;
};

} // namespace platform
