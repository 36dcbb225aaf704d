// The window's composition as a user meets it: layout, tab order, shortcuts and their
// scopes, the context menu, the drop target over the whole window, the browse button.
#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/form1.h"
#include "app/image_list.h"
#include "app/result_list_view.h"
#include "app/scripted_desktop.h"
#include "app/shell_drop_target.h"
#include "platform/exe_identity.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <memory>

class TestForm1Composition : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void layoutFollowsStartFolderPanel();
    void resizeChangesListAndWidths();
    void tabOrder();
    void shortcuts_data();
    void shortcuts();
    void menuItems_data();
    void menuItems();
    void rightClickKeepsSelection();
    void drops_data();
    void drops();
    void browse_data();
    void browse();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestForm1Composition::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    platform::overrideExecutablePath(m_dir.filePath(QStringLiteral("bin/Palvoric")));
    for (const char *name : {"DUPONT Marie 2019", "DUPONT Jean", "DURAND Paul"})
        QVERIFY(root.mkpath(QStringLiteral("patients/") + QString::fromUtf8(name)));
    QFile file(m_dir.filePath(QStringLiteral("facture.pdf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestForm1Composition::init()
{
    m_desktop = std::make_unique<ScriptedDesktop>();
    m_form = std::make_unique<TForm1>(*m_desktop, QStringList());
    m_form->elements().JvDirectory_DATA->setText(m_dir.filePath(QStringLiteral("patients")));
    m_form->resize(338, 360);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestForm1Composition::cleanup()
{
    // The window goes first: its tray icon talks to the desktop until the end.
    m_form.reset();
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    QCOMPARE(failures, QStringList());
}

void TestForm1Composition::layoutFollowsStartFolderPanel()
{
    const Form1Elements &ui = m_form->elements();
    QCOMPARE(ui.panel_dossier->geometry(), QRect(0, 0, 338, 65));
    QCOMPARE(ui.PANEL_SAISIE->geometry(), QRect(0, 65, 338, 60));
    QCOMPARE(ui.panel_liste->geometry(), QRect(0, 125, 338, 235));
    // Every child sits below its panel's caption band.
    QVERIFY(ui.Cherche->geometry().top() >= ui.PANEL_SAISIE->bandRect().bottom());
    QVERIFY(ui.ListBox1->geometry().top() >= ui.panel_liste->bandRect().bottom());

    ui.chk_DOSSIER->trigger();
    QTRY_COMPARE(ui.PANEL_SAISIE->geometry(), QRect(0, 0, 338, 60));
    QCOMPARE(ui.panel_liste->geometry(), QRect(0, 60, 338, 300));
    ui.chk_DOSSIER->trigger();
    QTRY_COMPARE(ui.PANEL_SAISIE->geometry(), QRect(0, 65, 338, 60));
    QCOMPARE(ui.panel_liste->geometry(), QRect(0, 125, 338, 235));
}

void TestForm1Composition::resizeChangesListAndWidths()
{
    const Form1Elements &ui = m_form->elements();
    const int searchWidth = ui.Cherche->width();
    const QSize buttonSize = ui.Button1->size();
    m_form->resize(438, 460);
    QTRY_COMPARE(ui.panel_liste->height(), 335);
    QCOMPARE(ui.PANEL_SAISIE->height(), 60);
    QCOMPARE(ui.panel_dossier->height(), 65);
    QCOMPARE(ui.Cherche->width(), searchWidth + 100); // the search box takes it all
    QCOMPARE(ui.Button1->size(), buttonSize);
    QCOMPARE(ui.Button2->geometry().right(), ui.PANEL_SAISIE->contentsRect().right());
}

void TestForm1Composition::tabOrder()
{
    const Form1Elements &ui = m_form->elements();
    QWidget *folderField = ui.JvDirectory_DATA->lineEdit();
    const QList<QWidget *> order = {folderField, ui.Button1, ui.chk_DEBUT, ui.Cherche->lineEdit(),
                                    ui.Button2,  ui.ListBox1};
    folderField->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(folderField->hasFocus());
    for (int i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *expected = order.at(i % order.size());
        QVERIFY2(expected->hasFocus(), qPrintable(QApplication::focusWidget()->objectName() +
                                                  QStringLiteral(" at ") + QString::number(i)));
    }
    // With its panel hidden, the start-folder field takes no focus.
    ui.chk_DOSSIER->trigger();
    ui.ListBox1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ui.ListBox1, Qt::Key_Tab);
    QVERIFY(ui.Button1->hasFocus());
}

void TestForm1Composition::shortcuts_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("runs");
    const int ctrl = Qt::ControlModifier;
    const int alt = Qt::AltModifier;
    struct Row
    {
        const char *action;
        int key;
        int modifiers;
    };
    const Row listOnly[] = {{"mnu_EXPLORE", Qt::Key_O, ctrl},     {"Chercher1", Qt::Key_F5, 0},
                            {"Supprimer1", Qt::Key_Delete, ctrl}, {"chk_StayOnTop", Qt::Key_A, alt},
                            {"chk_DOSSIER", Qt::Key_D, alt},      {"Quitter1", Qt::Key_Q, ctrl}};
    for (const Row &row : listOnly) {
        for (const char *focus : {"list", "search", "folder"}) {
            const int runs = QByteArray(focus) == "list" ? 1 : 0;
            QTest::addRow("%s in %s", row.action, focus)
                << focus << row.key << row.modifiers << row.action << runs;
        }
    }
    for (const char *focus : {"list", "search", "folder"})
        QTest::addRow("Copy in %s", focus) << focus << int(Qt::Key_C) << ctrl << "Copy" << 1;
    // AltGr never matches a shortcut.
    QTest::newRow("AltGr+A") << "list" << int(Qt::Key_A) << int(Qt::GroupSwitchModifier)
                             << "chk_StayOnTop" << 0;
    QTest::newRow("Ctrl+Alt+C") << "search" << int(Qt::Key_C) << (ctrl | alt) << "Copy" << 0;
}

void TestForm1Composition::shortcuts()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, action);
    QFETCH(int, runs);
    const Form1Elements &ui = m_form->elements();
    auto *target = m_form->findChild<QAction *>(action);
    QVERIFY(target);
    // Keep the window open and the handlers quiet: only the shortcut's delivery counts.
    target->disconnect(m_form.get());
    QSignalSpy triggered(target, &QAction::triggered);
    QWidget *widget = focus == QLatin1String("list")     ? static_cast<QWidget *>(ui.ListBox1)
                      : focus == QLatin1String("search") ? ui.Cherche->lineEdit()
                                                         : ui.JvDirectory_DATA->lineEdit();
    ui.Cherche->setEditText(QStringLiteral("dupont"));
    ui.Cherche->lineEdit()->selectAll();
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.size(), runs);
    // A key that is no shortcut there reaches the element: Ctrl+C in the search box
    // never copies its own selected text.
    if (action == QLatin1String("Copy") && runs == 1)
        QVERIFY(m_desktop->clipboardHistory().isEmpty());
}

void TestForm1Composition::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("picture");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("open") << "mnu_EXPLORE"
                          << "Ouvrir le dossier pointé" << 4 << "Ctrl+O";
    QTest::newRow("copy") << "Copierlenomdudossier1"
                          << "Copier le nom du dossier dans le PP" << 9 << "Ctrl+C";
    QTest::newRow("surname") << "ApartirduNOM1"
                             << "Portant le même NOM" << 7 << "";
    QTest::newRow("full name") << "ApartirduNometduPrnom1"
                               << "Portants les mêmes Nom et Prénom" << 11 << "";
    QTest::newRow("first name") << "Filtrerselonleprnom1"
                                << "selon le prénom" << 8 << "";
    QTest::newRow("refresh") << "Chercher1"
                             << "Rafraichir" << 3 << "F5";
    QTest::newRow("delete") << "Supprimer1"
                            << "Supprimer" << 5 << "Ctrl+Suppr";
    QTest::newRow("on top") << "chk_StayOnTop"
                            << "Toujours en avant" << 1 << "Alt+A";
    QTest::newRow("panel") << "chk_DOSSIER"
                           << "Afficher le dossier de départ de la recherche ..." << 2 << "Alt+D";
    QTest::newRow("logs") << "chk_LOG"
                          << "Créer des fichier LOG" << 13 << "";
    QTest::newRow("nesting help") << "N5"
                                  << "Déplacer un dossier dans la liste" << 2 << "";
    QTest::newRow("revisions") << "Rvisiions1"
                               << "Révisions" << 12 << "";
    QTest::newRow("quit") << "Quitter1"
                          << "Quitter" << 0 << "Ctrl+Q";
}

void TestForm1Composition::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, picture);
    QFETCH(QString, shortcut);
    auto *item = m_form->findChild<QAction *>(name);
    QVERIFY(item);
    QCOMPARE(item->iconText(), caption);
    QCOMPARE(TForm1::pictureOf(item), picture);
    QVERIFY(!item->icon().isNull());
    const QString shown = item->text().section(QLatin1Char('\t'), 1);
    QCOMPARE(shown, shortcut);
    // Reachable from the context menu, directly or through a submenu.
    QMenu *menu = m_form->elements().PopupMenu1;
    bool found = menu->actions().contains(item);
    for (QAction *entry : menu->actions())
        found = found || (entry->menu() && entry->menu()->actions().contains(item));
    QVERIFY(found);
    QCOMPARE(menu->defaultAction(), m_form->elements().mnu_EXPLORE);
}

void TestForm1Composition::rightClickKeepsSelection()
{
    const Form1Elements &ui = m_form->elements();
    QTest::keyClicks(ui.Cherche->lineEdit(), QStringLiteral("du"));
    QCOMPARE(ui.ListBox1->count(), 3);
    QCOMPARE(ui.ListBox1->currentLine(), 0);
    const QRect third = ui.ListBox1->visualRect(ui.ListBox1->model()->index(2, 0));
    QTest::mousePress(ui.ListBox1->viewport(), Qt::RightButton, {}, third.center());
    QTest::mouseRelease(ui.ListBox1->viewport(), Qt::RightButton, {}, third.center());
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, third.center(),
                                ui.ListBox1->viewport()->mapToGlobal(third.center()));
    QApplication::sendEvent(ui.ListBox1->viewport(), &menuEvent);
    QTRY_VERIFY(ui.PopupMenu1->isVisible());
    QCOMPARE(ui.ListBox1->currentLine(), 0);
    ui.PopupMenu1->close();
}

void TestForm1Composition::drops_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("paths");
    const QString a = m_dir.filePath(QStringLiteral("facture.pdf"));
    const QString b = m_dir.filePath(QStringLiteral("patients/DUPONT Jean"));
    const QList<QUrl> both = {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)};
    for (const char *over : {"list", "search", "folder", "panel"})
        QTest::addRow("two files over %s", over) << over << both << QString() << QStringList{a, b};
    QTest::newRow("order kept") << "list" << QList<QUrl>{both.at(1), both.at(0)} << QString()
                                << QStringList{b, a};
    QTest::newRow("web link left out")
        << "list" << QList<QUrl>{QUrl(QStringLiteral("https://example.org/x")), both.at(0)}
        << QString() << QStringList{a};
    QTest::newRow("only web links")
        << "search" << QList<QUrl>{QUrl(QStringLiteral("https://example.org/x"))} << QString()
        << QStringList();
    QTest::newRow("plain text") << "search" << QList<QUrl>() << QStringLiteral("DUPONT")
                                << QStringList();
    // A name that is not UTF-8 arrives percent-encoded and keeps its bytes.
    QTest::newRow("name not in UTF-8")
        << "list" << QList<QUrl>{QUrl(QStringLiteral("file:///tmp/Lef%E8vre"))} << QString()
        << QStringList{QStringLiteral("/tmp/Lef") + QChar(0xDCE8) + QStringLiteral("vre")};
}

void TestForm1Composition::drops()
{
    QFETCH(QString, over);
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(QStringList, paths);
    const Form1Elements &ui = m_form->elements();
    QWidget *target = over == QLatin1String("list")     ? ui.ListBox1->viewport()
                      : over == QLatin1String("search") ? ui.Cherche->lineEdit()
                      : over == QLatin1String("folder") ? ui.JvDirectory_DATA->lineEdit()
                                                        : static_cast<QWidget *>(ui.PANEL_SAISIE);
    QSignalSpy dropped(&m_form->dropTarget(), &ShellDropTarget::filesDropped);
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    // The list is empty: a drop of files asks for a target folder, and nothing moves.
    if (!paths.isEmpty())
        m_desktop->setNextAnswer(Desktop::Ok);
    const QPoint at(5, 6);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QCOMPARE(enter.isAccepted(), !paths.isEmpty());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    const QString searchText = ui.Cherche->currentText();
    if (paths.isEmpty()) {
        QCOMPARE(dropped.size(), 0);
    } else {
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(dropped.at(0).at(0).toPoint(), target->mapTo(m_form.get(), at));
        QCOMPARE(dropped.at(0).at(1).toStringList(), paths);
        QCOMPARE(m_desktop->dialogs().size(), 1);
        QCOMPARE(m_desktop->dialogs().at(0).text,
                 QStringLiteral("Vous devez sélectionner un dossier cible"));
    }
    // A path never lands in a text field as text.
    QVERIFY(!searchText.contains(QLatin1Char('/')));
    QCOMPARE(ui.JvDirectory_DATA->text(), m_dir.filePath(QStringLiteral("patients")));
}

void TestForm1Composition::browse_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("after");
    const QString patients = m_dir.filePath(QStringLiteral("patients"));
    const QString other = m_dir.filePath(QStringLiteral("bin"));
    QTest::newRow("chosen") << patients << other << patients << other;
    QTest::newRow("cancelled") << patients << QString() << patients << patients;
    QTest::newRow("field holds a file")
        << m_dir.filePath(QStringLiteral("facture.pdf")) << QString() << "/"
        << m_dir.filePath(QStringLiteral("facture.pdf"));
    QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("gone")) << QString() << "/"
                                    << m_dir.filePath(QStringLiteral("gone"));
    QTest::newRow("relative path") << "patients" << QString() << "/"
                                   << "patients";
    QTest::newRow("empty field") << "" << other << "/" << other;
}

void TestForm1Composition::browse()
{
    QFETCH(QString, field);
    QFETCH(QString, answer);
    QFETCH(QString, start);
    QFETCH(QString, after);
    const Form1Elements &ui = m_form->elements();
    ui.JvDirectory_DATA->setText(field);
    ui.ListBox1->setFocus();
    m_desktop->setNextFolder(answer);
    QTest::mouseClick(ui.JvDirectory_DATA->browseButton(), Qt::LeftButton);
    QCOMPARE(m_desktop->chooserStarts(), QStringList{start});
    QCOMPARE(ui.JvDirectory_DATA->text(), after);
    QVERIFY(ui.JvDirectory_DATA->lineEdit()->hasFocus());
}

QTEST_MAIN(TestForm1Composition)
#include "tst_form1_composition.moc"
