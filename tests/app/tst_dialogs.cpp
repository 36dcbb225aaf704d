// The dialog routines on the real dialog (offscreen) and on the scripted desktop: the
// result of every way out, what each routine asks, the standard error box, and the
// chooser and clipboard of the real desktop.

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/qt_desktop.h"
#include "platform/exe_identity.h"
#include "tests/app/modal_driver.h"
#include "tests/support/app/scripted_desktop.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QWindow>

using Kind = Desktop::DialogKind;

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void messageDialogResults_data();
    void messageDialogResults();
    void escapeWithoutCancelButtonDoesNothing();
    void alertBoxIsTrueOnEveryWayOut_data();
    void alertBoxIsTrueOnEveryWayOut();
    void confirmBoxIsTrueOnlyForOk_data();
    void confirmBoxIsTrueOnlyForOk();
    void routinesAskTheDesktop();
    void scriptedDialogWithoutAnswer_data();
    void scriptedDialogWithoutAnswer();
    void scriptedAnswersInOrder();
    void errorBoxText_data();
    void errorBoxText();
    void standardErrorBoxOnScripted();
    void standardErrorBoxOnScreen();
    void realFolderChooser_data();
    void realFolderChooser();
    void realClipboard();
    void dialogsBelongToTheMainWindow_data();
    void dialogsBelongToTheMainWindow();

private:
    QtDesktop m_desktop;
    ModalDriver m_driver;
};

void TestDialogs::initTestCase()
{
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/PALVORIC.EXE"));
    QCOMPARE(platform::programTitle(), QStringLiteral("Palvoric"));
}

void TestDialogs::cleanupTestCase()
{
    platform::overrideExecutablePath(QString());
}

void TestDialogs::messageDialogResults_data()
{
    using Button = Desktop::Button;
    QTest::addColumn<Desktop::Buttons>("buttons");
    QTest::addColumn<Button>("defaultButton");
    QTest::addColumn<WayOut>("way");
    QTest::addColumn<Button>("expected");

    const Desktop::Buttons ok = Button::Ok;
    const Desktop::Buttons okCancel = Button::Ok | Button::Cancel;
    const Desktop::Buttons all = Button::Ok | Button::Cancel | Button::Close;
    const Desktop::Buttons close = Button::Close;
    QTest::newRow("OK, Enter") << ok << Button::None << WayOut::Enter << Button::Ok;
    QTest::newRow("OK, Esc") << ok << Button::None << WayOut::Escape << Button::Ok;
    QTest::newRow("OK, close box") << ok << Button::None << WayOut::CloseBox << Button::Cancel;
    QTest::newRow("OK, click") << ok << Button::None << WayOut::ClickOk << Button::Ok;
    QTest::newRow("OK+Cancel, Enter") << okCancel << Button::None << WayOut::Enter << Button::Ok;
    QTest::newRow("OK+Cancel, Esc") << okCancel << Button::None << WayOut::Escape << Button::Cancel;
    QTest::newRow("OK+Cancel, close box")
        << okCancel << Button::None << WayOut::CloseBox << Button::Cancel;
    QTest::newRow("OK+Cancel, click Cancel")
        << okCancel << Button::None << WayOut::ClickCancel << Button::Cancel;
    QTest::newRow("OK+Cancel default Cancel, Enter")
        << okCancel << Button::Cancel << WayOut::Enter << Button::Cancel;
    QTest::newRow("all three, click Close")
        << all << Button::None << WayOut::ClickClose << Button::Close;
    QTest::newRow("all three default Close, Enter")
        << all << Button::Close << WayOut::Enter << Button::Close;
    QTest::newRow("Close only, click")
        << close << Button::None << WayOut::ClickClose << Button::Close;
    QTest::newRow("Close only, close box")
        << close << Button::None << WayOut::CloseBox << Button::Cancel;
}

void TestDialogs::messageDialogResults()
{
    QFETCH(Desktop::Buttons, buttons);
    QFETCH(Desktop::Button, defaultButton);
    QFETCH(WayOut, way);
    QFETCH(Desktop::Button, expected);

    const Desktop::Button result = m_driver.run(
        [&] {
            return messageDialog(m_desktop, QStringLiteral("Déplacer le dossier ?"),
                                 Kind::Confirmation, buttons, defaultButton);
        },
        [&](QDialog *dialog) { takeWayOut(dialog, way); });
    QVERIFY(m_driver.acted());
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(result, expected);
}

void TestDialogs::escapeWithoutCancelButtonDoesNothing()
{
    bool stillOpen = false;
    const Desktop::Button result = m_driver.run(
        [&] {
            return messageDialog(m_desktop, QStringLiteral("Style 'X' non trouvé"), Kind::Error,
                                 Desktop::Button::Close);
        },
        [&](QDialog *dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            stillOpen = dialog->isVisible();
            takeWayOut(dialog, WayOut::ClickClose);
        });
    QVERIFY(stillOpen);
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(result, Desktop::Button::Close);
}

void TestDialogs::alertBoxIsTrueOnEveryWayOut_data()
{
    QTest::addColumn<WayOut>("way");
    QTest::newRow("OK") << WayOut::ClickOk;
    QTest::newRow("Enter") << WayOut::Enter;
    QTest::newRow("Esc") << WayOut::Escape;
    QTest::newRow("close box") << WayOut::CloseBox;
}

void TestDialogs::alertBoxIsTrueOnEveryWayOut()
{
    QFETCH(WayOut, way);
    const bool result = m_driver.run(
        [&] {
            return int(alertBox(m_desktop, QStringLiteral("La liste est vide !"), Kind::Warning));
        },
        [&](QDialog *dialog) { takeWayOut(dialog, way); });
    QVERIFY(m_driver.acted());
    QVERIFY(!m_driver.dialogLeftOpen());
    QVERIFY(result);
}

void TestDialogs::confirmBoxIsTrueOnlyForOk_data()
{
    QTest::addColumn<WayOut>("way");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Enter right away") << WayOut::Enter << true;
    QTest::newRow("OK") << WayOut::ClickOk << true;
    QTest::newRow("Cancel") << WayOut::ClickCancel << false;
    QTest::newRow("Esc") << WayOut::Escape << false;
    QTest::newRow("close box") << WayOut::CloseBox << false;
}

void TestDialogs::confirmBoxIsTrueOnlyForOk()
{
    QFETCH(WayOut, way);
    QFETCH(bool, expected);
    const int result = m_driver.run(
        [&] {
            return int(
                confirmBox(m_desktop, QStringLiteral("Déposer 2 fichiers ?"), Kind::Confirmation));
        },
        [&](QDialog *dialog) { takeWayOut(dialog, way); });
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(bool(result), expected);
}

void TestDialogs::routinesAskTheDesktop()
{
    ScriptedDesktop desktop;
    for (int i = 0; i < 4; ++i)
        desktop.setNextAnswer(Desktop::Button::Ok);

    infoBox(desktop, QStringLiteral("info"));
    QVERIFY(alertBox(desktop, QStringLiteral("alerte"), Kind::Warning));
    QVERIFY(confirmBox(desktop, QStringLiteral("confirme"), Kind::Confirmation));
    noticeBox(desktop, QStringLiteral("note"));
    QVERIFY(desktop.failures().isEmpty());

    const auto &calls = desktop.dialogs();
    QCOMPARE(calls.size(), 4);
    QCOMPARE(calls[0].text, QStringLiteral("info"));
    QCOMPARE(calls[0].kind, Kind::Information);
    QCOMPARE(calls[0].buttons, Desktop::Buttons(Desktop::Button::Ok));
    QCOMPARE(calls[0].defaultButton, Desktop::Button::Ok);
    QCOMPARE(calls[1].kind, Kind::Warning);
    QCOMPARE(calls[1].buttons, Desktop::Buttons(Desktop::Button::Ok));
    QCOMPARE(calls[2].kind, Kind::Confirmation);
    QCOMPARE(calls[2].buttons, Desktop::Buttons(Desktop::Button::Ok | Desktop::Button::Cancel));
    QCOMPARE(calls[2].requestedDefault, Desktop::Button::Ok);
    QCOMPARE(calls[3].kind, Kind::Plain);
    QCOMPARE(calls[3].buttons, Desktop::Buttons(Desktop::Button::Ok));

    desktop.setNextAnswer(Desktop::Button::Cancel);
    QVERIFY(!confirmBox(desktop, QStringLiteral("non"), Kind::Confirmation));
    desktop.setNextAnswer(Desktop::Button::Cancel); // the close box of a warning
    QVERIFY(alertBox(desktop, QStringLiteral("fermée"), Kind::Warning));
}

void TestDialogs::scriptedDialogWithoutAnswer_data()
{
    using Button = Desktop::Button;
    QTest::addColumn<Desktop::Buttons>("buttons");
    QTest::addColumn<Button>("expected");
    QTest::newRow("OK") << Desktop::Buttons(Button::Ok) << Button::Ok;
    QTest::newRow("OK+Cancel") << (Button::Ok | Button::Cancel) << Button::Cancel;
    QTest::newRow("Close") << Desktop::Buttons(Button::Close) << Button::Cancel;
}

void TestDialogs::scriptedDialogWithoutAnswer()
{
    QFETCH(Desktop::Buttons, buttons);
    QFETCH(Desktop::Button, expected);
    ScriptedDesktop desktop;
    QCOMPARE(messageDialog(desktop, QStringLiteral("sans réponse"), Kind::Warning, buttons),
             expected);
    QCOMPARE(desktop.failures().size(), 1);
    QVERIFY(desktop.failures().first().contains(QStringLiteral("sans réponse")));
    QCOMPARE(desktop.dialogs().size(), 1);
    QVERIFY(!desktop.dialogs().first().answered);
    QCOMPARE(desktop.dialogs().first().result, expected);

    QCOMPARE(desktop.chooseFolder(nullptr, QStringLiteral("/tmp")), QString());
    QCOMPARE(desktop.failures().size(), 2);
}

void TestDialogs::scriptedAnswersInOrder()
{
    ScriptedDesktop desktop;
    desktop.setNextAnswer(Desktop::Button::Close);
    desktop.setNextAnswer(Desktop::Button::Ok);
    desktop.setNextFolder(QStringLiteral("/srv/patients"));
    QCOMPARE(desktop.pendingAnswers(), 3);
    const auto all = Desktop::Button::Ok | Desktop::Button::Cancel | Desktop::Button::Close;
    QCOMPARE(messageDialog(desktop, QStringLiteral("a"), Kind::Information, all),
             Desktop::Button::Close);
    QCOMPARE(messageDialog(desktop, QStringLiteral("b"), Kind::Information, all),
             Desktop::Button::Ok);
    QCOMPARE(desktop.chooseFolder(nullptr, QStringLiteral("/")), QStringLiteral("/srv/patients"));
    QCOMPARE(desktop.chooserStarts(), QStringList{QStringLiteral("/")});
    QCOMPARE(desktop.pendingAnswers(), 0);
    QVERIFY(desktop.failures().isEmpty());
}

void TestDialogs::errorBoxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ends with )") << QStringLiteral("Index de liste hors limites (5)")
                                 << QStringLiteral("Index de liste hors limites (5)");
    QTest::newRow("ends with a letter")
        << QStringLiteral("Impossible d'écrire dans /opt/cabinet/PALVORIC.INI")
        << QStringLiteral("Impossible d'écrire dans /opt/cabinet/PALVORIC.INI.");
    QTest::newRow("ends with .") << QStringLiteral("Fin.") << QStringLiteral("Fin.");
    QTest::newRow("ends with !") << QStringLiteral("Vide !") << QStringLiteral("Vide !");
    QTest::newRow("ends with -") << QStringLiteral("a-") << QStringLiteral("a-");
    QTest::newRow("ends with /") << QStringLiteral("dossier /") << QStringLiteral("dossier /.");
    QTest::newRow("ends with a digit") << QStringLiteral("code 7") << QStringLiteral("code 7.");
    QTest::newRow("ends with \"") << QStringLiteral("fichier \"a\"")
                                  << QStringLiteral("fichier \"a\"");
    QTest::newRow("ends with é") << QStringLiteral("refusé") << QStringLiteral("refusé.");
    QTest::newRow("empty") << QString() << QString();
}

void TestDialogs::errorBoxText()
{
    QFETCH(QString, message);
    QFETCH(QString, expected);
    QCOMPARE(::errorBoxText(message), expected);
}

void TestDialogs::standardErrorBoxOnScripted()
{
    ScriptedDesktop desktop;
    showErrorBox(desktop, QStringLiteral("Impossible d'insérer une ligne"));
    QCOMPARE(desktop.errorBoxes().size(), 1);
    QCOMPARE(desktop.errorBoxes().first().title, QStringLiteral("Palvoric"));
    QCOMPARE(desktop.errorBoxes().first().text, QStringLiteral("Impossible d'insérer une ligne."));
    QVERIFY(desktop.dialogs().isEmpty());
}

void TestDialogs::standardErrorBoxOnScreen()
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList captions;
    m_driver.run(
        [&] {
            showErrorBox(m_desktop, QStringLiteral("Impossible d'écrire dans <b>/x</b>"));
            return 0;
        },
        [&](QDialog *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            QCOMPARE(box->textFormat(), Qt::PlainText);
            for (auto *button : box->buttons())
                captions.append(button->text());
            QTest::keyClick(dialog, Qt::Key_Return);
        });
    QVERIFY(m_driver.acted());
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(title, QStringLiteral("Palvoric"));
    QCOMPARE(text, QStringLiteral("Impossible d'écrire dans <b>/x</b>."));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(captions, QStringList{QStringLiteral("OK")});
}

void TestDialogs::realFolderChooser_data()
{
    QTest::addColumn<bool>("startExists");
    QTest::addColumn<bool>("accept");
    QTest::newRow("existing folder, OK") << true << true;
    QTest::newRow("existing folder, Cancel") << true << false;
    QTest::newRow("missing folder opens at the root") << false << false;
}

void TestDialogs::realFolderChooser()
{
    QFETCH(bool, startExists);
    QFETCH(bool, accept);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString start = startExists ? root.path() : root.filePath(QStringLiteral("absent"));

    QString shownAt;
    QString chosen;
    m_driver.run(
        [&] {
            chosen = m_desktop.chooseFolder(nullptr, start);
            return 0;
        },
        [&](QDialog *dialog) {
            auto *chooser = qobject_cast<QFileDialog *>(dialog);
            QVERIFY(chooser);
            shownAt = QDir::cleanPath(chooser->directory().absolutePath());
            if (accept)
                dialog->accept(); // OK on the folder shown
            else
                dialog->reject();
        });
    QVERIFY(m_driver.acted());
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(shownAt, startExists ? QDir::cleanPath(root.path()) : QDir::rootPath());
    QCOMPARE(QDir::cleanPath(chosen), accept ? QDir::cleanPath(root.path()) : QString());
}

void TestDialogs::realClipboard()
{
    const QString name = QStringLiteral("DUPONT Éloïse 2019");
    m_desktop.setClipboardText(name);
    QCOMPARE(m_desktop.clipboardText(), name);
    QCOMPARE(QGuiApplication::clipboard()->text(), name);
}

void TestDialogs::dialogsBelongToTheMainWindow_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("message dialog") << "message";
    QTest::newRow("standard error box") << "error";
}

// Another window active (the file browser the files came from): the dialog still opens
// over the main window, as its child, and not as a window of its own.
void TestDialogs::dialogsBelongToTheMainWindow()
{
    QFETCH(QString, dialog);
    MainWindow form(m_desktop, {});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget browser;
    browser.setWindowTitle(QStringLiteral("Fichiers"));
    browser.show();
    browser.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&browser));

    QWidget *parent = nullptr;
    QWindow *transientParent = nullptr;
    m_driver.run(
        [&] {
            if (dialog == u"message")
                form.ui().actionHelpNesting->trigger();
            else
                showErrorBox(m_desktop, QStringLiteral("Impossible d'insérer une ligne"));
            return 0;
        },
        [&](QDialog *shown) {
            parent = shown->parentWidget();
            transientParent = shown->windowHandle()->transientParent();
            takeWayOut(shown, WayOut::Enter);
        });
    QVERIFY(m_driver.acted());
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(parent, &form);
    QCOMPARE(transientParent, form.windowHandle());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
