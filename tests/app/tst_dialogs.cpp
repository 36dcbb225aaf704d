// The dialog routines on the real dialog (offscreen) and on the scripted desktop: the
// result of every way out, what each routine asks, the standard error box, and the
// chooser and clipboard of the real desktop.

#include "app/dialogs.h"
#include "app/message_dialog.h"
#include "app/qt_desktop.h"
#include "app/scripted_desktop.h"
#include "platform/exe_identity.h"
#include "tests/app/modal_driver.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

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

private:
    QtDesktop m_desktop;
    ModalDriver m_driver;
};

void TestDialogs::initTestCase()
{
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/PALVORIC.EXE"));
    QCOMPARE(platform::ProgramTitle(), QStringLiteral("Palvoric"));
}

void TestDialogs::cleanupTestCase()
{
    platform::overrideExecutablePath(QString());
}

void TestDialogs::messageDialogResults_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<WayOut>("way");
    QTest::addColumn<int>("expected");

    const int ok = Desktop::Ok;
    const int okCancel = Desktop::Ok | Desktop::Cancel;
    const int all = Desktop::Ok | Desktop::Cancel | Desktop::Close;
    QTest::newRow("OK, Enter") << ok << 0 << WayOut::Enter << 1;
    QTest::newRow("OK, Esc") << ok << 0 << WayOut::Escape << 1;
    QTest::newRow("OK, close box") << ok << 0 << WayOut::CloseBox << 2;
    QTest::newRow("OK, click") << ok << 0 << WayOut::ClickOk << 1;
    QTest::newRow("OK+Cancel, Enter") << okCancel << 0 << WayOut::Enter << 1;
    QTest::newRow("OK+Cancel, Esc") << okCancel << 0 << WayOut::Escape << 2;
    QTest::newRow("OK+Cancel, close box") << okCancel << 0 << WayOut::CloseBox << 2;
    QTest::newRow("OK+Cancel, click Cancel") << okCancel << 0 << WayOut::ClickCancel << 2;
    QTest::newRow("OK+Cancel default Cancel, Enter")
        << okCancel << int(Desktop::Cancel) << WayOut::Enter << 2;
    QTest::newRow("all three, click Close") << all << 0 << WayOut::ClickClose << 8;
    QTest::newRow("all three default Close, Enter")
        << all << int(Desktop::Close) << WayOut::Enter << 8;
    QTest::newRow("Close only, click") << int(Desktop::Close) << 0 << WayOut::ClickClose << 8;
    QTest::newRow("Close only, close box") << int(Desktop::Close) << 0 << WayOut::CloseBox << 2;
}

void TestDialogs::messageDialogResults()
{
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(WayOut, way);
    QFETCH(int, expected);

    const int result = m_driver.run(
        [&] {
            return MessageDialog(m_desktop, QStringLiteral("Déplacer le dossier ?"),
                                 Kind::Confirmation, buttons, Desktop::Button(defaultButton));
        },
        [&](QDialog *dialog) { takeWayOut(dialog, way); });
    QVERIFY(m_driver.acted());
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(result, expected);
}

void TestDialogs::escapeWithoutCancelButtonDoesNothing()
{
    bool stillOpen = false;
    const int result = m_driver.run(
        [&] {
            return MessageDialog(m_desktop, QStringLiteral("Style 'X' non trouvé"), Kind::Error,
                                 Desktop::Close);
        },
        [&](QDialog *dialog) {
            auto *window = qobject_cast<MessageDialogWindow *>(dialog);
            QVERIFY(window);
            QCOMPARE(window->defaultButton(), Desktop::NoButton);
            QCOMPARE(window->cancelButton(), Desktop::NoButton);
            QTest::keyClick(dialog, Qt::Key_Escape);
            stillOpen = dialog->isVisible();
            takeWayOut(dialog, WayOut::ClickClose);
        });
    QVERIFY(stillOpen);
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(result, int(Desktop::Close));
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
            return int(AlertBox(m_desktop, QStringLiteral("La liste est vide !"), Kind::Warning));
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
                ConfirmBox(m_desktop, QStringLiteral("Déposer 2 fichiers ?"), Kind::Confirmation));
        },
        [&](QDialog *dialog) { takeWayOut(dialog, way); });
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(bool(result), expected);
}

void TestDialogs::routinesAskTheDesktop()
{
    ScriptedDesktop desktop;
    for (int i = 0; i < 4; ++i)
        desktop.setNextAnswer(Desktop::Ok);

    InfoBox(desktop, QStringLiteral("info"));
    QVERIFY(AlertBox(desktop, QStringLiteral("alerte"), Kind::Warning));
    QVERIFY(ConfirmBox(desktop, QStringLiteral("confirme"), Kind::Confirmation));
    NoticeBox(desktop, QStringLiteral("note"));
    QVERIFY(desktop.failures().isEmpty());

    const auto &calls = desktop.dialogs();
    QCOMPARE(calls.size(), 4);
    QCOMPARE(calls[0].text, QStringLiteral("info"));
    QCOMPARE(calls[0].kind, Kind::Information);
    QCOMPARE(calls[0].buttons, int(Desktop::Ok));
    QCOMPARE(calls[0].defaultButton, Desktop::Ok);
    QCOMPARE(calls[1].kind, Kind::Warning);
    QCOMPARE(calls[1].buttons, int(Desktop::Ok));
    QCOMPARE(calls[2].kind, Kind::Confirmation);
    QCOMPARE(calls[2].buttons, int(Desktop::Ok | Desktop::Cancel));
    QCOMPARE(calls[2].requestedDefault, Desktop::Ok);
    QCOMPARE(calls[3].kind, Kind::Plain);
    QCOMPARE(calls[3].buttons, int(Desktop::Ok));

    desktop.setNextAnswer(Desktop::Cancel);
    QVERIFY(!ConfirmBox(desktop, QStringLiteral("non"), Kind::Confirmation));
    desktop.setNextAnswer(Desktop::Cancel); // the close box of a warning
    QVERIFY(AlertBox(desktop, QStringLiteral("fermée"), Kind::Warning));
}

void TestDialogs::scriptedDialogWithoutAnswer_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("expected");
    QTest::newRow("OK") << int(Desktop::Ok) << 1;
    QTest::newRow("OK+Cancel") << int(Desktop::Ok | Desktop::Cancel) << 2;
    QTest::newRow("Close") << int(Desktop::Close) << 2;
}

void TestDialogs::scriptedDialogWithoutAnswer()
{
    QFETCH(int, buttons);
    QFETCH(int, expected);
    ScriptedDesktop desktop;
    QCOMPARE(MessageDialog(desktop, QStringLiteral("sans réponse"), Kind::Warning, buttons),
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
    desktop.setNextAnswer(Desktop::Close);
    desktop.setNextAnswer(Desktop::Ok);
    desktop.setNextFolder(QStringLiteral("/srv/patients"));
    QCOMPARE(desktop.pendingAnswers(), 3);
    const int all = Desktop::Ok | Desktop::Cancel | Desktop::Close;
    QCOMPARE(MessageDialog(desktop, QStringLiteral("a"), Kind::Information, all), 8);
    QCOMPARE(MessageDialog(desktop, QStringLiteral("b"), Kind::Information, all), 1);
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

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
