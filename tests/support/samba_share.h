#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real network share for tests: Samba's smbd serves a temporary folder on the loopback
// interface only, and two separate smbnetfs processes mount it, as two workstations each
// mount the practice's file server: each client keeps its own caches and its own fcntl
// locks, so that only what the server decides holds between them. Needs root,
// /dev/fuse, both programs (Debian's samba and smbnetfs) and a free port 445; when
// anything is missing, isMounted() is false and skipReason() says what, for QSKIP.
class SambaShare
{
public:
    SambaShare();
    ~SambaShare();
    SambaShare(const SambaShare &) = delete;
    SambaShare &operator=(const SambaShare &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    static constexpr int kClients = 2;

    // The shared folder as client 0 or 1 sees it, through its mount.
    QString path(int client = 0) const;
    // The same file or folder as the other client sees it: path is under path(client).
    QString throughClient(const QString &path, int client) const;

private:
    bool start();
    bool mountClient(int client, const QString &smbnetfs);

    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_clients[kClients];
    bool m_mounted = false;
    QString m_skipReason;
};
