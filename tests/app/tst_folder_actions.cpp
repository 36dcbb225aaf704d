// Opening the current line's folder and copying its name, on real widgets (offscreen)
// with a scripted desktop: history, logs (written off the window's thread, and waited for
// at close), clipboard, file browser, the balloon, and the lines the user selects with
// the mouse or the arrow keys.
#include "tests/app/folder_actions_fixture.h"

#include "app/tray_notice.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>

namespace {

// A desktop whose clipboard takes nothing, as when another program holds it.
class BusyClipboardDesktop : public ScriptedDesktop
{
public:
    void setClipboardText(const QString &) override {}
};

} // namespace

class TestFolderActions : public FolderActionsTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void cleanupTestCase() { tearDownCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void doubleClickOpens_data();
    void doubleClickOpens();
    void doubleClickBelowTheLastLine_data();
    void doubleClickBelowTheLastLine();
    void keyOpensInTheList_data();
    void keyOpensInTheList();
    void heldEnterOpensOnce();
    void sameSecondAndSameDay();
    void noCurrentLineWarns_data();
    void noCurrentLineWarns();
    void failingLogShowsItsError_data();
    void failingLogShowsItsError();
    void closeWritesTheLogsFirst();
    void closeDoesNotWaitPastItsBound();
    void noFileBrowser();
    void folderGoneSinceTheSearch();
    void startFolderReadAfresh();
    void busyClipboard();
    void arrowKeysCopyEachName();
    void mouseAndCopyActionCopy();
    void programSelectionDoesNotCopy();

private:
    void doubleClick(int row);
    void doubleClickAt(const QPoint &pointInList);
};

void TestFolderActions::doubleClick(int row)
{
    ResultListView *list = m_form->ui().resultList;
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QRect rect = list->visualRect(index);
    QVERIFY(!rect.isEmpty());
    doubleClickAt(rect.center());
}

void TestFolderActions::doubleClickAt(const QPoint &pointInList)
{
    ResultListView *list = m_form->ui().resultList;
    QVERIFY(list->viewport()->rect().contains(pointInList));
    // Through the window system, as a real double click comes: press, release, press
    // (made a double click by its timing), release.
    const QPoint point = list->viewport()->mapTo(m_form.get(), pointInList);
    QTest::mouseDClick(m_form->windowHandle(), Qt::LeftButton, {}, point);
}

void TestFolderActions::doubleClickOpens_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("entry");
    QTest::newRow("patient") << u"dupont m"_qs << u"DUPONT Marie 2019"_qs;
    QTest::newRow("shell characters and a leading dash in the name")
        << u"du -"_qs << u"DU -rf $(id); `id` \"x\""_qs;
    QTest::newRow("line break in the name") << u"du"_qs << u"DU\nSAUT Ligne"_qs;
}

void TestFolderActions::doubleClickOpens()
{
    QFETCH(QString, search);
    QFETCH(QString, entry);
    MainWindow &form = makeForm(search);
    const MainWindowUi &ui = form.ui();
    const QStringList before = lines();
    const int row = int(before.indexOf(entry));
    QVERIFY2(row >= 0, qPrintable(before.join(u'|')));
    doubleClick(row);

    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(entry)});
    // The first click selected the line and copied it, with its balloon; the second click
    // copied nothing more.
    QCOMPARE(m_desktop->notices().size(), 1);
    QCOMPARE(m_desktop->notices().last().title, entry);
    // The name, never the path, on the clipboard; the box shows it, the list is unchanged.
    QCOMPARE(m_desktop->clipboardText(), entry);
    QVERIFY(!m_desktop->clipboardHistory().contains(patient(entry)));
    QCOMPARE(ui.searchBox->currentText(), entry);
    QCOMPARE(lines(), before);
    QCOMPARE(ui.searchBox->count(), 1);
    QCOMPARE(ui.searchBox->itemText(0), entry);
    // One entry in each log, both with the moment of the opening; a line break in the name
    // shows there as its picture.
    QVERIFY(m_disk->waitUntilWritten(1));
    QString logged = entry;
    logged.replace(u'\n', QChar(0x240A));
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs), logged);
    QCOMPARE(folderLog(entry, u"03/02/2022"_qs), u"09:14:27"_qs);
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
}

void TestFolderActions::doubleClickBelowTheLastLine_data()
{
    QTest::addColumn<int>("current");
    QTest::newRow("first line current") << 0;
    QTest::newRow("last line current") << 5;
    QTest::newRow("no line current") << -1;
}

// The double click is the list's: below the last line too, it opens the current line.
void TestFolderActions::doubleClickBelowTheLastLine()
{
    QFETCH(int, current);
    MainWindow &form = makeForm(u"dupont"_qs);
    ResultListView *list = form.ui().resultList;
    QCOMPARE(list->count(), 6);
    list->setCurrentLine(current);
    if (current < 0)
        m_desktop->setNextAnswer(Desktop::Button::Ok); // the warning
    const QRect below = list->lineRect(list->count());
    doubleClickAt(below.center());
    if (current < 0) {
        QCOMPARE(m_desktop->openedFolders(), QStringList());
        QCOMPARE(m_desktop->dialogs().size(), 1);
        QCOMPARE(m_desktop->dialogs().at(0).text,
                 u"Vous devez sélectionner le dossier à ouvrir dans la liste"_qs);
    } else {
        QCOMPARE(m_desktop->openedFolders(), QStringList{patient(lines().at(current))});
        QCOMPARE(form.ui().searchBox->currentText(), lines().at(current));
    }
    // Below the lines nothing was selected, so nothing was copied with a balloon.
    QCOMPARE(m_desktop->notices().size(), 0);
}

// The shortcut of the menu item, and Enter as on any list: the line opens as by a double
// click, once per key press.
void TestFolderActions::keyOpensInTheList_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter)
                                  << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void TestFolderActions::keyOpensInTheList()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    MainWindow &form = makeForm(u"dupont j"_qs);
    const MainWindowUi &ui = form.ui();
    // Elsewhere in the window the key does not open the line.
    QTest::keyClick(ui.searchBox->lineEdit(), Qt::Key(key), modifiers);
    QCOMPARE(m_desktop->openedFolders(), QStringList());
    ui.resultList->setFocus();
    QTRY_VERIFY(ui.resultList->hasFocus());
    QTest::keyClick(ui.resultList, Qt::Key(key), modifiers);
    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(u"DUPONT Jean"_qs)});
    QCOMPARE(m_desktop->clipboardText(), u"DUPONT Jean"_qs);
}

void TestFolderActions::heldEnterOpensOnce()
{
    MainWindow &form = makeForm(u"dupont j"_qs);
    const MainWindowUi &ui = form.ui();
    ui.resultList->setFocus();
    QTRY_VERIFY(ui.resultList->hasFocus());
    QTest::simulateEvent(ui.resultList, true, Qt::Key_Return, Qt::NoModifier, QString(), false);
    for (int i = 0; i < 3; ++i)
        QTest::simulateEvent(ui.resultList, true, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QTest::simulateEvent(ui.resultList, false, Qt::Key_Return, Qt::NoModifier, QString(), false);
    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(u"DUPONT Jean"_qs)});
}

void TestFolderActions::sameSecondAndSameDay()
{
    store::FixedClock clock({QDateTime(QDate(2022, 2, 3), QTime(9, 20, 3))});
    store::setClock(&clock);
    MainWindow &form = makeForm(u"dupont"_qs);
    const MainWindowUi &ui = form.ui();
    // Known already, in other letter case: the history stays as it was.
    ui.searchBox->addItem(u"dupont jean"_qs);
    for (const QString &entry : {u"DUPONT Jean"_qs, u"DUPONT Mariette"_qs, u"DUPONT Jean"_qs}) {
        selectLine(entry);
        ui.actionFolderOpen->trigger();
    }
    QCOMPARE(ui.searchBox->count(), 2);
    QCOMPARE(ui.searchBox->itemText(0), u"DUPONT Mariette"_qs);
    QCOMPARE(ui.searchBox->itemText(1), u"dupont jean"_qs);
    QVERIFY(m_disk->waitUntilWritten(3));
    // Same second: the journal keeps the later name; same day: one key per folder.
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:20:03"_qs), u"DUPONT Jean"_qs);
    QCOMPARE(folderLog(u"DUPONT Mariette"_qs, u"03/02/2022"_qs), u"09:20:03"_qs);
    QCOMPARE(m_desktop->openedFolders().size(), 3);
    // The option of the logs only governs their tidying.
    QVERIFY(ui.actionTidyLogs->isChecked());
}

void TestFolderActions::noCurrentLineWarns_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("warning");
    QTest::newRow("open") << u"actionFolderOpen"_qs
                          << u"Vous devez sélectionner le dossier à ouvrir dans la liste"_qs;
    QTest::newRow("copy") << u"actionFolderCopyName"_qs
                          << u"Vous devez sélectionner le nom du dossier à copier dans la liste"_qs;
    QTest::newRow("trash") << u"actionFolderTrash"_qs
                           << u"Vous devez sélectionner le  dossier à supprimer dans la liste"_qs;
}

void TestFolderActions::noCurrentLineWarns()
{
    QFETCH(QString, action);
    QFETCH(QString, warning);
    MainWindow &form = makeForm(u"x"_qs); // one letter: no search, an empty list
    auto *item = form.findChild<QAction *>(action);
    QVERIFY(item);
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    item->trigger();
    QCOMPARE(m_desktop->dialogs().size(), 1);
    QCOMPARE(m_desktop->dialogs().first().text, warning);
    QCOMPARE(int(m_desktop->dialogs().first().kind), int(Desktop::DialogKind::Warning));
    QCOMPARE(m_desktop->dialogs().first().buttons, Desktop::Buttons(Desktop::Button::Ok));
    QCOMPARE(m_desktop->clipboardHistory(), QStringList());
    QCOMPARE(m_desktop->openedFolders(), QStringList());
    QCOMPARE(m_desktop->notices().size(), 0);
    QVERIFY(!entryExists(store::journalLogPath(exeFolder())));
    QVERIFY(!entryExists(m_dir->filePath(u"data"_qs)));
}

void TestFolderActions::failingLogShowsItsError_data()
{
    QTest::addColumn<bool>("journalFails");
    QTest::newRow("journal refused") << true;
    QTest::newRow("folder log refused") << false;
}

// The opening does not wait for the logs: the folder opens, and the failed write shows
// its error box when it is known.
void TestFolderActions::failingLogShowsItsError()
{
    QFETCH(bool, journalFails);
    // A read-only log is refused even to root.
    const QString refused = journalFails ? u"bin/_JOURNAL.LOG"_qs : u"bin/_DOSSIERS.LOG"_qs;
    m_dir->createFile(refused, "");
    m_dir->setPermissions(refused, 0444);
    MainWindow &form = makeForm(u"dupont j"_qs);
    form.ui().actionFolderOpen->trigger();

    QCOMPARE(form.ui().searchBox->itemText(0), u"DUPONT Jean"_qs);
    QCOMPARE(m_desktop->clipboardText(), u"DUPONT Jean"_qs);
    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(u"DUPONT Jean"_qs)});
    QTRY_COMPARE(m_desktop->errorBoxes().size(), 1);
    QCOMPARE(lastErrorText(),
             errorBoxText(u"Impossible d'écrire dans "_qs + m_dir->filePath(refused)));
    // The journal keeps its entry when only the folder log failed.
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs),
             journalFails ? u"<none>"_qs : u"DUPONT Jean"_qs);
}

// A close waits for the openings not yet written, then tidies the logs: the blank line
// between the folder log's sections comes after both writes.
void TestFolderActions::closeWritesTheLogsFirst()
{
    MainWindow &form = makeForm(u"dupont"_qs);
    // Each write as slow as a far share: both still to be written when the close begins.
    form.replaceLogWrite(slowLogWrite(std::chrono::milliseconds(300)));
    for (const QString &entry : {u"DUPONT Jean"_qs, u"DUPONT Mariette"_qs}) {
        selectLine(entry);
        form.ui().actionFolderOpen->trigger();
    }
    QVERIFY(form.ui().actionTidyLogs->isChecked());
    QVERIFY(form.close());
    QCOMPARE(readFileBytes(store::journalLogPath(exeFolder())),
             QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Jean\r\n09:14:28=DUPONT Mariette\r\n"));
    QCOMPARE(readFileBytes(store::folderLogPath(exeFolder())),
             QByteArray("[DUPONT Jean]\r\n03/02/2022=09:14:27\r\n\r\n"
                        "[DUPONT Mariette]\r\n03/02/2022=09:14:28\r\n"));
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
}

// A disk that keeps the writes past the bound does not keep the window: it closes, and
// says which openings were not written; the logs are not tidied under the write.
void TestFolderActions::closeDoesNotWaitPastItsBound()
{
    // Logs the tidy pass would change: two sections with no blank line between them.
    const QByteArray untidy = "[01/02/2022]\r\n08:00:00=MARTIN Paul\r\n"
                              "[02/02/2022]\r\n08:00:00=DURAND Anne\r\n";
    m_dir->createFile(u"bin/_JOURNAL.LOG"_qs, untidy);
    MainWindow &form = makeForm(u"dupont j"_qs);
    GatedLogWrite heldDisk;
    form.replaceLogWrite(heldDisk.write(), std::chrono::milliseconds(100));
    form.ui().actionFolderOpen->trigger();
    QVERIFY(heldDisk.waitUntilBegun(1));
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
    QCOMPARE(m_desktop->errorBoxes().size(), 1);
    QCOMPARE(lastErrorText(),
             errorBoxText(store::unwrittenOpeningsMessage({u"DUPONT Jean"_qs}, exeFolder())));
    QVERIFY(entryExists(store::settingsFilePath()));
    QCOMPARE(readFileBytes(store::journalLogPath(exeFolder())), untidy);
    // The write goes on when the disk lets it.
    heldDisk.open();
    QVERIFY(heldDisk.waitUntilWritten(1));
    QCOMPARE(readFileBytes(store::journalLogPath(exeFolder())),
             untidy + "[03/02/2022]\r\n09:14:27=DUPONT Jean\r\n");
}

void TestFolderActions::noFileBrowser()
{
    m_desktop->setOpenSucceeds(false);
    MainWindow &form = makeForm(u"dupont j"_qs);
    form.ui().actionFolderOpen->trigger();
    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(u"DUPONT Jean"_qs)});
    QCOMPARE(lastErrorText(),
             errorBoxText(u"Impossible d'ouvrir le dossier \""_qs + patient(u"DUPONT Jean"_qs) +
                          u"\" : le gestionnaire de fichiers du bureau n'a pas pu être lancé "
                          u"(xdg-open)"_qs));
    // The history and the logs stay written.
    QCOMPARE(form.ui().searchBox->itemText(0), u"DUPONT Jean"_qs);
    QVERIFY(m_disk->waitUntilWritten(1));
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs), u"DUPONT Jean"_qs);
    QCOMPARE(folderLog(u"DUPONT Jean"_qs, u"03/02/2022"_qs), u"09:14:27"_qs);
}

void TestFolderActions::folderGoneSinceTheSearch()
{
    MainWindow &form = makeForm(u"dupont j"_qs);
    QVERIFY(QDir(patient(u"DUPONT Jean"_qs)).removeRecursively());
    form.ui().actionFolderOpen->trigger();
    QCOMPARE(m_desktop->openedFolders(), QStringList());
    QCOMPARE(lastErrorText(), errorBoxText(u"Le dossier \""_qs + patient(u"DUPONT Jean"_qs) +
                                           u"\" est introuvable"_qs));
    QVERIFY(m_disk->waitUntilWritten(1));
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs), u"DUPONT Jean"_qs);
}

void TestFolderActions::startFolderReadAfresh()
{
    m_dir->createDir(u"ailleurs/DUPONT Jean"_qs);
    MainWindow &form = makeForm(u"dupont j"_qs);
    const MainWindowUi &ui = form.ui();
    // Changed in the field since the search: the field's text counts, with or without a
    // trailing separator.
    ui.startFolderEdit->setText(m_dir->filePath(u"ailleurs/"_qs));
    ui.actionFolderOpen->trigger();
    ui.startFolderEdit->setText(m_dir->filePath(u"ailleurs"_qs));
    ui.actionFolderOpen->trigger();
    const QString expected = m_dir->filePath(u"ailleurs/DUPONT Jean"_qs);
    QCOMPARE(m_desktop->openedFolders(), (QStringList{expected, expected}));
}

void TestFolderActions::busyClipboard()
{
    m_desktop = std::make_unique<BusyClipboardDesktop>();
    MainWindow &form = makeForm(u"dupont j"_qs);
    const QString message =
        errorBoxText(u"Impossible d'ouvrir le Presse-papiers : il n'a pas accepté le texte"_qs);
    form.ui().actionFolderCopyName->trigger();
    QCOMPARE(lastErrorText(), message);
    QCOMPARE(m_desktop->notices().size(), 0);
    QVERIFY(!m_desktop->trayIconPresent());

    form.ui().actionFolderOpen->trigger();
    QCOMPARE(m_desktop->errorBoxes().size(), 2);
    QCOMPARE(lastErrorText(), message);
    QVERIFY(m_disk->waitUntilWritten(1));
    QCOMPARE(folderLog(u"DUPONT Jean"_qs, u"03/02/2022"_qs), u"09:14:27"_qs);
    QCOMPARE(m_desktop->openedFolders(), QStringList());
}

void TestFolderActions::arrowKeysCopyEachName()
{
    MainWindow &form = makeForm(u"dupont"_qs);
    const MainWindowUi &ui = form.ui();
    ui.resultList->setFocus();
    QTRY_VERIFY(ui.resultList->hasFocus());
    QCOMPARE(ui.resultList->currentLine(), 0);
    for (int row = 1; row < 4; ++row) {
        QTest::keyClick(ui.resultList, Qt::Key_Down);
        QCOMPARE(ui.resultList->currentLine(), row);
        QCOMPARE(m_desktop->clipboardText(), lines().at(row));
        QCOMPARE(m_desktop->notices().last().title, lines().at(row));
        QCOMPARE(m_desktop->notices().last().text, u"Copié"_qs);
    }
    QCOMPARE(m_desktop->clipboardHistory(), lines().mid(1, 3));
    // Back to the top with the keyboard: a selection too.
    QTest::keyClick(ui.resultList, Qt::Key_Home);
    QCOMPARE(m_desktop->clipboardText(), lines().at(0));
    // A key that moves nothing copies nothing.
    const qsizetype copies = m_desktop->clipboardHistory().size();
    QTest::keyClick(ui.resultList, Qt::Key_Up);
    QCOMPARE(m_desktop->clipboardHistory().size(), copies);
    // The search box taking the focus takes the icon away.
    ui.searchBox->setFocus();
    QTRY_VERIFY(!m_desktop->trayIconPresent());
}

void TestFolderActions::mouseAndCopyActionCopy()
{
    MainWindow &form = makeForm(u"dupont"_qs);
    const MainWindowUi &ui = form.ui();
    ResultListView *list = ui.resultList;
    const QRect second = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(list->currentLine(), 2);
    QCOMPARE(m_desktop->clipboardHistory(), QStringList{lines().at(2)});
    QCOMPARE(m_desktop->notices().last().title, lines().at(2));

    // The copy button and Ctrl+C copy the current line.
    list->setCurrentLine(0);
    QTest::mouseClick(ui.copyButton, Qt::LeftButton);
    QCOMPARE(m_desktop->clipboardText(), lines().at(0));
    list->setCurrentLine(1);
    QTest::keyClick(ui.searchBox->lineEdit(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_desktop->clipboardText(), lines().at(1));
    QCOMPARE(m_desktop->clipboardHistory().size(), 3);
    QCOMPARE(m_desktop->notices().last().title, lines().at(1));
}

void TestFolderActions::programSelectionDoesNotCopy()
{
    MainWindow &form = makeForm(u"dupont"_qs);
    const MainWindowUi &ui = form.ui();
    QCOMPARE(ui.resultList->currentLine(), 0); // selected by the search
    ui.resultList->setCurrentLine(3);
    ui.resultList->setFocus();
    QTRY_VERIFY(ui.resultList->hasFocus());
    // A search run from the list's own key (F5) reselects line 0 itself: not a user's pick.
    ui.searchBox->setEditText(u"dura"_qs);
    QTest::keyClick(ui.resultList, Qt::Key_F5);
    QCOMPARE(lines(), (QStringList{u"DURAND Anne Marie"_qs, u"DURAND Paul"_qs}));
    QCOMPARE(m_desktop->clipboardHistory(), QStringList());
    QCOMPARE(m_desktop->notices().size(), 0);
}

QTEST_MAIN(TestFolderActions)
#include "tst_folder_actions.moc"
