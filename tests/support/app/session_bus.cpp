#include "tests/support/app/session_bus.h"

#include <QFile>
#include <QStandardPaths>

namespace {

// A session bus that listens in the test's folder and starts nothing by itself.
const char kConfig[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

SessionBus::SessionBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_skipReason = QStringLiteral("dbus-daemon is not installed (package dbus-daemon)");
        return;
    }
    if (!m_dir.isValid()) {
        m_skipReason = QStringLiteral("no temporary folder for the bus");
        return;
    }
    const QString config = m_dir.filePath(QStringLiteral("session.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QString::fromLatin1(kConfig).arg(m_dir.path()).toUtf8()) < 0) {
        m_skipReason = QStringLiteral("the bus configuration could not be written");
        return;
    }
    file.close();
    m_daemon.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                            QStringLiteral("--print-address=1")});
    // The daemon writes its address once it takes connections.
    QByteArray output;
    while (!output.contains('\n') && m_daemon.waitForReadyRead(10000))
        output += m_daemon.readAllStandardOutput();
    m_address = QString::fromUtf8(output.trimmed());
    if (m_address.isEmpty())
        m_skipReason = QStringLiteral("dbus-daemon did not start: ") +
                       QString::fromLocal8Bit(m_daemon.readAllStandardError());
}

SessionBus::~SessionBus()
{
    for (const QString &name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(10000))
            m_daemon.kill();
        m_daemon.waitForFinished();
    }
}

QDBusConnection SessionBus::connect(const QString &name)
{
    m_connections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}
