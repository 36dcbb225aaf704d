#include "app/desktop_notifications.h"

#include "app/app_resources.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

DesktopNotifications::DesktopNotifications(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    if (m_bus.isConnected()) {
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                      SLOT(onNotificationClosed(uint, uint)));
    }
}

bool DesktopNotifications::show(const QString &title, const QString &text, int timeoutMs)
{
    if (!m_bus.isConnected())
        return false;
    const Notice notice{title, text, timeoutMs};
    // The number to replace is the service's answer to the notice before: wait for it.
    if (m_waiting) {
        m_next = notice;
        m_closeWhenAnswered = false;
        return true;
    }
    send(notice);
    return true;
}

void DesktopNotifications::send(const Notice &notice)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopEntryName));
    // A confirmation that passes by: not kept in the desktop's list of notices.
    hints.insert(QStringLiteral("transient"), true);
    call << QStringLiteral("Palvoric") << m_shownId << QStringLiteral("palvoric") << notice.title
         << notice.text << QStringList() << hints << notice.timeoutMs;
    m_waiting = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this,
        [this, notice](QDBusPendingCallWatcher *answered) { onNotifyAnswered(answered, notice); });
}

void DesktopNotifications::onNotifyAnswered(QDBusPendingCallWatcher *call, const Notice &notice)
{
    call->deleteLater();
    m_waiting = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        m_shownId = 0;
        m_closeWhenAnswered = false;
        m_next.reset();
        Q_EMIT refused(notice.title, notice.text, notice.timeoutMs);
        return;
    }
    m_shownId = reply.value();
    if (m_next) {
        const Notice next = *m_next;
        m_next.reset();
        send(next);
    } else if (m_closeWhenAnswered) {
        m_closeWhenAnswered = false;
        close();
    }
}

void DesktopNotifications::close()
{
    if (m_waiting) {
        m_next.reset();
        m_closeWhenAnswered = true;
        return;
    }
    if (m_shownId == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("CloseNotification"));
    call << m_shownId;
    m_bus.asyncCall(call);
}

void DesktopNotifications::onNotificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason);
    if (id == 0 || id != m_shownId)
        return;
    m_shownId = 0;
    Q_EMIT closed();
}
