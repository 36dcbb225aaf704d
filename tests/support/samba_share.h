#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real network share for tests: Samba's smbd serves a temporary folder on the loopback
// interface only, and the FUSE client smbnetfs mounts it, so that files go through the
// SMB protocol as they do on a practice's file server. Needs root, /dev/fuse, both
// programs (Debian's samba and smbnetfs) and a free port 445; when anything is missing,
// isMounted() is false and skipReason() says what, for QSKIP.
class SambaShare
{
public:
    SambaShare();
    ~SambaShare();
    SambaShare(const SambaShare &) = delete;
    SambaShare &operator=(const SambaShare &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    // The shared folder as the client sees it, through the mount.
    QString path() const;

private:
    bool start();

    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_client;
    bool m_mounted = false;
    QString m_skipReason;
};
