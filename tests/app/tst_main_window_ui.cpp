// The window's composition as a user meets it: layout, tab order, shortcuts and their
// scopes, the context menu, the drop target over the whole window, the browse button.
#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/icons.h"
#include "app/main_window.h"
#include "app/result_list_view.h"
#include "app/shell_drop_target.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "tests/support/app/scripted_desktop.h"
#include "tests/support/file_helpers.h"

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

class TestMainWindowUi : public QObject
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
    void buttonKeys_data();
    void buttonKeys();
    void menuItems_data();
    void menuItems();
    void optionsMenu();
    void rightClickKeepsSelection();
    void drops_data();
    void drops();
    void browse_data();
    void browse();
    void browseKeys_data();
    void browseKeys();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_form;
};

void TestMainWindowUi::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    platform::overrideExecutablePath(m_dir.filePath(QStringLiteral("bin/Palvoric")));
    // The window as the program shows it, with its theme.
    QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
    for (const char *name : {"DUPONT Marie 2019", "DUPONT Jean", "DURAND Paul"})
        QVERIFY(root.mkpath(QStringLiteral("patients/") + QString::fromUtf8(name)));
    QVERIFY(writeFileBytes(m_dir.filePath(QStringLiteral("facture.pdf")), QByteArray()));
}

void TestMainWindowUi::init()
{
    m_desktop = std::make_unique<ScriptedDesktop>();
    m_form = std::make_unique<MainWindow>(*m_desktop, QStringList());
    m_form->ui().startFolderEdit->setText(m_dir.filePath(QStringLiteral("patients")));
    m_form->resize(338, 360);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestMainWindowUi::cleanup()
{
    // The window goes first: its tray icon talks to the desktop until the end.
    m_form.reset();
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    QCOMPARE(failures, QStringList());
}

void TestMainWindowUi::layoutFollowsStartFolderPanel()
{
    const MainWindowUi &ui = m_form->ui();
    QCOMPARE(ui.startFolderPanel->geometry(), QRect(0, 0, 338, 65));
    QCOMPARE(ui.searchPanel->geometry(), QRect(0, 65, 338, 60));
    QCOMPARE(ui.resultPanel->geometry(), QRect(0, 125, 338, 235));
    // Every child sits below its panel's caption band.
    QVERIFY(ui.searchBox->geometry().top() >= ui.searchPanel->bandRect().bottom());
    QVERIFY(ui.resultList->geometry().top() >= ui.resultPanel->bandRect().bottom());

    ui.actionShowStartFolder->trigger();
    QTRY_COMPARE(ui.searchPanel->geometry(), QRect(0, 0, 338, 60));
    QCOMPARE(ui.resultPanel->geometry(), QRect(0, 60, 338, 300));
    ui.actionShowStartFolder->trigger();
    QTRY_COMPARE(ui.searchPanel->geometry(), QRect(0, 65, 338, 60));
    QCOMPARE(ui.resultPanel->geometry(), QRect(0, 125, 338, 235));
}

void TestMainWindowUi::resizeChangesListAndWidths()
{
    const MainWindowUi &ui = m_form->ui();
    const int searchWidth = ui.searchBox->width();
    const QSize buttonSize = ui.searchButton->size();
    m_form->resize(438, 460);
    QTRY_COMPARE(ui.resultPanel->height(), 335);
    QCOMPARE(ui.searchPanel->height(), 60);
    QCOMPARE(ui.startFolderPanel->height(), 65);
    QCOMPARE(ui.searchBox->width(), searchWidth + 100); // the search box takes it all
    QCOMPARE(ui.searchButton->size(), buttonSize);
    QCOMPARE(ui.copyButton->geometry().right(), ui.searchPanel->contentsRect().right());
}

void TestMainWindowUi::tabOrder()
{
    const MainWindowUi &ui = m_form->ui();
    QWidget *folderField = ui.startFolderEdit->lineEdit();
    const QList<QWidget *> order = {folderField,        ui.searchButton,
                                    ui.beginsWithCheck, ui.searchBox->lineEdit(),
                                    ui.copyButton,      ui.resultList};
    folderField->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(folderField->hasFocus());
    for (int i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *expected = order.at(i % order.size());
        QVERIFY2(expected->hasFocus(), qPrintable(QApplication::focusWidget()->objectName() +
                                                  QStringLiteral(" at ") + QString::number(i)));
    }
    // With its panel hidden, the start-folder field takes no focus.
    ui.actionShowStartFolder->trigger();
    ui.resultList->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ui.resultList, Qt::Key_Tab);
    QVERIFY(ui.searchButton->hasFocus());
}

void TestMainWindowUi::shortcuts_data()
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
    const Row listOnly[] = {
        {"actionFolderOpen", Qt::Key_O, ctrl},       {"actionRefresh", Qt::Key_F5, 0},
        {"actionFolderTrash", Qt::Key_Delete, ctrl}, {"actionStayOnTop", Qt::Key_A, alt},
        {"actionShowStartFolder", Qt::Key_D, alt},   {"actionQuit", Qt::Key_Q, ctrl}};
    for (const Row &row : listOnly) {
        for (const char *focus : {"list", "search", "folder"}) {
            const int runs = QByteArray(focus) == "list" ? 1 : 0;
            QTest::addRow("%s in %s", row.action, focus)
                << focus << row.key << row.modifiers << row.action << runs;
        }
    }
    for (const char *focus : {"list", "search", "folder"})
        QTest::addRow("Copy in %s", focus)
            << focus << int(Qt::Key_C) << ctrl << "actionFolderCopyName" << 1;
    // AltGr never matches a shortcut.
    QTest::newRow("AltGr+A") << "list" << int(Qt::Key_A) << int(Qt::GroupSwitchModifier)
                             << "actionStayOnTop" << 0;
    QTest::newRow("Ctrl+Alt+C") << "search" << int(Qt::Key_C) << (ctrl | alt)
                                << "actionFolderCopyName" << 0;
}

void TestMainWindowUi::shortcuts()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, action);
    QFETCH(int, runs);
    const MainWindowUi &ui = m_form->ui();
    auto *target = m_form->findChild<QAction *>(action);
    QVERIFY(target);
    // Keep the window open and the handlers quiet: only the shortcut's delivery counts.
    target->disconnect(m_form.get());
    QSignalSpy triggered(target, &QAction::triggered);
    QWidget *widget = focus == QLatin1String("list")     ? static_cast<QWidget *>(ui.resultList)
                      : focus == QLatin1String("search") ? ui.searchBox->lineEdit()
                                                         : ui.startFolderEdit->lineEdit();
    ui.searchBox->setEditText(QStringLiteral("dupont"));
    ui.searchBox->lineEdit()->selectAll();
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
    QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.size(), runs);
    // A key that is no shortcut there reaches the element: Ctrl+C in the search box
    // never copies its own selected text.
    if (action == QLatin1String("actionFolderCopyName") && runs == 1)
        QVERIFY(m_desktop->clipboardHistory().isEmpty());
}

void TestMainWindowUi::buttonKeys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("searchPresses");
    QTest::addColumn<int>("copyPresses");
    const int keypad = Qt::KeypadModifier;
    // Enter and Space press the button that has the focus.
    QTest::newRow("Enter on the search button")
        << "search button" << int(Qt::Key_Return) << 0 << 1 << 0;
    QTest::newRow("keypad Enter on the search button")
        << "search button" << int(Qt::Key_Enter) << keypad << 1 << 0;
    QTest::newRow("Space on the search button")
        << "search button" << int(Qt::Key_Space) << 0 << 1 << 0;
    QTest::newRow("Enter on the copy button")
        << "copy button" << int(Qt::Key_Return) << 0 << 0 << 1;
    QTest::newRow("keypad Enter on the copy button")
        << "copy button" << int(Qt::Key_Enter) << keypad << 0 << 1;
    QTest::newRow("Space on the copy button") << "copy button" << int(Qt::Key_Space) << 0 << 0 << 1;
    // No default button: Enter elsewhere presses none.
    QTest::newRow("Enter in the search box") << "search box" << int(Qt::Key_Return) << 0 << 0 << 0;
    QTest::newRow("Enter on the check box") << "check box" << int(Qt::Key_Return) << 0 << 0 << 0;
    // In the list Enter opens the current line (as a double click), which presses no button.
    QTest::newRow("Enter in the list") << "list" << int(Qt::Key_Return) << 0 << 0 << 0;
    QTest::newRow("Shift+Enter on the search button")
        << "search button" << int(Qt::Key_Return) << int(Qt::ShiftModifier) << 0 << 0;
}

void TestMainWindowUi::buttonKeys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, searchPresses);
    QFETCH(int, copyPresses);
    const MainWindowUi &ui = m_form->ui();
    QTest::keyClicks(ui.searchBox->lineEdit(), QStringLiteral("du"));
    QTRY_COMPARE(ui.resultList->count(), 3); // the search may finish after the keys
    QSignalSpy searchClicks(ui.searchButton, &QAbstractButton::clicked);
    QSignalSpy copies(ui.actionFolderCopyName, &QAction::triggered);
    QWidget *widget = focus == u"search button" ? static_cast<QWidget *>(ui.searchButton)
                      : focus == u"copy button" ? ui.copyButton
                      : focus == u"search box"  ? ui.searchBox->lineEdit()
                      : focus == u"check box"   ? static_cast<QWidget *>(ui.beginsWithCheck)
                                                : ui.resultList;
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
    QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(searchClicks.size(), searchPresses);
    QCOMPARE(copies.size(), copyPresses);
    // What the buttons do: the search ran again, the current line's name was copied.
    QCOMPARE(ui.resultList->count(), 3);
    // An opening copies the name too.
    const qsizetype openings = focus == u"list" ? 1 : 0;
    QCOMPARE(m_desktop->openedFolders().size(), openings);
    QCOMPARE(m_desktop->clipboardHistory().size(), qsizetype(copyPresses) + openings);
    QVERIFY(ui.beginsWithCheck->isChecked());
}

void TestMainWindowUi::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Icon>("picture");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("open") << "actionFolderOpen"
                          << "Ouvrir le dossier pointé" << Icon::OpenFolder << "Ctrl+O";
    QTest::newRow("copy") << "actionMenuCopyName"
                          << "Copier le nom du dossier dans le PP" << Icon::Clipboard << "Ctrl+C";
    QTest::newRow("surname") << "actionFilterSurname"
                             << "Portant le même NOM" << Icon::Man << "";
    QTest::newRow("full name") << "actionFilterFullName"
                               << "Portants les mêmes Nom et Prénom" << Icon::Profile << "";
    QTest::newRow("first name") << "actionFilterFirstName"
                                << "selon le prénom" << Icon::Woman << "";
    QTest::newRow("refresh") << "actionRefresh"
                             << "Rafraichir" << Icon::CircularArrows << "F5";
    QTest::newRow("delete") << "actionFolderTrash"
                            << "Supprimer" << Icon::RedCross << "Ctrl+Suppr";
    QTest::newRow("on top") << "actionStayOnTop"
                            << "Toujours en avant" << Icon::StackedWindows << "Alt+A";
    QTest::newRow("panel") << "actionShowStartFolder"
                           << "Afficher le dossier de départ de la recherche ..." << Icon::Folder
                           << "Alt+D";
    QTest::newRow("logs") << "actionTidyLogs"
                          << "Créer des fichier LOG" << Icon::FilmReels << "";
    QTest::newRow("accents") << "actionIgnoreAccents"
                             << "Ignorer les accents" << Icon::StruckAccent << "";
    QTest::newRow("nesting help") << "actionHelpNesting"
                                  << "Déplacer un dossier dans la liste" << Icon::Folder << "";
    QTest::newRow("revisions") << "actionHelpRevisions"
                               << "Révisions" << Icon::Pencil << "";
    QTest::newRow("quit") << "actionQuit"
                          << "Quitter" << Icon::Door << "Ctrl+Q";
}

void TestMainWindowUi::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(Icon, picture);
    QFETCH(QString, shortcut);
    auto *item = m_form->findChild<QAction *>(name);
    QVERIFY(item);
    QCOMPARE(item->iconText(), caption);
    QCOMPARE(actionIcon(item), picture);
    QVERIFY(!item->icon().isNull());
    const QString shown = item->text().section(QLatin1Char('\t'), 1);
    QCOMPARE(shown, shortcut);
    // Reachable from the context menu, directly or through a submenu.
    QMenu *menu = m_form->ui().listContextMenu;
    bool found = menu->actions().contains(item);
    for (QAction *entry : menu->actions())
        found = found || (entry->menu() && entry->menu()->actions().contains(item));
    QVERIFY(found);
    QCOMPARE(menu->defaultAction(), m_form->ui().actionFolderOpen);
}

// The options, in their order, each a check mark; on a first start the accents count.
void TestMainWindowUi::optionsMenu()
{
    const MainWindowUi &ui = m_form->ui();
    QCOMPARE(ui.optionsMenu->actions(),
             (QList<QAction *>{ui.actionStayOnTop, ui.actionShowStartFolder, ui.actionTidyLogs,
                               ui.actionIgnoreAccents}));
    for (QAction *option : ui.optionsMenu->actions())
        QVERIFY2(option->isCheckable(), qPrintable(option->objectName()));
    QVERIFY(!ui.actionIgnoreAccents->isChecked());
}

void TestMainWindowUi::rightClickKeepsSelection()
{
    const MainWindowUi &ui = m_form->ui();
    QTest::keyClicks(ui.searchBox->lineEdit(), QStringLiteral("du"));
    QCOMPARE(ui.resultList->count(), 3);
    QCOMPARE(ui.resultList->currentLine(), 0);
    const QRect third = ui.resultList->visualRect(ui.resultList->model()->index(2, 0));
    QTest::mousePress(ui.resultList->viewport(), Qt::RightButton, {}, third.center());
    QTest::mouseRelease(ui.resultList->viewport(), Qt::RightButton, {}, third.center());
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, third.center(),
                                ui.resultList->viewport()->mapToGlobal(third.center()));
    QApplication::sendEvent(ui.resultList->viewport(), &menuEvent);
    QTRY_VERIFY(ui.listContextMenu->isVisible());
    QCOMPARE(ui.resultList->currentLine(), 0);
    ui.listContextMenu->close();
}

void TestMainWindowUi::drops_data()
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
    // Another machine's file is no local path, whatever its path spells.
    QTest::newRow("only another host's file")
        << "list" << QList<QUrl>{QUrl(QStringLiteral("file://serveur") + a)} << QString()
        << QStringList();
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

void TestMainWindowUi::drops()
{
    QFETCH(QString, over);
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(QStringList, paths);
    const MainWindowUi &ui = m_form->ui();
    QWidget *target = over == QLatin1String("list")     ? ui.resultList->viewport()
                      : over == QLatin1String("search") ? ui.searchBox->lineEdit()
                      : over == QLatin1String("folder") ? ui.startFolderEdit->lineEdit()
                                                        : static_cast<QWidget *>(ui.searchPanel);
    QSignalSpy dropped(&m_form->dropTarget(), &ShellDropTarget::filesDropped);
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    // The list is empty: a drop of files asks for a target folder, and nothing moves.
    if (!paths.isEmpty())
        m_desktop->setNextAnswer(Desktop::Button::Ok);
    const QPoint at(5, 6);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QCOMPARE(enter.isAccepted(), !paths.isEmpty());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    const QString searchText = ui.searchBox->currentText();
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
    QCOMPARE(ui.startFolderEdit->text(), m_dir.filePath(QStringLiteral("patients")));
}

void TestMainWindowUi::browse_data()
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

void TestMainWindowUi::browse()
{
    QFETCH(QString, field);
    QFETCH(QString, answer);
    QFETCH(QString, start);
    QFETCH(QString, after);
    const MainWindowUi &ui = m_form->ui();
    ui.startFolderEdit->setText(field);
    ui.resultList->setFocus();
    m_desktop->setNextFolder(answer);
    QTest::mouseClick(ui.startFolderEdit->browseButton(), Qt::LeftButton);
    QCOMPARE(m_desktop->chooserStarts(), QStringList{start});
    QCOMPARE(ui.startFolderEdit->text(), after);
    QVERIFY(ui.startFolderEdit->lineEdit()->hasFocus());
}

void TestMainWindowUi::browseKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("browses");
    // The keys of a combo box's list open the chooser from the field.
    QTest::newRow("F4") << int(Qt::Key_F4) << 0 << true;
    QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier) << true;
    QTest::newRow("Alt+keypad Down")
        << int(Qt::Key_Down) << int(Qt::AltModifier | Qt::KeypadModifier) << true;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << false;
    QTest::newRow("Shift+F4") << int(Qt::Key_F4) << int(Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << int(Qt::ControlModifier) << false;
}

// From the keyboard alone: the browse button takes no focus, the field's keys open the
// chooser, and the field's tooltip says which.
void TestMainWindowUi::browseKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, browses);
    const MainWindowUi &ui = m_form->ui();
    const QString patients = m_dir.filePath(QStringLiteral("patients"));
    const QString chosen = m_dir.filePath(QStringLiteral("bin"));
    QCOMPARE(ui.startFolderEdit->browseButton()->focusPolicy(), Qt::NoFocus);
    const QStringList tip = ui.startFolderEdit->toolTip().split(u'\n');
    QCOMPARE(
        tip.value(0),
        QStringLiteral("Choisissez le dossier Windows ou sont rangés les sous dossiers à trouver"));
    QCOMPARE(tip.value(1), QStringLiteral("Alt+Flèche bas ou F4 : parcourir les dossiers"));

    QWidget *field = ui.startFolderEdit->lineEdit();
    field->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(field->hasFocus());
    if (browses)
        m_desktop->setNextFolder(chosen);
    QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_desktop->chooserStarts(), browses ? QStringList{patients} : QStringList());
    QCOMPARE(ui.startFolderEdit->text(), browses ? chosen : patients);
    QVERIFY(field->hasFocus());
}

QTEST_MAIN(TestMainWindowUi)
#include "tst_main_window_ui.moc"
