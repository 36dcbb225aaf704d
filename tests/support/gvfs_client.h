#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// GNOME's own client of a share, as a GNOME desktop mounts the practice's file server:
// gvfsd with its SMB backend on a session bus of its own (dbus-run-session), and
// gvfsd-fuse showing its mounts as files. It keeps fcntl locks inside the machine and
// attributes for a moment, and refuses to open an existing file for writing. Needs root,
// /dev/fuse and Debian's dbus-daemon, gvfs-backends and gvfs-fuse; when anything is
// missing, isMounted() is false and skipReason() says what.
class GvfsClient
{
public:
    // url: the share, for example smb://127.0.0.1/partage (reached as a guest).
    explicit GvfsClient(const QString &url);
    ~GvfsClient();
    GvfsClient(const GvfsClient &) = delete;
    GvfsClient &operator=(const GvfsClient &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    // The share's folder as this client shows it.
    QString path() const { return m_path; }

private:
    bool start(const QString &url);

    QTemporaryDir m_dir;
    QProcess m_session;
    QString m_path;
    bool m_mounted = false;
    QString m_skipReason;
};
