// The main window's controller on real widgets (offscreen), with a scripted desktop.
#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/icons.h"
#include "app/main_window.h"
#include "app/main_window_ui.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/theme.h"
#include "app/tray_notice.h"
#include "platform/exe_identity.h"
#include "search/folder_search.h"
#include "tests/support/app/scripted_desktop.h"
#include "tests/support/file_helpers.h"
#include "tests/support/search/gated_searcher.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

class TestMainWindow : public QObject
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
    void slowFolderSearchesInTheBackground();
    void closedDuringASearch();
    void actionWaitsForASlowFolder();
    void programTextRunsNoSearch();
    void modeSwitch();
    void escape_data();
    void escape();
    void historyKeys_data();
    void historyKeys();
    void stayOnTopTwice();
    void panelCloseButton();
    void optionPictures_data();
    void optionPictures();
    void accentsOptionRerunsTheSearch();
    void searchesFollowTheAccentsOption_data();
    void searchesFollowTheAccentsOption();
    void button1_data();
    void button1();
    void quitCloses();
    void missingStartFolderFindsNothing();

private:
    MainWindow &makeForm(const QStringList &arguments = {});
    void typeInSearchBox(const QString &text);
    QStringList lines() const;

    QTemporaryDir m_dir;
    QString m_patients;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_form;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    platform::overrideExecutablePath(m_dir.filePath(QStringLiteral("bin/Palvoric")));
    // The window as the program shows it, with its theme.
    QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
    m_patients = m_dir.filePath(QStringLiteral("patients"));
    for (const char *name : {"DUPONT Marie 2019", "DUPONT Jean", "dupont Léa", "DURAND Paul",
                             "MARTIN Paul", "Martinez Ana", "DUMARTIN Luc", ".cache"})
        QVERIFY(root.mkpath(QStringLiteral("patients/") + QString::fromUtf8(name)));
}

void TestMainWindow::init()
{
    // Each case starts as on a first run: no settings, no history.
    for (const char *name : {"bin/Palvoric.INI", "bin/liste.txt"})
        QFile::remove(m_dir.filePath(QString::fromLatin1(name)));
    m_desktop = std::make_unique<ScriptedDesktop>();
}

void TestMainWindow::cleanup()
{
    // The window goes first: its tray icon talks to the desktop until the end.
    const bool hadForm = m_form != nullptr;
    m_form.reset();
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    if (hadForm)
        QCOMPARE(failures, QStringList());
}

MainWindow &TestMainWindow::makeForm(const QStringList &arguments)
{
    m_form = std::make_unique<MainWindow>(*m_desktop, arguments);
    // Before the window is shown, as a stored start folder would be.
    m_form->ui().startFolderEdit->setText(m_patients);
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qWarning("the window did not become active");
    return *m_form;
}

void TestMainWindow::typeInSearchBox(const QString &text)
{
    QTest::keyClicks(m_form->ui().searchBox->lineEdit(), text);
}

QStringList TestMainWindow::lines() const
{
    return m_form->ui().resultModel->lines();
}

void TestMainWindow::startsEmpty()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(ui.searchBox->currentText(), QString());
    QCOMPARE(ui.resultList->count(), 0);
    QCOMPARE(ui.resultPanel->caption(), QStringLiteral("Liste des sous-dossiers trouvés :"));
    QTRY_VERIFY(ui.searchBox->lineEdit()->hasFocus());
    QVERIFY(form.windowTitle().contains(QStringLiteral(" | Kestrane ***{:-  | ")));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("PALVORIC ")));
}

void TestMainWindow::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two arguments")
        << QStringList{u"DUPONT"_qs, u"Jean"_qs} << "DUPONT Jean" << QStringList{u"DUPONT Jean"_qs};
    QTest::newRow("surname") << QStringList{u"dupont"_qs} << "dupont"
                             << QStringList{u"DUPONT Jean"_qs, u"dupont Léa"_qs,
                                            u"DUPONT Marie 2019"_qs};
    QTest::newRow("one character: no search") << QStringList{u"D"_qs} << "D" << QStringList();
}

void TestMainWindow::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, searchText);
    QFETCH(QStringList, expected);
    MainWindow &form = makeForm(arguments);
    const MainWindowUi &ui = form.ui();
    QCOMPARE(ui.searchBox->currentText(), searchText);
    QCOMPARE(lines(), expected);
    QCOMPARE(ui.resultList->currentLine(), expected.isEmpty() ? -1 : 0);
}

void TestMainWindow::typingSearches()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("d"));
    QCOMPARE(ui.resultList->count(), 0);
    QCOMPARE(ui.resultPanel->caption(), QStringLiteral("Liste des sous-dossiers trouvés :"));
    typeInSearchBox(QStringLiteral("u"));
    QTRY_COMPARE(lines(), (QStringList{u"DUMARTIN Luc"_qs, u"DUPONT Jean"_qs, u"dupont Léa"_qs,
                                       u"DUPONT Marie 2019"_qs, u"DURAND Paul"_qs}));
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("5 dossier(s) trouvé(s) commençant par \"du\""));
    QCOMPARE(ui.resultList->currentLine(), 0);
    typeInSearchBox(QStringLiteral("p"));
    QTRY_COMPARE(lines(),
                 (QStringList{u"DUPONT Jean"_qs, u"dupont Léa"_qs, u"DUPONT Marie 2019"_qs}));
    // Deleting runs it too; down to one character, the last list and caption stay.
    QTest::keyClick(ui.searchBox->lineEdit(), Qt::Key_Backspace);
    QTRY_COMPARE(ui.resultList->count(), 5);
    QTest::keyClick(ui.searchBox->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(ui.searchBox->currentText(), QStringLiteral("d"));
    QCOMPARE(ui.resultList->count(), 5);
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("5 dossier(s) trouvé(s) commençant par \"du\""));
}

// A folder slower than the typing: each letter shows at once, the list keeps the lines
// the user sees, and only the last text's result ever fills it.
void TestMainWindow::slowFolderSearchesInTheBackground()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("du"));
    QTRY_COMPARE(ui.resultList->count(), 5);
    GatedSearcher folder;
    form.replaceSearcher(folder.searcher());

    typeInSearchBox(QStringLiteral("p"));
    QCOMPARE(ui.searchBox->currentText(), QStringLiteral("dup"));
    QVERIFY(form.isSearching());
    QCOMPARE(ui.resultPanel->caption(), QStringLiteral("Recherche de \"dup\"..."));
    QCOMPARE(ui.resultList->count(), 5);
    QCOMPARE(ui.resultList->currentLine(), 0);
    typeInSearchBox(QStringLiteral("o"));
    QCOMPARE(ui.resultPanel->caption(), QStringLiteral("Recherche de \"dupo\"..."));
    QVERIFY(folder.waitUntilBegun(QStringLiteral("dupo")));
    QVERIFY(folder.wasCancelled(QStringLiteral("dup")));

    folder.open(QStringLiteral("dupo"));
    folder.open(QStringLiteral("dup"));
    QTRY_COMPARE(lines(), QStringList{QStringLiteral("dupo trouvé")});
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("1 dossier(s) trouvé(s) commençant par \"dupo\""));
    QVERIFY(!form.isSearching());
    QCOMPARE(ui.resultList->currentLine(), 0);
}

void TestMainWindow::closedDuringASearch()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("du"));
    QTRY_COMPARE(ui.resultList->count(), 5);
    GatedSearcher folder;
    form.replaceSearcher(folder.searcher());
    typeInSearchBox(QStringLiteral("p"));
    QVERIFY(folder.waitUntilBegun(QStringLiteral("dup")));
    QVERIFY(form.close());
    QTRY_VERIFY(folder.wasCancelled(QStringLiteral("dup")));
    folder.open(QStringLiteral("dup"));
    QCoreApplication::processEvents();
    QCOMPARE(ui.resultList->count(), 5);
}

// F5 on a slow folder: the action's search is done when the action returns.
void TestMainWindow::actionWaitsForASlowFolder()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("du"));
    GatedSearcher folder;
    form.replaceSearcher(folder.searcher());
    // Answered while the action waits, the window's events running meanwhile.
    QTimer::singleShot(0, this, [&] { folder.open(QStringLiteral("du")); });
    ui.actionSearch->trigger();
    QCOMPARE(lines(), QStringList{QStringLiteral("du trouvé")});
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("1 dossier(s) trouvé(s) commençant par \"du\""));
}

void TestMainWindow::programTextRunsNoSearch()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    ui.searchBox->setEditText(QStringLiteral("DUPONT"));
    QCOMPARE(ui.resultList->count(), 0);
    // The action runs it.
    ui.actionSearch->trigger();
    QCOMPARE(ui.resultList->count(), 3);
}

void TestMainWindow::modeSwitch()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("mar"));
    QTRY_COMPARE(lines(), (QStringList{u"MARTIN Paul"_qs, u"Martinez Ana"_qs}));
    QTest::mouseClick(ui.beginsWithCheck, Qt::LeftButton);
    QVERIFY(!ui.beginsWithCheck->isChecked());
    QCOMPARE(ui.searchPanel->caption(),
             QStringLiteral("Rechercher les sous-dossiers contenants ..."));
    QCOMPARE(lines(), (QStringList{u"DUMARTIN Luc"_qs, u"DUPONT Marie 2019"_qs, u"MARTIN Paul"_qs,
                                   u"Martinez Ana"_qs}));
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("4 dossier(s) trouvé(s) contenants \"mar\""));
    // Set by the program, the box runs its handler too.
    ui.beginsWithCheck->setChecked(true);
    QCOMPARE(ui.searchPanel->caption(),
             QStringLiteral("Rechercher les sous-dossiers commençant par ..."));
    QCOMPARE(ui.resultList->count(), 2);
}

void TestMainWindow::escape_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("popup");
    QTest::addColumn<bool>("clears");
    // Esc anywhere in the window, the search box's drop-down list included, empties the box
    // and moves to it; the Esc that only closes a menu is the menu's.
    QTest::newRow("list") << "list"
                          << "none" << true;
    QTest::newRow("start-folder field") << "field"
                                        << "none" << true;
    QTest::newRow("search box's drop-down list") << "search"
                                                 << "drop-down list" << true;
    QTest::newRow("list's context menu") << "list"
                                         << "list menu" << false;
    QTest::newRow("submenu of the list's context menu") << "list"
                                                        << "options submenu" << false;
    QTest::newRow("search box's context menu") << "search"
                                               << "text menu" << false;
    QTest::newRow("start-folder field's context menu") << "field"
                                                       << "text menu" << false;
}

void TestMainWindow::escape()
{
    QFETCH(QString, focus);
    QFETCH(QString, popup);
    QFETCH(bool, clears);
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    ui.searchBox->addItems({u"DUPONT Jean"_qs, u"MARTIN Paul"_qs});
    ui.searchBox->clearEditText();
    typeInSearchBox(QStringLiteral("dup"));
    QTRY_COMPARE(ui.resultList->count(), 3); // the search may finish after the keys
    QWidget *focused = focus == u"list"    ? static_cast<QWidget *>(ui.resultList)
                       : focus == u"field" ? ui.startFolderEdit->lineEdit()
                                           : ui.searchBox->lineEdit();
    focused->setFocus();
    QTRY_VERIFY(focused->hasFocus());
    form.trayNotice().notify(QStringLiteral("DUPONT Jean"), QStringLiteral("Copié"));
    QVERIFY(m_desktop->trayIconPresent());

    QWidget *target = focused;
    if (popup == u"list menu" || popup == u"options submenu") {
        const QPoint at(10, 10);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                    ui.resultList->viewport()->mapToGlobal(at));
        QApplication::sendEvent(ui.resultList->viewport(), &menuEvent);
        QTRY_VERIFY(ui.listContextMenu->isVisible());
        target = ui.listContextMenu;
        if (popup == u"options submenu") {
            ui.listContextMenu->setActiveAction(ui.optionsMenu->menuAction());
            QTest::keyClick(ui.listContextMenu, Qt::Key_Right);
            QTRY_VERIFY(ui.optionsMenu->isVisible());
            target = ui.optionsMenu;
        }
    } else if (popup == u"text menu") {
        const QPoint at(5, 5);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, focused->mapToGlobal(at));
        QApplication::sendEvent(focused, &menuEvent);
        QTRY_VERIFY(QApplication::activePopupWidget());
        target = QApplication::activePopupWidget();
    } else if (popup == u"drop-down list") {
        ui.searchBox->showPopup();
        QTRY_VERIFY(ui.searchBox->view()->isVisible());
        target = ui.searchBox->view();
    }

    QTest::keyClick(target, Qt::Key_Escape);
    QTRY_VERIFY(!target->isVisible() || target == focused);
    // The list keeps its lines and its caption either way.
    QCOMPARE(ui.resultList->count(), 3);
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("3 dossier(s) trouvé(s) commençant par \"dup\""));
    if (clears) {
        QCOMPARE(ui.searchBox->currentText(), QString());
        QTRY_VERIFY(ui.searchBox->lineEdit()->hasFocus());
        // The focus entering the search box took the tray icon out.
        QCOMPARE(m_desktop->trayIconPresent(), focus == u"search");
    } else {
        QCOMPARE(ui.searchBox->currentText(), QStringLiteral("dup"));
        QVERIFY(m_desktop->trayIconPresent());
        if (QApplication::activePopupWidget())
            QApplication::activePopupWidget()->close(); // the menu above a submenu
        QTRY_VERIFY(focused->hasFocus());
    }
}

void TestMainWindow::historyKeys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("picked");
    // The history as loaded: DUPONT Jean, DURAND Paul, MARTIN Paul. The keys are written
    // D (Down), U (Up), A (Alt+Down, which opens the list), E (Enter), X (Esc).
    QTest::newRow("at start, Down") << ""
                                    << "D"
                                    << "DUPONT Jean";
    QTest::newRow("at start, Up") << ""
                                  << "U"
                                  << "";
    QTest::newRow("after the last entry, Esc, Down") << "DDD"
                                                     << "XD"
                                                     << "DUPONT Jean";
    QTest::newRow("after the last entry, Esc, Down, Down") << "DDD"
                                                           << "XDD"
                                                           << "DURAND Paul";
    QTest::newRow("after the last entry, Esc, Up") << "DDD"
                                                   << "XU"
                                                   << "";
    QTest::newRow("after the second entry, Esc, Down, Up") << "DD"
                                                           << "XDU"
                                                           << "DUPONT Jean";
    QTest::newRow("after the last entry, Esc, the list opened, Down, Enter") << "DDD"
                                                                             << "XADE"
                                                                             << "DUPONT Jean";
    QTest::newRow("after the last entry, the list opened, Esc, Down") << "DDDA"
                                                                      << "XD"
                                                                      << "DUPONT Jean";
}

void TestMainWindow::historyKeys()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, picked);
    QVERIFY(writeFileBytes(m_dir.filePath(QStringLiteral("bin/liste.txt")),
                           "DUPONT Jean\r\nDURAND Paul\r\nMARTIN Paul\r\n"));
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    QCOMPARE(ui.searchBox->count(), 3);
    QTRY_VERIFY(ui.searchBox->lineEdit()->hasFocus());
    auto press = [&](QChar key) {
        // While the list is open, its keys go to the list.
        QWidget *target = ui.searchBox->view()->isVisible()
                              ? static_cast<QWidget *>(ui.searchBox->view())
                              : ui.searchBox->lineEdit();
        switch (key.unicode()) {
        case u'D':
            QTest::keyClick(target, Qt::Key_Down);
            break;
        case u'U':
            QTest::keyClick(target, Qt::Key_Up);
            break;
        case u'A':
            QTest::keyClick(target, Qt::Key_Down, Qt::AltModifier);
            QTRY_VERIFY(ui.searchBox->view()->isVisible());
            break;
        case u'E':
            QTest::keyClick(target, Qt::Key_Return);
            QTRY_VERIFY(!ui.searchBox->view()->isVisible());
            break;
        case u'X':
            QTest::keyClick(target, Qt::Key_Escape);
            QCOMPARE(ui.searchBox->currentText(), QString());
            QTRY_VERIFY(!ui.searchBox->view()->isVisible());
            break;
        }
    };
    for (const QChar key : before)
        press(key);
    for (const QChar key : keys)
        press(key);
    QCOMPARE(ui.searchBox->currentText(), picked);
    // A pick runs the search for it.
    if (!picked.isEmpty())
        QTRY_COMPARE(lines(), QStringList{picked});
}

void TestMainWindow::stayOnTopTwice()
{
    MainWindow &form = makeForm();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const MainWindowUi &ui = form.ui();
    const QRect geometry = form.geometry();
    QWidget *focused = QApplication::focusWidget();
    ui.actionStayOnTop->trigger();
    QVERIFY(form.staysOnTop());
    QCOMPARE(actionIcon(ui.actionStayOnTop), Icon::StackedWindows);
    ui.actionStayOnTop->trigger();
    QVERIFY(!form.staysOnTop());
    QCOMPARE(actionIcon(ui.actionStayOnTop), Icon::None);
    // The window was not re-created: still shown, same place and size, same focus.
    QVERIFY(form.isVisible());
    QCOMPARE(form.geometry(), geometry);
    QCOMPARE(QApplication::focusWidget(), focused);
}

void TestMainWindow::panelCloseButton()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    QVERIFY(ui.startFolderPanel->isVisible());
    QTest::mouseClick(ui.startFolderPanel->closeButton(), Qt::LeftButton);
    QVERIFY(!ui.startFolderPanel->isVisible());
    QVERIFY(!ui.actionShowStartFolder->isChecked());
    QCOMPARE(actionIcon(ui.actionShowStartFolder), Icon::Folder); // the picture stays as it was
    ui.actionShowStartFolder->trigger();
    QVERIFY(ui.startFolderPanel->isVisible());
    QCOMPARE(actionIcon(ui.actionShowStartFolder), Icon::Folder);
    ui.actionShowStartFolder->trigger();
    QVERIFY(!ui.startFolderPanel->isVisible());
    QCOMPARE(actionIcon(ui.actionShowStartFolder), Icon::None);
}

void TestMainWindow::optionPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Icon>("picture");
    QTest::newRow("logs") << "actionTidyLogs" << Icon::FilmReels;
    QTest::newRow("accents") << "actionIgnoreAccents" << Icon::StruckAccent;
}

void TestMainWindow::optionPictures()
{
    QFETCH(QString, name);
    QFETCH(Icon, picture);
    MainWindow &form = makeForm();
    auto *option = form.findChild<QAction *>(name);
    QVERIFY(option);
    // Set silently (as a stored state is restored), the item keeps its picture.
    option->setChecked(false);
    QCOMPARE(actionIcon(option), picture);
    option->trigger();
    QVERIFY(option->isChecked());
    QCOMPARE(actionIcon(option), picture);
    option->trigger();
    QVERIFY(!option->isChecked());
    QCOMPARE(actionIcon(option), Icon::None);
}

// Checking or unchecking the option searches again at once, under the new rule.
void TestMainWindow::accentsOptionRerunsTheSearch()
{
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("dupont"));
    QTRY_COMPARE(ui.resultList->count(), 3);
    GatedSearcher folder;
    folder.open(QStringLiteral("dupont"));
    form.replaceSearcher(folder.searcher());

    ui.actionIgnoreAccents->trigger();
    QVERIFY(ui.actionIgnoreAccents->isChecked());
    // Done when the action returns: the list holds the new result.
    QCOMPARE(lines(), QStringList{QStringLiteral("dupont trouvé")});
    QList<search::SearchRequest> requests = folder.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).text, QStringLiteral("dupont"));
    QCOMPARE(requests.at(0).mode, search::SearchMode::BeginsWith);
    QVERIFY(requests.at(0).ignoreAccents);

    ui.actionIgnoreAccents->trigger();
    QVERIFY(!ui.actionIgnoreAccents->isChecked());
    requests = folder.requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(1).text, QStringLiteral("dupont"));
    QVERIFY(!requests.at(1).ignoreAccents);
}

void TestMainWindow::searchesFollowTheAccentsOption_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<bool>("ignoreAccents");
    struct Row
    {
        const char *how;
        const char *searchText;
    };
    // "dupont" typed first: the current line is "DUPONT Jean".
    const Row rows[] = {{"typing", "dupontj"},
                        {"refresh", "dupont"},
                        {"mode switch", "dupont"},
                        {"surname filter", "DUPONT"},
                        {"full-name filter", "DUPONT Jean"},
                        {"first-name filter", "* Jean"}};
    for (const Row &row : rows) {
        for (bool ignoreAccents : {true, false})
            QTest::addRow("%s, %s", row.how, ignoreAccents ? "accents ignored" : "accents count")
                << QString::fromUtf8(row.how) << QString::fromUtf8(row.searchText) << ignoreAccents;
    }
}

// Every way the window searches carries the option as it stands.
void TestMainWindow::searchesFollowTheAccentsOption()
{
    QFETCH(QString, how);
    QFETCH(QString, searchText);
    QFETCH(bool, ignoreAccents);
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    typeInSearchBox(QStringLiteral("dupont"));
    QTRY_COMPARE(ui.resultList->currentLineText(), QStringLiteral("DUPONT Jean"));
    ui.actionIgnoreAccents->setChecked(ignoreAccents); // silently: no search of its own
    GatedSearcher folder;
    folder.open(searchText);
    form.replaceSearcher(folder.searcher());

    if (how == QLatin1String("typing"))
        typeInSearchBox(QStringLiteral("j"));
    else if (how == QLatin1String("refresh"))
        ui.actionRefresh->trigger();
    else if (how == QLatin1String("mode switch"))
        ui.beginsWithCheck->setChecked(false);
    else if (how == QLatin1String("surname filter"))
        ui.actionFilterSurname->trigger();
    else if (how == QLatin1String("full-name filter"))
        ui.actionFilterFullName->trigger();
    else
        ui.actionFilterFirstName->trigger();

    QVERIFY(folder.waitUntilBegun(searchText));
    const QList<search::SearchRequest> requests = folder.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).text, searchText);
    QCOMPARE(requests.at(0).ignoreAccents, ignoreAccents);
    QTRY_COMPARE(lines(), QStringList{searchText + QStringLiteral(" trouvé")});
}

void TestMainWindow::button1_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("notice");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("one character") << "D" << true;
    QTest::newRow("two characters") << "Du" << false;
}

void TestMainWindow::button1()
{
    QFETCH(QString, text);
    QFETCH(bool, notice);
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    ui.searchBox->setEditText(text);
    ui.searchButton->setFocus();
    if (notice)
        m_desktop->setNextAnswer(Desktop::Button::Ok);
    QTest::mouseClick(ui.searchButton, Qt::LeftButton);
    if (notice) {
        QCOMPARE(m_desktop->dialogs().size(), 1);
        QCOMPARE(m_desktop->dialogs().at(0).text, QStringLiteral("Entrez au moins 2 lettres"));
        QCOMPARE(m_desktop->dialogs().at(0).kind, Desktop::DialogKind::Plain);
        QCOMPARE(m_desktop->dialogs().at(0).buttons, Desktop::Buttons(Desktop::Button::Ok));
        QVERIFY(ui.searchBox->lineEdit()->hasFocus());
        QCOMPARE(ui.searchBox->lineEdit()->cursorPosition(), text.size());
        QVERIFY(!ui.searchBox->lineEdit()->hasSelectedText());
        QCOMPARE(ui.resultList->count(), 0);
    } else {
        QVERIFY(m_desktop->dialogs().isEmpty());
        QCOMPARE(ui.resultList->count(), 5);
    }
}

void TestMainWindow::quitCloses()
{
    MainWindow &form = makeForm();
    QVERIFY(form.isVisible());
    form.ui().actionQuit->trigger();
    QVERIFY(!form.isVisible());
}

void TestMainWindow::missingStartFolderFindsNothing()
{
    // A start folder that is missing is no error: count 0, no box.
    MainWindow &form = makeForm();
    const MainWindowUi &ui = form.ui();
    ui.startFolderEdit->setText(m_dir.filePath(QStringLiteral("missing")));
    typeInSearchBox(QStringLiteral("du"));
    QCOMPARE(ui.resultList->count(), 0);
    QCOMPARE(ui.resultPanel->caption(),
             QStringLiteral("0 dossier(s) trouvé(s) commençant par \"du\""));
    QVERIFY(m_desktop->errorBoxes().isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
