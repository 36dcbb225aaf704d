// The copy's notice where the desktop has no notification area: through the desktop's
// notification service on a session bus of the test's own, and the passing notice of the
// program's own where no service takes it.
#include "app/desktop_notifications.h"
#include "app/passing_notice.h"
#include "app/qt_desktop.h"
#include "app/tray_notice.h"
#include "platform/exe_identity.h"
#include "tests/support/app/recording_notifications.h"
#include "tests/support/app/session_bus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

namespace {

const QString kCopied = QStringLiteral("Copié");
// The bus itself, which answers for a service that is not there.
const QString kBusService = QStringLiteral("org.freedesktop.DBus");
constexpr int kTimeout = 10000;

} // namespace

class TestDesktopNotifications : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void noticeGoesToTheService();
    void nextNoticeReplacesTheOneBefore();
    void noticesInARowWaitForTheNumber();
    void closedNoticeIsNotReplaced();
    void closeTakesTheNoticeOff();
    void closeBeforeTheAnswer();
    void otherNoticesClosingAreIgnored();
    void noServiceRefuses();
    void serviceErrorRefuses();
    void noBusSendsNothing();

    void copyNoticeWithoutNotificationArea();
    void passingNoticeWhereNoServiceAnswers();

private:
    QDBusConnection client() const { return QDBusConnection(m_clientName); }
    // A call to service and its answer: what service sent the client before has arrived.
    void roundTrip(const QString &service);

    std::unique_ptr<SessionBus> m_bus;
    std::unique_ptr<RecordingNotifications> m_service;
    QString m_clientName;
    int m_round = 0;
};

void TestDesktopNotifications::initTestCase()
{
    m_bus = std::make_unique<SessionBus>();
    if (!m_bus->isRunning())
        QSKIP(qPrintable(m_bus->skipReason()));
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/Palvoric"));
}

void TestDesktopNotifications::init()
{
    // A connection of its own for each case: nothing waits from the case before.
    ++m_round;
    m_service = std::make_unique<RecordingNotifications>(
        m_bus->connect(QStringLiteral("service%1").arg(m_round)));
    QVERIFY(m_service->isRegistered());
    m_clientName = QStringLiteral("client%1").arg(m_round);
    QVERIFY(m_bus->connect(m_clientName).isConnected());
}

void TestDesktopNotifications::cleanup()
{
    m_service.reset();
}

void TestDesktopNotifications::cleanupTestCase()
{
    m_service.reset();
    m_bus.reset();
    platform::overrideExecutablePath(QString());
}

void TestDesktopNotifications::roundTrip(const QString &service)
{
    const bool toBus = service == kBusService;
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        service, toBus ? QStringLiteral("/org/freedesktop/DBus") : DesktopNotifications::kPath,
        toBus ? kBusService : DesktopNotifications::kInterface,
        toBus ? QStringLiteral("GetId") : QStringLiteral("GetCapabilities"));
    QDBusPendingCallWatcher answer(client().asyncCall(ping));
    QSignalSpy answered(&answer, &QDBusPendingCallWatcher::finished);
    QVERIFY(answered.wait());
    QVERIFY(!answer.isError());
}

void TestDesktopNotifications::noticeGoesToTheService()
{
    DesktopNotifications notifications(client());
    QVERIFY(notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout));
    QTRY_COMPARE(m_service->notices().size(), 1);
    const RecordingNotifications::Notice &notice = m_service->notices().first();
    QCOMPARE(notice.appName, QStringLiteral("Palvoric"));
    QCOMPARE(notice.replacesId, 0u);
    QCOMPARE(notice.appIcon, QStringLiteral("palvoric"));
    QCOMPARE(notice.summary, QStringLiteral("DUPONT Marie 2019"));
    QCOMPARE(notice.body, kCopied);
    QCOMPARE(notice.actions, QStringList());
    QCOMPARE(notice.expireTimeout, kTimeout);
    // The desktop finds the program's entry, and keeps no list of passing confirmations.
    QCOMPARE(notice.hints.value(QStringLiteral("desktop-entry")).toString(),
             QStringLiteral("org.palvoric.Palvoric"));
    QCOMPARE(notice.hints.value(QStringLiteral("transient")).toBool(), true);
}

void TestDesktopNotifications::nextNoticeReplacesTheOneBefore()
{
    DesktopNotifications notifications(client());
    notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 1);
    notifications.show(QStringLiteral("MARTIN Paul"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 2);
    QCOMPARE(m_service->notices()[1].replacesId, m_service->notices()[0].id);
    QCOMPARE(m_service->notices()[1].summary, QStringLiteral("MARTIN Paul"));
}

void TestDesktopNotifications::noticesInARowWaitForTheNumber()
{
    DesktopNotifications notifications(client());
    for (const char *name : {"DUPONT Marie 2019", "DUPONT Jean", "DURAND Paul"})
        notifications.show(QString::fromUtf8(name), kCopied, kTimeout);
    // The first goes at once; of those asked for before its answer, only the last follows,
    // replacing it.
    QTRY_COMPARE(m_service->notices().size(), 2);
    QCOMPARE(m_service->notices()[0].summary, QStringLiteral("DUPONT Marie 2019"));
    QCOMPARE(m_service->notices()[1].summary, QStringLiteral("DURAND Paul"));
    QCOMPARE(m_service->notices()[1].replacesId, m_service->notices()[0].id);
}

void TestDesktopNotifications::closedNoticeIsNotReplaced()
{
    DesktopNotifications notifications(client());
    QSignalSpy closed(&notifications, &DesktopNotifications::closed);
    notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 1);
    // Dismissed by the user: a new notice is a new one.
    m_service->closeNotice(m_service->notices()[0].id, 2);
    QTRY_COMPARE(closed.size(), 1);
    notifications.show(QStringLiteral("MARTIN Paul"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 2);
    QCOMPARE(m_service->notices()[1].replacesId, 0u);
}

void TestDesktopNotifications::closeTakesTheNoticeOff()
{
    DesktopNotifications notifications(client());
    QSignalSpy closed(&notifications, &DesktopNotifications::closed);
    notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 1);
    notifications.close();
    QTRY_COMPARE(m_service->closeRequests(), QList<uint>{m_service->notices()[0].id});
    QTRY_COMPARE(closed.size(), 1);
    // Nothing left to take off.
    notifications.close();
    notifications.show(QStringLiteral("MARTIN Paul"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 2);
    QCOMPARE(m_service->closeRequests().size(), 1);
}

void TestDesktopNotifications::closeBeforeTheAnswer()
{
    DesktopNotifications notifications(client());
    notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout);
    notifications.close();
    QTRY_COMPARE(m_service->closeRequests().size(), 1);
    QCOMPARE(m_service->notices().size(), 1);
    QCOMPARE(m_service->closeRequests().first(), m_service->notices()[0].id);
}

void TestDesktopNotifications::otherNoticesClosingAreIgnored()
{
    DesktopNotifications notifications(client());
    QSignalSpy closed(&notifications, &DesktopNotifications::closed);
    notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 1);
    const uint ours = m_service->notices()[0].id;
    // Every program's notices close on the same bus.
    m_service->closeNotice(ours + 100, 1);
    roundTrip(DesktopNotifications::kService);
    QVERIFY(closed.isEmpty());
    notifications.show(QStringLiteral("MARTIN Paul"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 2);
    QCOMPARE(m_service->notices()[1].replacesId, ours);
}

void TestDesktopNotifications::noServiceRefuses()
{
    m_service.reset();
    DesktopNotifications notifications(client());
    QSignalSpy refused(&notifications, &DesktopNotifications::refused);
    QVERIFY(notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout));
    QTRY_COMPARE(refused.size(), 1);
    QCOMPARE(refused[0][0].toString(), QStringLiteral("DUPONT Marie 2019"));
    QCOMPARE(refused[0][1].toString(), kCopied);
    QCOMPARE(refused[0][2].toInt(), kTimeout);
}

void TestDesktopNotifications::serviceErrorRefuses()
{
    m_service->refuseWith(QStringLiteral("org.freedesktop.DBus.Error.Failed"));
    DesktopNotifications notifications(client());
    QSignalSpy refused(&notifications, &DesktopNotifications::refused);
    notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout);
    QTRY_COMPARE(refused.size(), 1);
    // A service that recovers takes the next notice as a new one.
    m_service->refuseWith(QString());
    notifications.show(QStringLiteral("MARTIN Paul"), kCopied, kTimeout);
    QTRY_COMPARE(m_service->notices().size(), 1);
    QCOMPARE(m_service->notices()[0].replacesId, 0u);
}

void TestDesktopNotifications::noBusSendsNothing()
{
    DesktopNotifications notifications(QDBusConnection(QStringLiteral("not connected")));
    QSignalSpy refused(&notifications, &DesktopNotifications::refused);
    QVERIFY(!notifications.show(QStringLiteral("DUPONT Marie 2019"), kCopied, kTimeout));
    QVERIFY(refused.isEmpty());
}

void TestDesktopNotifications::copyNoticeWithoutNotificationArea()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a notification area");
    QtDesktop desktop(client());
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    QTRY_COMPARE(m_service->notices().size(), 1);
    QCOMPARE(m_service->notices()[0].summary, QStringLiteral("DUPONT Marie 2019"));
    QCOMPARE(m_service->notices()[0].body, kCopied);
    QCOMPARE(m_service->notices()[0].expireTimeout, TrayNotice::kBalloonTimeoutMs);
    QVERIFY(!desktop.passingNotice());

    // The next copy replaces it (its new title first, then the balloon, as the record
    // changes); the service closing it tells the tray notice.
    notice.notify(QStringLiteral("MARTIN Paul"), kCopied);
    QTRY_COMPARE(m_service->notices().size(), 3);
    for (qsizetype i = 1; i < 3; ++i) {
        QCOMPARE(m_service->notices()[i].summary, QStringLiteral("MARTIN Paul"));
        QCOMPARE(m_service->notices()[i].body, kCopied);
        QCOMPARE(m_service->notices()[i].replacesId, m_service->notices()[0].id);
    }
    QVERIFY(notice.balloonRequested());
    m_service->closeNotice(m_service->notices()[0].id, 1);
    QTRY_VERIFY(!notice.balloonRequested());

    // A new notice after that one closed; taking the icon out takes it off the screen.
    notice.notify(QStringLiteral("DURAND Paul"), kCopied);
    QTRY_COMPARE(m_service->notices().size(), 4);
    QCOMPARE(m_service->notices()[3].summary, QStringLiteral("DURAND Paul"));
    QCOMPARE(m_service->notices()[3].replacesId, 0u);
    notice.hide();
    QTRY_COMPARE(m_service->closeRequests(), QList<uint>{m_service->notices()[3].id});
    QVERIFY(!desktop.passingNotice());
}

void TestDesktopNotifications::passingNoticeWhereNoServiceAnswers()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a notification area");
    m_service.reset();
    QtDesktop desktop(client());
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    QTRY_VERIFY(desktop.passingNotice() && desktop.passingNotice()->isVisible());
    QCOMPARE(desktop.passingNotice()->title(), QStringLiteral("DUPONT Marie 2019"));
    QCOMPARE(desktop.passingNotice()->text(), kCopied);
    notice.hide();
    QVERIFY(!desktop.passingNotice()->isVisible());

    // A refusal that arrives after the icon was taken out shows nothing.
    notice.notify(QStringLiteral("MARTIN Paul"), kCopied);
    notice.hide();
    roundTrip(kBusService);
    QCOMPARE(desktop.passingNotice()->title(), QStringLiteral("DUPONT Marie 2019"));
    QVERIFY(!desktop.passingNotice()->isVisible());
}

QTEST_MAIN(TestDesktopNotifications)
#include "tst_desktop_notifications.moc"
