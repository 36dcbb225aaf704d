// TrayIcon1's state over the scripted desktop: what is sent to the desktop, and when.

#include "app/handler_guard.h"
#include "app/tray_notice.h"
#include "errors/user_error.h"
#include "platform/exe_identity.h"
#include "tests/support/app/scripted_desktop.h"

#include <QtTest>

using Command = Desktop::TrayCommand;

namespace {

const QString kCopied = QStringLiteral("Copié");

QList<Command> commandsOf(const ScriptedDesktop &desktop)
{
    QList<Command> commands;
    for (const auto &send : desktop.traySends())
        commands.append(send.command);
    return commands;
}

// How many times the desktop received a balloon title other than the one it had.
int titleChanges(const ScriptedDesktop &desktop)
{
    int changes = 0;
    QString known;
    for (const auto &send : desktop.traySends()) {
        if (send.record.balloonTitle != known)
            ++changes;
        known = send.record.balloonTitle;
    }
    return changes;
}

} // namespace

class TestTrayNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void absentAtCreation();
    void firstCopySendsTheWholeNotice();
    void sameNameTwiceShowsTwiceSendsTitleOnce();
    void anotherNameSendsTheNewTitle();
    void textsAreCut_data();
    void textsAreCut();
    void cutNeverSplitsACharacter_data();
    void cutNeverSplitsACharacter();
    void focusInSearchBoxRemovesIconOnce();
    void refusedRemovalIsReportedAndIconCountsAbsent();
    void hiddenBalloonIsNotShownAgain();
    void removedIconTakesItsBalloon();
    void changesWhileAbsentSendNothing();
    void destroyedIconLeavesTheArea();

private:
    QString m_title = QStringLiteral("Palvoric");
};

void TestTrayNotice::initTestCase()
{
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/PALVORIC.EXE"));
}

void TestTrayNotice::cleanupTestCase()
{
    platform::overrideExecutablePath(QString());
}

void TestTrayNotice::absentAtCreation()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    QVERIFY(desktop.traySends().isEmpty());
}

void TestTrayNotice::firstCopySendsTheWholeNotice()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);

    QVERIFY(desktop.trayIconPresent());
    QCOMPARE(commandsOf(desktop),
             (QList<Command>{Command::Add, Command::Modify, Command::Modify, Command::Modify}));
    for (const auto &send : desktop.traySends()) {
        QVERIFY(send.accepted);
        QCOMPARE(send.record.tip, m_title);
        QCOMPARE(send.record.balloonTimeoutMs, 10000);
    }
    // The balloon is asked for by the last send only, with the information icon.
    const auto &sends = desktop.traySends();
    QVERIFY(!sends[0].record.balloon);
    QVERIFY(!sends[2].record.balloon);
    QVERIFY(sends[3].record.balloon);
    QCOMPARE(sends[3].record.balloonIcon, TrayRecord::BalloonIcon::Information);
    QCOMPARE(desktop.notices().size(), 1);
    QCOMPARE(desktop.notices().first().title, QStringLiteral("DUPONT Marie 2019"));
    QCOMPARE(desktop.notices().first().text, kCopied);
}

void TestTrayNotice::sameNameTwiceShowsTwiceSendsTitleOnce()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    const QString name = QStringLiteral("DUPONT Marie 2019");
    notice.notify(name, kCopied);
    desktop.hideBalloon();
    notice.notify(name, kCopied);

    QCOMPARE(desktop.notices().size(), 2);
    QCOMPARE(desktop.notices().last().title, name);
    QCOMPARE(titleChanges(desktop), 1);
    // Second copy: present already, same title and text: only the balloon is sent.
    QCOMPARE(desktop.traySends().size(), 5);
    QCOMPARE(desktop.traySends().last().command, Command::Modify);
}

void TestTrayNotice::anotherNameSendsTheNewTitle()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    desktop.hideBalloon();
    notice.notify(QStringLiteral("MARTIN Paul"), kCopied);

    QCOMPARE(titleChanges(desktop), 2);
    QCOMPARE(desktop.traySends().size(), 6);
    QCOMPARE(desktop.notices().size(), 2);
    QCOMPARE(desktop.notices().last().title, QStringLiteral("MARTIN Paul"));
    QCOMPARE(desktop.notices().last().text, kCopied);
}

void TestTrayNotice::textsAreCut_data()
{
    QTest::addColumn<int>("titleLength");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<int>("shownTitle");
    QTest::addColumn<int>("shownText");
    QTest::newRow("short") << 10 << 5 << 10 << 5;
    QTest::newRow("at the limits") << 63 << 255 << 63 << 255;
    QTest::newRow("one over") << 64 << 256 << 63 << 255;
    QTest::newRow("long") << 300 << 1000 << 63 << 255;
}

void TestTrayNotice::textsAreCut()
{
    QFETCH(int, titleLength);
    QFETCH(int, textLength);
    QFETCH(int, shownTitle);
    QFETCH(int, shownText);

    QString title;
    for (int i = 0; i < titleLength; ++i)
        title += QChar(u'A' + i % 26);
    const QString text(textLength, u'x');

    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(title, text);
    QCOMPARE(desktop.notices().size(), 1);
    QCOMPARE(desktop.notices().first().title, title.left(shownTitle));
    QCOMPARE(desktop.notices().first().text, text.left(shownText));

    // The same long name again is the same title: nothing new is sent for it.
    desktop.hideBalloon();
    notice.notify(title, text);
    QCOMPARE(titleChanges(desktop), 1);
    QCOMPARE(desktop.notices().size(), 2);
}

void TestTrayNotice::cutNeverSplitsACharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");
    const QString smile = QStringLiteral("\U0001F600");
    QTest::newRow("pair across the cut")
        << QString(62, u'a') + smile + QStringLiteral("b") << 63 << QString(62, u'a');
    QTest::newRow("pair before the cut")
        << QString(61, u'a') + smile + QStringLiteral("b") << 63 << QString(61, u'a') + smile;
    QTest::newRow("short") << smile << 63 << smile;
    QTest::newRow("nothing left") << smile << 1 << QString();
}

void TestTrayNotice::cutNeverSplitsACharacter()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, expected);
    QCOMPARE(cutTrayText(text, length), expected);
}

void TestTrayNotice::focusInSearchBoxRemovesIconOnce()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    const auto sendsBefore = desktop.traySends().size();

    QVERIFY(runGuarded(desktop, [&] { notice.hide(); }));
    QVERIFY(!desktop.trayIconPresent());
    QCOMPARE(desktop.traySends().size(), sendsBefore + 1);
    QCOMPARE(desktop.traySends().last().command, Command::Delete);

    QVERIFY(runGuarded(desktop, [&] { notice.hide(); }));
    QCOMPARE(desktop.traySends().size(), sendsBefore + 1);
    QVERIFY(desktop.errorBoxes().isEmpty());
}

void TestTrayNotice::refusedRemovalIsReportedAndIconCountsAbsent()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    desktop.setTrayDeleteRefused(true);

    QVERIFY_THROWS_EXCEPTION(palvoric::UserError, notice.hide());
    QVERIFY(!desktop.traySends().last().accepted);

    // A second focus change finds it absent: nothing sent, nothing reported.
    const auto sends = desktop.traySends().size();
    notice.hide();
    QCOMPARE(desktop.traySends().size(), sends);

    // Through the guard the user sees the standard error box.
    ScriptedDesktop other;
    TrayNotice shown(other);
    shown.notify(QStringLiteral("x"), kCopied);
    other.setTrayDeleteRefused(true);
    QVERIFY(!runGuarded(other, [&] { shown.hide(); }));
    QCOMPARE(other.errorBoxes().size(), 1);
    QCOMPARE(other.errorBoxes().first().title, m_title);
    QCOMPARE(other.errorBoxes().first().text,
             QStringLiteral("Impossible de supprimer l'icône de notification de shell."));
}

void TestTrayNotice::hiddenBalloonIsNotShownAgain()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    QVERIFY(desktop.balloonShowing());
    desktop.hideBalloon();

    // Changing the title alone must not bring the balloon back.
    notice.setBalloonTitle(QStringLiteral("MARTIN Paul"));
    QCOMPARE(desktop.traySends().last().command, Command::Modify);
    QVERIFY(!desktop.traySends().last().record.balloon);
    QCOMPARE(desktop.notices().size(), 1);
}

void TestTrayNotice::removedIconTakesItsBalloon()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    notice.hide();
    QVERIFY(!desktop.balloonShowing());

    // Back at the next copy: added without a balloon, which comes with the last step.
    notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    const auto &sends = desktop.traySends();
    QCOMPARE(sends[sends.size() - 2].command, Command::Add);
    QVERIFY(!sends[sends.size() - 2].record.balloon);
    QVERIFY(sends.last().record.balloon);
    QCOMPARE(desktop.notices().size(), 2);
}

void TestTrayNotice::changesWhileAbsentSendNothing()
{
    ScriptedDesktop desktop;
    TrayNotice notice(desktop);
    notice.setBalloonTitle(QStringLiteral("DUPONT"));
    notice.setBalloonHint(kCopied);
    notice.showBalloonHint();
    QVERIFY(desktop.traySends().isEmpty());

    // What was set is in the record the icon is added with; the balloon asked for while
    // absent is not.
    notice.show();
    QCOMPARE(desktop.traySends().size(), 1);
    QCOMPARE(desktop.traySends().first().record.balloonTitle, QStringLiteral("DUPONT"));
    QCOMPARE(desktop.traySends().first().record.balloonText, kCopied);
    QVERIFY(!desktop.traySends().first().record.balloon);
    notice.show();
    QCOMPARE(desktop.traySends().size(), 1);
}

void TestTrayNotice::destroyedIconLeavesTheArea()
{
    ScriptedDesktop desktop;
    {
        TrayNotice notice(desktop);
        notice.notify(QStringLiteral("DUPONT Marie 2019"), kCopied);
    }
    QVERIFY(!desktop.trayIconPresent());
    QCOMPARE(desktop.traySends().last().command, Command::Delete);
    // A late report from the desktop reaches nobody.
    desktop.hideBalloon();

    ScriptedDesktop untouched;
    {
        TrayNotice notice(untouched);
    }
    QVERIFY(untouched.traySends().isEmpty());
}

QTEST_MAIN(TestTrayNotice)
#include "tst_tray_notice.moc"
