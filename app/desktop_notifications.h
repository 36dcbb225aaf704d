#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;

// The desktop's notification service, org.freedesktop.Notifications on the session bus
// (GNOME Shell, KDE Plasma, the notification daemons of lighter desktops). Where there is
// no notification area, the tray notice's balloon goes there. Each notice replaces the
// one sent before (replaces_id), so that copies in a row do not pile up. Calls are
// asynchronous: the window never waits for the desktop.
class DesktopNotifications : public QObject
{
    Q_OBJECT
public:
    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

    explicit DesktopNotifications(const QDBusConnection &bus, QObject *parent = nullptr);

    // False when there is no bus to send on: the caller shows the notice another way.
    // Otherwise the notice is on its way, and refused() follows when no service takes it.
    bool show(const QString &title, const QString &text, int timeoutMs);
    // Takes the notice shown last off the screen, when the service still shows it.
    void close();

Q_SIGNALS:
    // No service took the notice (none on the bus, or it answered with an error).
    void refused(const QString &title, const QString &text, int timeoutMs);
    // The notice the service showed has gone, whatever took it away.
    void closed();

private Q_SLOTS:
    void onNotificationClosed(uint id, uint reason);

private:
    struct Notice
    {
        QString title;
        QString text;
        int timeoutMs = 0;
    };
    void send(const Notice &notice);
    void onNotifyAnswered(QDBusPendingCallWatcher *call, const Notice &notice);

    QDBusConnection m_bus;
    uint m_shownId = 0; // the notice on the screen, as the service numbers it (0: none)
    bool m_waiting = false;
    bool m_closeWhenAnswered = false;
    std::optional<Notice> m_next; // asked for while the service had not answered yet
};
