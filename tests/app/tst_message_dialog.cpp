// The message dialog window itself: titles and icons, the layout of text and buttons,
// wrapping, the default and cancel buttons, and the text Ctrl+C copies.

#include "app/dialogs.h"
#include "app/message_dialog.h"
#include "app/qt_desktop.h"
#include "platform/exe_identity.h"
#include "tests/app/modal_driver.h"
#include "tests/support/app/scripted_desktop.h"

#include <QClipboard>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>

using Kind = Desktop::DialogKind;

Q_DECLARE_METATYPE(Desktop::DialogKind)

namespace {

const QString kRule = QStringLiteral("---------------------------\r\n");

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

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
    void defaultAndCancelRules_data();
    void defaultAndCancelRules();

private:
    QtDesktop m_desktop;
    ModalDriver m_driver;
};

void TestMessageDialog::initTestCase()
{
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/PALVORIC.EXE"));
    QCOMPARE(platform::programTitle(), QStringLiteral("Palvoric"));
}

void TestMessageDialog::cleanupTestCase()
{
    platform::overrideExecutablePath(QString());
}

void TestMessageDialog::titlesAndIcons_data()
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

void TestMessageDialog::titlesAndIcons()
{
    QFETCH(Kind, kind);
    QFETCH(QString, title);
    QFETCH(bool, icon);

    MessageDialogWindow dialog(QStringLiteral("Texte"), kind, Desktop::Button::Ok);
    QCOMPARE(dialog.windowTitle(), title);
    auto *picture = dialog.findChild<QLabel *>(QStringLiteral("icon"));
    QCOMPARE(picture != nullptr, icon);
    if (picture) {
        QCOMPARE(picture->size(), QSize(32, 32));
        QVERIFY(!picture->pixmap().isNull());
    }
}

void TestMessageDialog::buttonsStandInOrderSameSizeCentred()
{
    MessageDialogWindow dialog(
        QStringLiteral("Un texte assez long pour élargir la fenêtre du "
                       "dialogue bien au-delà de ses trois boutons."),
        Kind::Information, Desktop::Button::Close | Desktop::Button::Cancel | Desktop::Button::Ok);
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

void TestMessageDialog::dialogIsFixedAndCentredOnScreen()
{
    QRect geometry;
    QSize minimum;
    QSize maximum;
    m_driver.run(
        [&] {
            return messageDialog(m_desktop, QStringLiteral("Centré"), Kind::Information,
                                 Desktop::Button::Ok);
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

void TestMessageDialog::longTextWrapsWithinHalfTheScreen()
{
    const QString text = QStringLiteral("Le dossier DUPONT Marie 2019 ").repeated(40);
    MessageDialogWindow dialog(text, Kind::Warning, Desktop::Button::Ok);
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

void TestMessageDialog::textIsNeverReadAsMarkup()
{
    const QString text = QStringLiteral("<b>DUPONT</b> &amp; <i>Marie</i>");
    MessageDialogWindow dialog(text, Kind::Information, Desktop::Button::Ok);
    const auto *label = dialog.findChild<QLabel *>(QStringLiteral("text"));
    QVERIFY(label);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), text);
}

void TestMessageDialog::wrapKeepsEveryCharacter_data()
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

void TestMessageDialog::wrapKeepsEveryCharacter()
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

void TestMessageDialog::ctrlCCopiesTheDialog_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Desktop::Buttons>("buttons");
    QTest::addColumn<QString>("expected");

    QTest::newRow("warning, OK") << Kind::Warning << QStringLiteral("La liste est vide !")
                                 << Desktop::Buttons(Desktop::Button::Ok)
                                 << kRule + QStringLiteral("Avertissement\r\n") + kRule +
                                        QStringLiteral("La liste est vide !\r\n") + kRule +
                                        QStringLiteral("OK   \r\n") + kRule;
    QTest::newRow("confirmation, three buttons")
        << Kind::Confirmation << QStringLiteral("Déplacer ?")
        << (Desktop::Button::Ok | Desktop::Button::Cancel | Desktop::Button::Close)
        << kRule + QStringLiteral("Confirmer\r\n") + kRule + QStringLiteral("Déplacer ?\r\n") +
               kRule + QStringLiteral("OK   Annuler   Fermer   \r\n") + kRule;
    QTest::newRow("plain, long text unwrapped")
        << Kind::Plain << QStringLiteral("mot ").repeated(200)
        << Desktop::Buttons(Desktop::Button::Ok)
        << kRule + QStringLiteral("Palvoric\r\n") + kRule + QStringLiteral("mot ").repeated(200) +
               QStringLiteral("\r\n") + kRule + QStringLiteral("OK   \r\n") + kRule;
}

void TestMessageDialog::ctrlCCopiesTheDialog()
{
    QFETCH(Kind, kind);
    QFETCH(QString, text);
    QFETCH(Desktop::Buttons, buttons);
    QFETCH(QString, expected);

    QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
    bool stillOpen = false;
    m_driver.run([&] { return messageDialog(m_desktop, text, kind, buttons); },
                 [&](QDialog *dialog) {
                     QTest::keyClick(dialog, Qt::Key_C, Qt::ControlModifier);
                     stillOpen = dialog->isVisible();
                     takeWayOut(dialog, WayOut::CloseBox);
                 });
    QVERIFY(stillOpen);
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

void TestMessageDialog::otherKeysWithCDoNotCopy()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
    m_driver.run(
        [&] {
            return messageDialog(m_desktop, QStringLiteral("Texte"), Kind::Warning,
                                 Desktop::Button::Ok);
        },
        [&](QDialog *dialog) {
            QTest::keyClick(dialog, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
            QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
            QTest::keyClick(dialog, Qt::Key_C);
            takeWayOut(dialog, WayOut::CloseBox);
        });
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("avant"));
}

void TestMessageDialog::defaultAndCancelRules_data()
{
    using Button = Desktop::Button;
    using Buttons = Desktop::Buttons;
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<Button>("requested");
    QTest::addColumn<Button>("defaultButton");
    QTest::addColumn<Button>("cancelButton");

    QTest::newRow("OK") << Buttons(Button::Ok) << Button::None << Button::Ok << Button::Ok;
    QTest::newRow("OK+Cancel") << (Button::Ok | Button::Cancel) << Button::None << Button::Ok
                               << Button::Cancel;
    QTest::newRow("OK+Cancel, Cancel asked")
        << (Button::Ok | Button::Cancel) << Button::Cancel << Button::Cancel << Button::Cancel;
    QTest::newRow("asked button not shown")
        << Buttons(Button::Ok) << Button::Close << Button::Ok << Button::Ok;
    QTest::newRow("Close") << Buttons(Button::Close) << Button::None << Button::None
                           << Button::None;
    QTest::newRow("Cancel+Close") << (Button::Cancel | Button::Close) << Button::None
                                  << Button::None << Button::Cancel;
    QTest::newRow("none asked gets OK") << Buttons() << Button::None << Button::Ok << Button::Ok;
}

void TestMessageDialog::defaultAndCancelRules()
{
    QFETCH(Desktop::Buttons, buttons);
    QFETCH(Desktop::Button, requested);
    QFETCH(Desktop::Button, defaultButton);
    QFETCH(Desktop::Button, cancelButton);
    QCOMPARE(defaultButtonOf(buttons, requested), defaultButton);
    QCOMPARE(cancelButtonOf(buttons), cancelButton);

    MessageDialogWindow dialog(QStringLiteral("x"), Kind::Information, buttons, requested);
    QCOMPARE(dialog.cancelButton(), cancelButton);
    // The default button is the one drawn as such, and no other.
    for (auto *button : dialog.buttonsInOrder())
        QCOMPARE(button->isDefault(), button == dialog.button(defaultButton));
}

QTEST_MAIN(TestMessageDialog)
#include "tst_message_dialog.moc"
