#include "tests/support/app/recording_notifications.h"

#include <QDBusArgument>
#include <QDBusMessage>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// The reasons of NotificationClosed: 3 is "closed by a call to CloseNotification".
constexpr uint kClosedByCall = 3;

QVariantMap hintsOf(const QVariant &argument)
{
    if (argument.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(argument.value<QDBusArgument>());
    return argument.toMap();
}

} // namespace

RecordingNotifications::RecordingNotifications(const QDBusConnection &bus) : m_bus(bus)
{
    m_registered = m_bus.isConnected() && m_bus.registerVirtualObject(kPath, this) &&
                   m_bus.registerService(kService);
}

RecordingNotifications::~RecordingNotifications()
{
    if (m_bus.isConnected()) {
        m_bus.unregisterService(kService);
        m_bus.unregisterObject(kPath);
    }
}

void RecordingNotifications::closeNotice(uint id, uint reason)
{
    QDBusMessage closed =
        QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("NotificationClosed"));
    closed << id << reason;
    m_bus.send(closed);
}

QString RecordingNotifications::introspect(const QString &) const
{
    return QString();
}

bool RecordingNotifications::handleMessage(const QDBusMessage &message,
                                           const QDBusConnection &connection)
{
    if (message.interface() != kInterface)
        return false;
    const QList<QVariant> arguments = message.arguments();
    if (message.member() == QStringLiteral("Notify") && arguments.size() == 8) {
        if (!m_refusal.isEmpty()) {
            connection.send(message.createErrorReply(m_refusal, QStringLiteral("refused")));
            return true;
        }
        Notice notice;
        notice.appName = arguments[0].toString();
        notice.replacesId = arguments[1].toUInt();
        notice.appIcon = arguments[2].toString();
        notice.summary = arguments[3].toString();
        notice.body = arguments[4].toString();
        notice.actions = arguments[5].toStringList();
        notice.hints = hintsOf(arguments[6]);
        notice.expireTimeout = arguments[7].toInt();
        // A notice that replaces one still shown keeps its number.
        const bool replaces = notice.replacesId != 0 && notice.replacesId <= m_lastId;
        notice.id = replaces ? notice.replacesId : ++m_lastId;
        m_notices.append(notice);
        connection.send(message.createReply(QVariant::fromValue(notice.id)));
        return true;
    }
    if (message.member() == QStringLiteral("CloseNotification") && arguments.size() == 1) {
        const uint id = arguments[0].toUInt();
        m_closeRequests.append(id);
        connection.send(message.createReply());
        closeNotice(id, kClosedByCall);
        return true;
    }
    if (message.member() == QStringLiteral("GetCapabilities")) {
        connection.send(message.createReply(QStringList{QStringLiteral("body")}));
        return true;
    }
    return false;
}
