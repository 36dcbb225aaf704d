#include "tests/support/samba_share.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <sys/mount.h>
#include <unistd.h>

namespace {

// smbd with everything it keeps in the test's folder: nothing of the machine's own
// Samba set-up is read or touched. Guests write as root, as the test's processes do.
QByteArray serverConfiguration(const QString &root)
{
    return QStringLiteral("[global]\n"
                          "  interfaces = 127.0.0.1\n"
                          "  bind interfaces only = yes\n"
                          "  smb ports = 445\n"
                          "  private dir = %1/private\n"
                          "  lock directory = %1/lock\n"
                          "  state directory = %1/state\n"
                          "  cache directory = %1/cache\n"
                          "  pid directory = %1/lock\n"
                          "  ncalrpc dir = %1/lock/ncalrpc\n"
                          "  log file = %1/smbd.log\n"
                          "  map to guest = Bad User\n"
                          "  server role = standalone server\n"
                          "  disable netbios = yes\n"
                          "  load printers = no\n"
                          "  printing = bsd\n"
                          "  printcap name = /dev/null\n"
                          "  server min protocol = SMB2\n"
                          "[partage]\n"
                          "  path = %1/served\n"
                          "  read only = no\n"
                          "  guest ok = yes\n"
                          "  guest only = yes\n"
                          "  force user = root\n")
        .arg(root)
        .toUtf8();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

SambaShare::SambaShare()
{
    m_mounted = start();
    if (!m_mounted)
        qWarning("SMB share not used: %s", qPrintable(m_skipReason));
}

QString SambaShare::path() const
{
    return m_dir.path() + QStringLiteral("/mount/127.0.0.1/partage");
}

bool SambaShare::start()
{
    if (geteuid() != 0) {
        m_skipReason = QStringLiteral("serving and mounting a share needs root");
        return false;
    }
    const QString smbd =
        QStandardPaths::findExecutable(QStringLiteral("smbd"), {QStringLiteral("/usr/sbin")});
    const QString smbnetfs = QStandardPaths::findExecutable(QStringLiteral("smbnetfs"));
    if (smbd.isEmpty() || smbnetfs.isEmpty()) {
        m_skipReason = QStringLiteral("smbd or smbnetfs is not installed (Debian: samba, "
                                      "smbnetfs)");
        return false;
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
        m_skipReason = QStringLiteral("no /dev/fuse: FUSE cannot run here");
        return false;
    }
    const QString root = m_dir.path();
    QDir dir(root);
    for (const char *folder : {"private", "lock", "state", "cache", "served", "mount", "home/.smb"})
        dir.mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root + QStringLiteral("/served"), QFileDevice::Permissions(0x7777));
    if (!writeFile(root + QStringLiteral("/smb.conf"), serverConfiguration(root)) ||
        !writeFile(root + QStringLiteral("/home/.smb/smbnetfs.conf"),
                   "auth \"guest\" \"\"\nsmb_query_browsers \"false\"\n") ||
        !writeFile(root + QStringLiteral("/home/.smb/smb.conf"),
                   "[global]\n  client min protocol = SMB2\n")) {
        m_skipReason = QStringLiteral("cannot write the share's configuration");
        return false;
    }

    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // In a session of its own, made here: on its way out smbd signals its whole process
    // group, which must not be the test's.
    m_server.setChildProcessModifier([] { setsid(); });
    m_server.start(smbd, {QStringLiteral("--foreground"), QStringLiteral("--no-process-group"),
                          QStringLiteral("--configfile=%1/smb.conf").arg(root)});
    if (!m_server.waitForStarted(10000)) {
        m_skipReason = QStringLiteral("smbd does not start: %1").arg(m_server.errorString());
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    m_client.setProcessEnvironment(environment);
    // In the foreground, so that the test owns the client's life.
    m_client.start(smbnetfs, {root + QStringLiteral("/mount"), QStringLiteral("-f")});
    if (!m_client.waitForStarted(10000)) {
        m_skipReason = QStringLiteral("smbnetfs does not start: %1").arg(m_client.errorString());
        return false;
    }
    // The share appears once smbd answers; it is ready once a file written through the
    // mount shows in the served folder.
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (m_server.state() != QProcess::Running || m_client.state() != QProcess::Running)
            break;
        if (writeFile(path() + QStringLiteral("/.probe"), "probe") &&
            QFileInfo::exists(root + QStringLiteral("/served/.probe"))) {
            QFile::remove(path() + QStringLiteral("/.probe"));
            return true;
        }
        QThread::msleep(100);
    }
    if (m_server.state() != QProcess::Running) {
        QFile log(root + QStringLiteral("/smbd.log"));
        const QByteArray said = log.open(QIODevice::ReadOnly) ? log.readAll().right(300) : "";
        m_skipReason = QStringLiteral("smbd stopped (is port 445 taken?): %1")
                           .arg(QString::fromUtf8(said).simplified());
    } else {
        m_skipReason = QStringLiteral("the share did not appear through smbnetfs");
    }
    return false;
}

SambaShare::~SambaShare()
{
    umount2(QFile::encodeName(m_dir.path() + QStringLiteral("/mount")).constData(), MNT_DETACH);
    for (QProcess *process : {&m_client, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill();
        process->waitForFinished(5000);
    }
}
