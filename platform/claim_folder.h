#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

// The half of the program files' lock that the file server itself arbitrates. Locks on
// an open file do not reach the server through every client: smbnetfs and GNOME's gvfs
// keep them inside one machine, so that two workstations would both get one. Making a
// folder is decided by the server through every SMB and NFS client (an exclusive
// creation of a file is not: smbnetfs lets two clients create the same file): the
// process that makes the claim folder holds the lock until it removes it.
//
// A file in the claim folder names its holder: machine, boot, process, the process's
// start time and a token of its own. A holder that died leaves its claim behind: one made since
// this machine's start whose process no longer runs is removed at once; any other is removed once
// this process has seen it unchanged for kAbandonedAfter, timed by its own clock so that the
// machines' clocks need not agree (holders keep it for one read-change-write, milliseconds; a
// rewrite of years of logs over a slow link takes a second or two).
namespace platform {

class ClaimFolder
{
public:
    static constexpr std::chrono::seconds kAbandonedAfter{10};

    ClaimFolder() = default;
    ~ClaimFolder() { release(); }
    ClaimFolder(ClaimFolder &&other) noexcept;
    ClaimFolder &operator=(ClaimFolder &&other) noexcept;
    ClaimFolder(const ClaimFolder &) = delete;
    ClaimFolder &operator=(const ClaimFolder &) = delete;

    // Makes the claim folder at path, waiting until the deadline while another holder
    // keeps it. 0 once held; ETIMEDOUT when another holder kept it; the errno of creating
    // it otherwise. holder, when given, is set to the other holder's description (host
    // and process) on ETIMEDOUT.
    int take(const QString &path, std::chrono::steady_clock::time_point deadline,
             QString *holder = nullptr);
    bool isHeld() const { return !m_path.isEmpty(); }
    // Whether the claim still names this holder: no other process took it for abandoned
    // meanwhile.
    bool stillHeld() const;
    // Removes the claim when it is still this holder's.
    void release();

private:
    QByteArray m_path;
    QByteArray m_content;
};

} // namespace platform
