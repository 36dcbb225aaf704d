#pragma once

#include <QString>

#include <chrono>

// Several workstations and user accounts run the program from one shared folder and write
// the same settings, history and logs. Every read-change-replace of one of those files
// runs under this lock so that no process writes over another's change.
//
// The lock has two halves. Among the processes of one machine, an open-file-description
// lock (fcntl F_OFD_SETLK) on a lock file beside the program's files, not on a file that
// is replaced (the replacement swaps inodes): waiters queue in the kernel and take turns.
// Across machines, a claim folder that the file server itself arbitrates
// (platform/claim_folder.h): the kernel's cifs and NFS clients pass fcntl locks on to the
// server, but smbnetfs and GNOME's gvfs keep them inside the machine. Within one thread
// the lock is taken once per lock file and nested holders share it, so that a whole save
// sequence can hold it around the single writes it is made of; another thread of the
// same process waits like another process.
namespace platform {

class ProgramFilesLock
{
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};
    // Long enough to take over from a holder that died on another machine
    // (ClaimFolder::kAbandonedAfter): for writers off the window's thread.
    static constexpr std::chrono::milliseconds kPatientTimeout{15000};

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
    // On ETIMEDOUT, the workstation and process that kept it ("POSTE2, processus 4242"),
    // when another machine's claim said so.
    QString holder() const { return m_holder; }

private:
    QByteArray m_key;
    QString m_holder;
    bool m_held = false;
    int m_error = 0;
};

} // namespace platform
