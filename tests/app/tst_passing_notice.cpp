// The tray notice of the real desktop where there is no notification area (offscreen,
// bare X servers) and no notification service either: a passing notice with the
// balloon's title and text that takes no focus and goes away by itself; and what the
// real desktop refuses.

#include "app/passing_notice.h"
#include "app/qt_desktop.h"
#include "app/tray_notice.h"
#include "platform/exe_identity.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QtTest>

using Command = Desktop::TrayCommand;

namespace {

const QString kCopied = QStringLiteral("Copié");

// A bus that is not there: no notification service to take the notice.
QDBusConnection noBus()
{
    return QDBusConnection(QStringLiteral("no bus"));
}

} // namespace

class TestPassingNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void passingNoticeWithoutNotificationArea();
    void passingNoticeGoesAwayByItself();
    void realDesktopRefusesUnknownIcon();
};

void TestPassingNotice::initTestCase()
{
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/PALVORIC.EXE"));
}

void TestPassingNotice::cleanupTestCase()
{
    platform::overrideExecutablePath(QString());
}

void TestPassingNotice::passingNoticeWithoutNotificationArea()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a notification area");

    QLineEdit editor;
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&editor));

    QtDesktop desktop(noBus());
    {
        TrayNotice notice(desktop);
        notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
        QVERIFY(desktop.trayIconPresent());
        QVERIFY(!desktop.systemTrayIcon());
        PassingNotice *shown = desktop.passingNotice();
        QVERIFY(shown);
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->title(), QStringLiteral("DUPONT Marie 2019"));
        QCOMPARE(shown->text(), kCopied);
        QVERIFY(shown->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(shown->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(shown->windowFlags().testFlag(Qt::FramelessWindowHint));

        // Near the bottom-right corner of the work area, inside it.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect where = shown->frameGeometry();
        QVERIFY(area.contains(where));
        QVERIFY(where.right() > area.center().x());
        QVERIFY(where.bottom() > area.center().y());

        // The focus stays where the user was.
        QCOMPARE(QApplication::activeWindow(), &editor);
        QCOMPARE(QApplication::focusWidget(), &editor);

        notice.hide();
        QVERIFY(!shown->isVisible());
        QVERIFY(!desktop.trayIconPresent());
    }
}

void TestPassingNotice::passingNoticeGoesAwayByItself()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a notification area");

    QtDesktop desktop(noBus());
    int hiddenReports = 0;
    desktop.setTrayBalloonHiddenHandler([&] { ++hiddenReports; });
    TrayRecord record;
    record.balloonTitle = QStringLiteral("DUPONT");
    record.balloonText = kCopied;
    record.balloon = true;
    record.balloonTimeoutMs = 50;
    QVERIFY(desktop.sendTrayRecord(Command::Add, TrayRecord{}));
    QVERIFY(desktop.sendTrayRecord(Command::Modify, record));
    QVERIFY(desktop.passingNotice());
    QVERIFY(desktop.passingNotice()->isVisible());
    QTRY_VERIFY(!desktop.passingNotice()->isVisible());
    QCOMPARE(hiddenReports, 1);
    // The icon itself stays until it is taken out.
    QVERIFY(desktop.trayIconPresent());
    QVERIFY(desktop.sendTrayRecord(Command::Delete, TrayRecord{}));
}

void TestPassingNotice::realDesktopRefusesUnknownIcon()
{
    QtDesktop desktop(noBus());
    QVERIFY(!desktop.sendTrayRecord(Command::Delete, TrayRecord{}));
    QVERIFY(!desktop.sendTrayRecord(Command::Modify, TrayRecord{}));
    QVERIFY(desktop.sendTrayRecord(Command::Add, TrayRecord{}));
    QVERIFY(!desktop.sendTrayRecord(Command::Add, TrayRecord{}));
    QVERIFY(desktop.sendTrayRecord(Command::Delete, TrayRecord{}));
    QVERIFY(!desktop.trayIconPresent());
}

QTEST_MAIN(TestPassingNotice)
#include "tst_passing_notice.moc"
