#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>
#include <QString>
#include <QVariantMap>

// A notification service (org.freedesktop.Notifications) that records what it is sent
// and shows nothing: it numbers each notice as a desktop would, keeps the number of a
// notice that replaces another, and says on the bus when a notice closes.
class RecordingNotifications : public QDBusVirtualObject
{
    Q_OBJECT
public:
    struct Notice
    {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout = 0;
        uint id = 0; // the number the service answered
    };

    // Owns the service's name on bus; isRegistered() tells whether it could.
    explicit RecordingNotifications(const QDBusConnection &bus);
    ~RecordingNotifications() override;

    bool isRegistered() const { return m_registered; }
    // From now on, Notify answers with this D-Bus error ("" to accept again).
    void refuseWith(const QString &errorName) { m_refusal = errorName; }
    // The notice goes, as when the user dismisses it: NotificationClosed on the bus.
    void closeNotice(uint id, uint reason);

    const QList<Notice> &notices() const { return m_notices; }
    const QList<uint> &closeRequests() const { return m_closeRequests; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    QString m_refusal;
    uint m_lastId = 0;
    QList<Notice> m_notices;
    QList<uint> m_closeRequests;
};
