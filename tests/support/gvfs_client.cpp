#include "tests/support/gvfs_client.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Run inside dbus-run-session: the daemon, then its file view once the daemon answers
// (started earlier, the file view would have the bus start a second daemon, and the mount
// fails), then the mount; it lives until the session is ended.
const char kSession[] = R"(
/usr/libexec/gvfsd --no-fuse &
for i in $(seq 1 100); do
    gdbus introspect --session --dest org.gtk.vfs.Daemon --object-path /org/gtk/vfs/Daemon \
        >/dev/null 2>&1 && break
    sleep 0.1
done
/usr/libexec/gvfsd-fuse "$1" -f &
for i in 1 2 3; do
    gio mount -a "$2" </dev/null && break
    [ "$i" = 3 ] && exit 3
    sleep 1
done
echo mounted
wait
)";

} // namespace

GvfsClient::GvfsClient(const QString &url)
{
    m_mounted = start(url);
    if (!m_mounted)
        qWarning("gvfs client not used: %s", qPrintable(m_skipReason));
}

bool GvfsClient::start(const QString &url)
{
    if (geteuid() != 0) {
        m_skipReason = QStringLiteral("mounting through gvfs-fuse needs root");
        return false;
    }
    const QString session = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    if (session.isEmpty() || !QFileInfo::exists(QStringLiteral("/usr/libexec/gvfsd-fuse")) ||
        !QFileInfo::exists(QStringLiteral("/usr/libexec/gvfsd-smb")) ||
        QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()) {
        m_skipReason = QStringLiteral("gvfs is not installed (Debian: dbus-daemon, gvfs-fuse, "
                                      "gvfs-backends, libglib2.0-bin)");
        return false;
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
        m_skipReason = QStringLiteral("no /dev/fuse: FUSE cannot run here");
        return false;
    }
    const QString mount = m_dir.filePath(QStringLiteral("gvfs"));
    QDir().mkpath(mount);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    // No volume monitors to start: only the SMB backend is needed.
    environment.insert(QStringLiteral("GVFS_REMOTE_VOLUME_MONITOR_IGNORE"), QStringLiteral("1"));
    m_session.setProcessEnvironment(environment);
    m_session.setProcessChannelMode(QProcess::SeparateChannels);
    // A process group of its own, ended whole at the end.
    m_session.setChildProcessModifier([] { setsid(); });
    m_session.start(session,
                    {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                     QString::fromLatin1(kSession), QStringLiteral("gvfs-session"), mount, url});
    if (!m_session.waitForStarted(10000)) {
        m_skipReason = QStringLiteral("dbus-run-session does not start");
        return false;
    }
    const QUrl parsed(url);
    m_path =
        mount +
        QStringLiteral("/smb-share:server=%1,share=%2").arg(parsed.host(), parsed.path().mid(1));
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_session.state() == QProcess::Running) {
        if (m_session.waitForReadyRead(200) &&
            m_session.readAllStandardOutput().contains("mounted"))
            return QFileInfo(m_path).isDir();
    }
    m_skipReason =
        QStringLiteral("gio mount %1 failed: %2")
            .arg(url,
                 QString::fromLocal8Bit(m_session.readAllStandardError()).simplified().right(300));
    return false;
}

GvfsClient::~GvfsClient()
{
    umount2(QFile::encodeName(m_dir.filePath(QStringLiteral("gvfs"))).constData(), MNT_DETACH);
    if (m_session.state() != QProcess::NotRunning) {
        ::kill(-pid_t(m_session.processId()), SIGTERM);
        if (!m_session.waitForFinished(5000))
            ::kill(-pid_t(m_session.processId()), SIGKILL);
        m_session.waitForFinished(5000);
    }
}
