#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A session bus of the test's own: a dbus-daemon started for it and stopped with it, so
// that a test owns names such as org.freedesktop.Notifications without meeting the
// desktop's. The bus activates no service: a name is there only when a test owns it.
// When dbus-daemon cannot be started, isRunning() is false and skipReason() says why.
class SessionBus
{
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus &) = delete;
    SessionBus &operator=(const SessionBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString skipReason() const { return m_skipReason; }
    QString address() const { return m_address; }

    // A new connection to the bus under name (each name once per bus).
    QDBusConnection connect(const QString &name);

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_skipReason;
    QStringList m_connections;
};
