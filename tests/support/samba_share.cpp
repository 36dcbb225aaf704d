#include "tests/support/samba_share.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <iterator>

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

QString SambaShare::path(int client) const
{
    return m_dir.path() + QStringLiteral("/mount%1/127.0.0.1/partage").arg(client);
}

QString SambaShare::throughClient(const QString &path, int client) const
{
    for (int other = 0; other < kClients; ++other) {
        const QString base = this->path(other);
        if (path == base || path.startsWith(base + u'/'))
            return this->path(client) + path.mid(base.size());
    }
    return path;
}

// Each client with a home of its own, as on its own workstation.
bool SambaShare::mountClient(int client, const QString &smbnetfs)
{
    const QString root = m_dir.path();
    const QString home = root + QStringLiteral("/home%1").arg(client);
    if (!QDir().mkpath(home + QStringLiteral("/.smb")) ||
        !QDir().mkpath(root + QStringLiteral("/mount%1").arg(client)) ||
        !writeFile(home + QStringLiteral("/.smb/smbnetfs.conf"),
                   "auth \"guest\" \"\"\nsmb_query_browsers \"false\"\n") ||
        !writeFile(home + QStringLiteral("/.smb/smb.conf"),
                   "[global]\n  client min protocol = SMB2\n")) {
        m_skipReason = QStringLiteral("cannot write the share's configuration");
        return false;
    }
    QProcess &process = m_clients[client];
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    process.setProcessEnvironment(environment);
    // In the foreground, so that the test owns the client's life.
    process.start(smbnetfs, {root + QStringLiteral("/mount%1").arg(client), QStringLiteral("-f")});
    if (!process.waitForStarted(10000)) {
        m_skipReason = QStringLiteral("smbnetfs does not start: %1").arg(process.errorString());
        return false;
    }
    return true;
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
    for (const char *folder : {"private", "lock", "state", "cache", "served"})
        dir.mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root + QStringLiteral("/served"), QFileDevice::Permissions(0x7777));
    if (!writeFile(root + QStringLiteral("/smb.conf"), serverConfiguration(root))) {
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
    for (int client = 0; client < kClients; ++client) {
        if (!mountClient(client, smbnetfs))
            return false;
    }
    // The share appears once smbd answers; it is ready once a file written through each
    // mount shows in the served folder.
    const QDeadlineTimer deadline(20000);
    int ready = 0;
    while (!deadline.hasExpired()) {
        if (m_server.state() != QProcess::Running ||
            std::any_of(std::begin(m_clients), std::end(m_clients),
                        [](const QProcess &client) { return client.state() != QProcess::Running; }))
            break;
        const QString probe = QStringLiteral("/.probe%1").arg(ready);
        if (writeFile(path(ready) + probe, "probe") &&
            QFileInfo::exists(root + QStringLiteral("/served") + probe)) {
            QFile::remove(path(ready) + probe);
            if (++ready == kClients)
                return true;
            continue;
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
    for (int client = 0; client < kClients; ++client) {
        umount2(
            QFile::encodeName(m_dir.path() + QStringLiteral("/mount%1").arg(client)).constData(),
            MNT_DETACH);
    }
    for (QProcess *process : {&m_clients[0], &m_clients[1], &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill();
        process->waitForFinished(5000);
    }
}
