// The dialog routines on the real dialog window (offscreen) and on the scripted desktop:
// results of every way out, default and cancel buttons, layout, the Ctrl+C text and the
// text of the standard error box.

#include "app/dialogs.h"
#include "app/message_dialog.h"
#include "app/qt_desktop.h"
#include "app/scripted_desktop.h"
#include "platform/exe_identity.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using Kind = Desktop::DialogKind;

Q_DECLARE_METATYPE(Desktop::DialogKind)

namespace {

const QString kRule = QStringLiteral("---------------------------\r\n");

enum class WayOut { Enter, Escape, CloseBox, ClickOk, ClickCancel, ClickClose };

// Runs open(), which shows a modal dialog, while act() works on that dialog from the
// event loop. A dialog that act() leaves open is closed so that a failed check cannot
// hang the test; dialogLeftOpen() tells.
class ModalDriver
{
public:
    int run(const std::function<int()> &open, const std::function<void(QDialog *)> &act)
    {
        m_acted = false;
        m_leftOpen = false;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            poll.stop();
            m_acted = true;
            act(dialog);
            if (dialog->isVisible()) {
                m_leftOpen = true;
                dialog->done(-1);
            }
        });
        poll.start();
        return open();
    }
    bool acted() const { return m_acted; }
    bool dialogLeftOpen() const { return m_leftOpen; }

private:
    bool m_acted = false;
    bool m_leftOpen = false;
};

QPushButton *buttonCaptioned(QDialog *dialog, const QString &caption)
{
    for (auto *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

void takeWayOut(QDialog *dialog, WayOut way)
{
    switch (way) {
    case WayOut::Enter:
        QTest::keyClick(dialog, Qt::Key_Return);
        break;
    case WayOut::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case WayOut::CloseBox:
        dialog->close(); // what the close box and Alt+F4 ask of the window
        break;
    case WayOut::ClickOk:
        QTest::mouseClick(buttonCaptioned(dialog, QStringLiteral("OK")), Qt::LeftButton);
        break;
    case WayOut::ClickCancel:
        QTest::mouseClick(buttonCaptioned(dialog, QStringLiteral("Annuler")), Qt::LeftButton);
        break;
    case WayOut::ClickClose:
        QTest::mouseClick(buttonCaptioned(dialog, QStringLiteral("Fer&mer")), Qt::LeftButton);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(WayOut)

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

    void titlesAndIcons_data();
    void titlesAndIcons();
    void buttonsStandInOrderSameSizeCentred();
    void dialogIsFixedAndCentredOnScreen();
    void longTextWrapsWithinHalfTheScreen();
    void textIsNeverReadAsMarkup();
    void wrapKeepsEveryCharacter_data();
    void wrapKeepsEveryCharacter();

    void ctrlCCopiesTheDialog_data();
    void ctrlCCopiesTheDialog();
    void otherKeysWithCDoNotCopy();

    void routinesAskTheDesktop();
    void scriptedDialogWithoutAnswer_data();
    void scriptedDialogWithoutAnswer();
    void scriptedAnswersInOrder();
    void defaultAndCancelRules_data();
    void defaultAndCancelRules();

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

void TestDialogs::titlesAndIcons_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("icon");
    QTest::newRow("warning") << Kind::Warning << QStringLiteral("Avertissement") << true;
    QTest::newRow("error") << Kind::Error << QStringLiteral("Erreur") << true;
    QTest::newRow("information") << Kind::Information << QStringLiteral("Informations") << true;
    QTest::newRow("confirmation") << Kind::Confirmation << QStringLiteral("Confirmer") << true;
    QTest::newRow("plain") << Kind::Plain << QStringLiteral("Palvoric") << false;
}

void TestDialogs::titlesAndIcons()
{
    QFETCH(Kind, kind);
    QFETCH(QString, title);
    QFETCH(bool, icon);

    MessageDialogWindow dialog(QStringLiteral("Texte"), kind, Desktop::Ok);
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.hasIcon(), icon);
    auto *picture = dialog.findChild<QLabel *>(QStringLiteral("icon"));
    QCOMPARE(picture != nullptr, icon);
    if (picture) {
        QCOMPARE(picture->size(), QSize(32, 32));
        QVERIFY(!picture->pixmap().isNull());
    }
}

void TestDialogs::buttonsStandInOrderSameSizeCentred()
{
    MessageDialogWindow dialog(QStringLiteral("Un texte assez long pour élargir la fenêtre du "
                                              "dialogue bien au-delà de ses trois boutons."),
                               Kind::Information, Desktop::Close | Desktop::Cancel | Desktop::Ok);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const auto buttons = dialog.buttonsInOrder();
    QCOMPARE(buttons.size(), 3);
    QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
    QCOMPARE(buttons[1]->text(), QStringLiteral("Annuler"));
    QCOMPARE(buttons[2]->text(), QStringLiteral("Fer&mer"));
    QVERIFY(buttons[0]->x() < buttons[1]->x());
    QVERIFY(buttons[1]->x() < buttons[2]->x());
    for (const auto *button : buttons) {
        QCOMPARE(button->size(), buttons[0]->size());
        QCOMPARE(button->y(), buttons[0]->y());
        QVERIFY(button->width() >= 75);
        QVERIFY(button->width() >= button->sizeHint().width());
    }
    const int leftGap = buttons.first()->x();
    const int rightGap = dialog.width() - buttons.last()->geometry().right() - 1;
    QVERIFY2(qAbs(leftGap - rightGap) <= 1,
             qPrintable(QStringLiteral("gaps %1 and %2").arg(leftGap).arg(rightGap)));
    // Under the text.
    const auto *text = dialog.findChild<QLabel *>(QStringLiteral("text"));
    QVERIFY(text);
    QVERIFY(buttons[0]->y() > text->geometry().bottom());
}

void TestDialogs::dialogIsFixedAndCentredOnScreen()
{
    QRect geometry;
    QSize minimum;
    QSize maximum;
    m_driver.run(
        [&] {
            return MessageDialog(m_desktop, QStringLiteral("Centré"), Kind::Information,
                                 Desktop::Ok);
        },
        [&](QDialog *dialog) {
            geometry = dialog->geometry();
            minimum = dialog->minimumSize();
            maximum = dialog->maximumSize();
            takeWayOut(dialog, WayOut::ClickOk);
        });
    QVERIFY(!m_driver.dialogLeftOpen());
    QCOMPARE(minimum, maximum);
    QCOMPARE(geometry.size(), minimum);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2((geometry.center() - area.center()).manhattanLength() <= 2,
             qPrintable(QStringLiteral("dialog centre %1,%2 screen centre %3,%4")
                            .arg(geometry.center().x())
                            .arg(geometry.center().y())
                            .arg(area.center().x())
                            .arg(area.center().y())));
}

void TestDialogs::longTextWrapsWithinHalfTheScreen()
{
    const QString text = QStringLiteral("Le dossier DUPONT Marie 2019 ").repeated(40);
    MessageDialogWindow dialog(text, Kind::Warning, Desktop::Ok);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto *label = dialog.findChild<QLabel *>(QStringLiteral("text"));
    QVERIFY(label);
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    const QStringList lines = label->text().split(u'\n');
    QVERIFY(lines.size() > 1);
    const QFontMetrics metrics(label->font());
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= half, qPrintable(line));
    QVERIFY(label->height() >= label->sizeHint().height());
    QVERIFY(dialog.height() > label->height());
}

void TestDialogs::textIsNeverReadAsMarkup()
{
    const QString text = QStringLiteral("<b>DUPONT</b> &amp; <i>Marie</i>");
    MessageDialogWindow dialog(text, Kind::Information, Desktop::Ok);
    const auto *label = dialog.findChild<QLabel *>(QStringLiteral("text"));
    QVERIFY(label);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), text);
}

void TestDialogs::wrapKeepsEveryCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("words") << QStringLiteral("un deux trois quatre cinq six sept huit neuf dix")
                           << 80;
    QTest::newRow("one long word") << QStringLiteral("/cabinet/").repeated(30) << 120;
    QTest::newRow("line breaks kept") << QStringLiteral("ligne 1\r\nligne 2\nligne 3") << 400;
    QTest::newRow("empty") << QString() << 100;
    QTest::newRow("narrower than a letter") << QStringLiteral("abc") << 1;
}

void TestDialogs::wrapKeepsEveryCharacter()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    const QFont font = QApplication::font();
    const QString wrapped = wrapMessageText(text, font, width);

    QString withoutBlanks = text;
    withoutBlanks.remove(QRegularExpression(QStringLiteral("\\s")));
    QString wrappedWithoutBlanks = wrapped;
    wrappedWithoutBlanks.remove(QRegularExpression(QStringLiteral("\\s")));
    QCOMPARE(wrappedWithoutBlanks, withoutBlanks);

    const QFontMetrics metrics(font);
    for (const QString &line : wrapped.split(u'\n')) {
        if (line.size() > 1) // a single character cannot be split further
            QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
    }
    QVERIFY(!wrapped.contains(u'\r'));
    if (text.contains(u'\n'))
        QVERIFY(wrapped.count(u'\n') >= text.count(u'\n'));
}

void TestDialogs::ctrlCCopiesTheDialog_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("expected");

    QTest::newRow("warning, OK") << Kind::Warning << QStringLiteral("La liste est vide !")
                                 << int(Desktop::Ok)
                                 << kRule + QStringLiteral("Avertissement\r\n") + kRule +
                                        QStringLiteral("La liste est vide !\r\n") + kRule +
                                        QStringLiteral("OK   \r\n") + kRule;
    QTest::newRow("confirmation, three buttons")
        << Kind::Confirmation << QStringLiteral("Déplacer ?")
        << int(Desktop::Ok | Desktop::Cancel | Desktop::Close)
        << kRule + QStringLiteral("Confirmer\r\n") + kRule + QStringLiteral("Déplacer ?\r\n") +
               kRule + QStringLiteral("OK   Annuler   Fermer   \r\n") + kRule;
    QTest::newRow("plain, long text unwrapped")
        << Kind::Plain << QStringLiteral("mot ").repeated(200) << int(Desktop::Ok)
        << kRule + QStringLiteral("Palvoric\r\n") + kRule + QStringLiteral("mot ").repeated(200) +
               QStringLiteral("\r\n") + kRule + QStringLiteral("OK   \r\n") + kRule;
}

void TestDialogs::ctrlCCopiesTheDialog()
{
    QFETCH(Kind, kind);
    QFETCH(QString, text);
    QFETCH(int, buttons);
    QFETCH(QString, expected);

    QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
    bool stillOpen = false;
    m_driver.run([&] { return MessageDialog(m_desktop, text, kind, buttons); },
                 [&](QDialog *dialog) {
                     QTest::keyClick(dialog, Qt::Key_C, Qt::ControlModifier);
                     stillOpen = dialog->isVisible();
                     takeWayOut(dialog, WayOut::CloseBox);
                 });
    QVERIFY(stillOpen);
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

void TestDialogs::otherKeysWithCDoNotCopy()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
    m_driver.run(
        [&] {
            return MessageDialog(m_desktop, QStringLiteral("Texte"), Kind::Warning, Desktop::Ok);
        },
        [&](QDialog *dialog) {
            QTest::keyClick(dialog, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
            QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
            QTest::keyClick(dialog, Qt::Key_C);
            takeWayOut(dialog, WayOut::CloseBox);
        });
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("avant"));
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

void TestDialogs::defaultAndCancelRules_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("cancelButton");

    QTest::newRow("OK") << int(Desktop::Ok) << 0 << int(Desktop::Ok) << int(Desktop::Ok);
    QTest::newRow("OK+Cancel") << int(Desktop::Ok | Desktop::Cancel) << 0 << int(Desktop::Ok)
                               << int(Desktop::Cancel);
    QTest::newRow("OK+Cancel, Cancel asked")
        << int(Desktop::Ok | Desktop::Cancel) << int(Desktop::Cancel) << int(Desktop::Cancel)
        << int(Desktop::Cancel);
    QTest::newRow("asked button not shown")
        << int(Desktop::Ok) << int(Desktop::Close) << int(Desktop::Ok) << int(Desktop::Ok);
    QTest::newRow("Close") << int(Desktop::Close) << 0 << 0 << 0;
    QTest::newRow("Cancel+Close") << int(Desktop::Cancel | Desktop::Close) << 0 << 0
                                  << int(Desktop::Cancel);
    QTest::newRow("none asked gets OK") << 0 << 0 << int(Desktop::Ok) << int(Desktop::Ok);
}

void TestDialogs::defaultAndCancelRules()
{
    QFETCH(int, buttons);
    QFETCH(int, requested);
    QFETCH(int, defaultButton);
    QFETCH(int, cancelButton);
    QCOMPARE(int(defaultButtonOf(buttons, Desktop::Button(requested))), defaultButton);
    QCOMPARE(int(cancelButtonOf(buttons)), cancelButton);

    MessageDialogWindow dialog(QStringLiteral("x"), Kind::Information, buttons,
                               Desktop::Button(requested));
    QCOMPARE(int(dialog.defaultButton()), defaultButton);
    QCOMPARE(int(dialog.cancelButton()), cancelButton);
    for (auto *button : dialog.buttonsInOrder())
        QCOMPARE(button->isDefault(), button == dialog.button(dialog.defaultButton()));
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
