// The main window's controller on real widgets (offscreen), with a scripted desktop.
#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/form1.h"
#include "app/form1_composition.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/scripted_desktop.h"
#include "app/tray_notice.h"
#include "platform/exe_identity.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsEmpty();
    void commandLine_data();
    void commandLine();
    void typingSearches();
    void programTextRunsNoSearch();
    void modeSwitch();
    void escapeEmptiesSearchBox();
    void stayOnTopTwice();
    void panelCloseButton();
    void optionPictures();
    void button1_data();
    void button1();
    void quitCloses();
    void missingStartFolderFindsNothing();

private:
    TForm1 &makeForm(const QStringList &arguments = {});
    void typeInSearchBox(const QString &text);
    QStringList lines() const;

    QTemporaryDir m_dir;
    QString m_patients;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestForm1::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    platform::overrideExecutablePath(m_dir.filePath(QStringLiteral("bin/Palvoric")));
    m_patients = m_dir.filePath(QStringLiteral("patients"));
    for (const char *name : {"DUPONT Marie 2019", "DUPONT Jean", "dupont Léa", "DURAND Paul",
                             "MARTIN Paul", "Martinez Ana", "DUMARTIN Luc", ".cache"})
        QVERIFY(root.mkpath(QStringLiteral("patients/") + QString::fromUtf8(name)));
}

void TestForm1::init()
{
    // Each case starts as on a first run: no settings, no history.
    for (const char *name : {"bin/Palvoric.INI", "bin/liste.txt"})
        QFile::remove(m_dir.filePath(QString::fromLatin1(name)));
    m_desktop = std::make_unique<ScriptedDesktop>();
}

void TestForm1::cleanup()
{
    // The window goes first: its tray icon talks to the desktop until the end.
    const bool hadForm = m_form != nullptr;
    m_form.reset();
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    if (hadForm)
        QCOMPARE(failures, QStringList());
}

TForm1 &TestForm1::makeForm(const QStringList &arguments)
{
    m_form = std::make_unique<TForm1>(*m_desktop, arguments);
    // Before the window is shown, as a stored start folder would be.
    m_form->elements().JvDirectory_DATA->setText(m_patients);
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qWarning("the window did not become active");
    return *m_form;
}

void TestForm1::typeInSearchBox(const QString &text)
{
    QTest::keyClicks(m_form->elements().Cherche->lineEdit(), text);
}

QStringList TestForm1::lines() const
{
    return m_form->elements().ListBox1Model->lines();
}

void TestForm1::startsEmpty()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(ui.Cherche->currentText(), QString());
    QCOMPARE(ui.ListBox1->count(), 0);
    QCOMPARE(ui.panel_liste->caption(), QStringLiteral("Liste des sous-dossiers trouvés :"));
    QTRY_VERIFY(ui.Cherche->lineEdit()->hasFocus());
    QVERIFY(form.windowTitle().contains(QStringLiteral(" | Kestrane ***{:-  | ")));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("PALVORIC ")));
}

void TestForm1::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two arguments")
        << QStringList{"DUPONT", "Jean"} << "DUPONT Jean" << QStringList{"DUPONT Jean"};
    QTest::newRow("surname") << QStringList{"dupont"} << "dupont"
                             << QStringList{"DUPONT Jean", "dupont Léa", "DUPONT Marie 2019"};
    QTest::newRow("one character: no search") << QStringList{"D"} << "D" << QStringList();
}

void TestForm1::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, searchText);
    QFETCH(QStringList, expected);
    TForm1 &form = makeForm(arguments);
    const Form1Elements &ui = form.elements();
    QCOMPARE(ui.Cherche->currentText(), searchText);
    QCOMPARE(lines(), expected);
    QCOMPARE(ui.ListBox1->currentLine(), expected.isEmpty() ? -1 : 0);
}

void TestForm1::typingSearches()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    typeInSearchBox(QStringLiteral("d"));
    QCOMPARE(ui.ListBox1->count(), 0);
    QCOMPARE(ui.panel_liste->caption(), QStringLiteral("Liste des sous-dossiers trouvés :"));
    typeInSearchBox(QStringLiteral("u"));
    QCOMPARE(lines(), (QStringList{"DUMARTIN Luc", "DUPONT Jean", "dupont Léa", "DUPONT Marie 2019",
                                   "DURAND Paul"}));
    QCOMPARE(ui.panel_liste->caption(),
             QStringLiteral("5 dossier(s) trouvé(s) commençant par \"du\""));
    QCOMPARE(ui.ListBox1->currentLine(), 0);
    typeInSearchBox(QStringLiteral("p"));
    QCOMPARE(lines(), (QStringList{"DUPONT Jean", "dupont Léa", "DUPONT Marie 2019"}));
    // Deleting runs it too; down to one character, the last list and caption stay.
    QTest::keyClick(ui.Cherche->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(ui.ListBox1->count(), 5);
    QTest::keyClick(ui.Cherche->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(ui.Cherche->currentText(), QStringLiteral("d"));
    QCOMPARE(ui.ListBox1->count(), 5);
    QCOMPARE(ui.panel_liste->caption(),
             QStringLiteral("5 dossier(s) trouvé(s) commençant par \"du\""));
}

void TestForm1::programTextRunsNoSearch()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    ui.Cherche->setEditText(QStringLiteral("DUPONT"));
    QCOMPARE(ui.ListBox1->count(), 0);
    // The action runs it.
    ui.BTN_Chercher->trigger();
    QCOMPARE(ui.ListBox1->count(), 3);
}

void TestForm1::modeSwitch()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    typeInSearchBox(QStringLiteral("mar"));
    QCOMPARE(lines(), (QStringList{"MARTIN Paul", "Martinez Ana"}));
    QTest::mouseClick(ui.chk_DEBUT, Qt::LeftButton);
    QVERIFY(!ui.chk_DEBUT->isChecked());
    QCOMPARE(ui.PANEL_SAISIE->caption(),
             QStringLiteral("Rechercher les sous-dossiers contenants ..."));
    QCOMPARE(lines(),
             (QStringList{"DUMARTIN Luc", "DUPONT Marie 2019", "MARTIN Paul", "Martinez Ana"}));
    QCOMPARE(ui.panel_liste->caption(),
             QStringLiteral("4 dossier(s) trouvé(s) contenants \"mar\""));
    // Set by the program, the box runs its handler too.
    ui.chk_DEBUT->setChecked(true);
    QCOMPARE(ui.PANEL_SAISIE->caption(),
             QStringLiteral("Rechercher les sous-dossiers commençant par ..."));
    QCOMPARE(ui.ListBox1->count(), 2);
}

void TestForm1::escapeEmptiesSearchBox()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    typeInSearchBox(QStringLiteral("dup"));
    ui.ListBox1->setFocus();
    QTRY_VERIFY(ui.ListBox1->hasFocus());
    form.trayIcon().notify(QStringLiteral("DUPONT Jean"), QStringLiteral("Copié"));
    QVERIFY(form.trayIcon().isVisible());

    QTest::keyClick(ui.ListBox1, Qt::Key_Escape);
    QVERIFY(ui.Cherche->lineEdit()->hasFocus());
    QCOMPARE(ui.Cherche->currentText(), QString());
    QCOMPARE(ui.ListBox1->count(), 3); // the list keeps its lines
    QCOMPARE(ui.panel_liste->caption(),
             QStringLiteral("3 dossier(s) trouvé(s) commençant par \"dup\""));
    // The focus entering the search box took the tray icon out.
    QVERIFY(!form.trayIcon().isVisible());
}

void TestForm1::stayOnTopTwice()
{
    TForm1 &form = makeForm();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const Form1Elements &ui = form.elements();
    const QRect geometry = form.geometry();
    QWidget *focused = QApplication::focusWidget();
    ui.chk_StayOnTop->trigger();
    QVERIFY(form.stayOnTop());
    QCOMPARE(TForm1::pictureOf(ui.chk_StayOnTop), 1);
    ui.chk_StayOnTop->trigger();
    QVERIFY(!form.stayOnTop());
    QCOMPARE(TForm1::pictureOf(ui.chk_StayOnTop), -1);
    // The window was not re-created: still shown, same place and size, same focus.
    QVERIFY(form.isVisible());
    QCOMPARE(form.geometry(), geometry);
    QCOMPARE(QApplication::focusWidget(), focused);
}

void TestForm1::panelCloseButton()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    QVERIFY(ui.panel_dossier->isVisible());
    QTest::mouseClick(ui.panel_dossier->closeButton(), Qt::LeftButton);
    QVERIFY(!ui.panel_dossier->isVisible());
    QVERIFY(!ui.chk_DOSSIER->isChecked());
    QCOMPARE(TForm1::pictureOf(ui.chk_DOSSIER), 2); // the picture stays as it was
    ui.chk_DOSSIER->trigger();
    QVERIFY(ui.panel_dossier->isVisible());
    QCOMPARE(TForm1::pictureOf(ui.chk_DOSSIER), 2);
    ui.chk_DOSSIER->trigger();
    QVERIFY(!ui.panel_dossier->isVisible());
    QCOMPARE(TForm1::pictureOf(ui.chk_DOSSIER), -1);
}

void TestForm1::optionPictures()
{
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    // Set silently (as a stored state is restored), the item keeps its picture.
    ui.chk_LOG->setChecked(false);
    QCOMPARE(TForm1::pictureOf(ui.chk_LOG), 13);
    ui.chk_LOG->trigger();
    QVERIFY(ui.chk_LOG->isChecked());
    QCOMPARE(TForm1::pictureOf(ui.chk_LOG), 13);
    ui.chk_LOG->trigger();
    QVERIFY(!ui.chk_LOG->isChecked());
    QCOMPARE(TForm1::pictureOf(ui.chk_LOG), -1);
}

void TestForm1::button1_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("notice");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("one character") << "D" << true;
    QTest::newRow("two characters") << "Du" << false;
}

void TestForm1::button1()
{
    QFETCH(QString, text);
    QFETCH(bool, notice);
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    ui.Cherche->setEditText(text);
    ui.Button1->setFocus();
    if (notice)
        m_desktop->setNextAnswer(Desktop::Ok);
    QTest::mouseClick(ui.Button1, Qt::LeftButton);
    if (notice) {
        QCOMPARE(m_desktop->dialogs().size(), 1);
        QCOMPARE(m_desktop->dialogs().at(0).text, QStringLiteral("Entrez au moins 2 lettres"));
        QCOMPARE(m_desktop->dialogs().at(0).kind, Desktop::DialogKind::Plain);
        QCOMPARE(m_desktop->dialogs().at(0).buttons, Desktop::Buttons(Desktop::Ok));
        QVERIFY(ui.Cherche->lineEdit()->hasFocus());
        QCOMPARE(ui.Cherche->lineEdit()->cursorPosition(), text.size());
        QVERIFY(!ui.Cherche->lineEdit()->hasSelectedText());
        QCOMPARE(ui.ListBox1->count(), 0);
    } else {
        QVERIFY(m_desktop->dialogs().isEmpty());
        QCOMPARE(ui.ListBox1->count(), 5);
    }
}

void TestForm1::quitCloses()
{
    TForm1 &form = makeForm();
    QVERIFY(form.isVisible());
    form.elements().Quitter1->trigger();
    QVERIFY(!form.isVisible());
}

void TestForm1::missingStartFolderFindsNothing()
{
    // A start folder that is missing is no error: count 0, no box.
    TForm1 &form = makeForm();
    const Form1Elements &ui = form.elements();
    ui.JvDirectory_DATA->setText(m_dir.filePath(QStringLiteral("missing")));
    typeInSearchBox(QStringLiteral("du"));
    QCOMPARE(ui.ListBox1->count(), 0);
    QCOMPARE(ui.panel_liste->caption(),
             QStringLiteral("0 dossier(s) trouvé(s) commençant par \"du\""));
    QVERIFY(m_desktop->errorBoxes().isEmpty());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
