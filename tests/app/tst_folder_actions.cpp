// Opening the current line's folder and copying its name, on real widgets (offscreen)
// with a scripted desktop: history, logs, clipboard, file browser, the balloon, and the
// lines the user selects with the mouse or the arrow keys.
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
    void ctrlOOpensInTheList();
    void sameSecondAndSameDay();
    void noCurrentLineWarns_data();
    void noCurrentLineWarns();
    void failingLogStopsTheOpening_data();
    void failingLogStopsTheOpening();
    void noFileBrowser();
    void folderGoneSinceTheSearch();
    void startFolderReadAfresh();
    void busyClipboard();
    void arrowKeysCopyEachName();
    void mouseAndCopyActionCopy();
    void programSelectionDoesNotCopy();

private:
    void doubleClick(int row);
};

void TestFolderActions::doubleClick(int row)
{
    ResultListView *list = m_form->elements().ListBox1;
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QRect rect = list->visualRect(index);
    QVERIFY(!rect.isEmpty());
    // Through the window system, as a real double click comes: press, release, press
    // (made a double click by its timing), release.
    const QPoint point = list->viewport()->mapTo(m_form.get(), rect.center());
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
    TForm1 &form = makeForm(search);
    const Form1Elements &ui = form.elements();
    const QStringList before = lines();
    const int row = int(before.indexOf(entry));
    QVERIFY2(row >= 0, qPrintable(before.join(u'|')));
    doubleClick(row);

    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(entry)});
    // The first click selected the line and copied it, with its balloon.
    QCOMPARE(m_desktop->notices().last().title, entry);
    // The name, never the path, on the clipboard; the box shows it, the list is unchanged.
    QCOMPARE(m_desktop->clipboardText(), entry);
    QVERIFY(!m_desktop->clipboardHistory().contains(patient(entry)));
    QCOMPARE(ui.Cherche->currentText(), entry);
    QCOMPARE(lines(), before);
    QCOMPARE(ui.Cherche->count(), 1);
    QCOMPARE(ui.Cherche->itemText(0), entry);
    // One entry in each log, each with the time of its own write.
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs), entry);
    QCOMPARE(folderLog(entry, u"03/02/2022"_qs), u"09:14:28"_qs);
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
}

void TestFolderActions::ctrlOOpensInTheList()
{
    TForm1 &form = makeForm(u"dupont j"_qs);
    const Form1Elements &ui = form.elements();
    // Elsewhere in the window the shortcut does nothing.
    QTest::keyClick(ui.Cherche->lineEdit(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_desktop->openedFolders(), QStringList());
    ui.ListBox1->setFocus();
    QTRY_VERIFY(ui.ListBox1->hasFocus());
    QTest::keyClick(ui.ListBox1, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(u"DUPONT Jean"_qs)});
    QCOMPARE(m_desktop->clipboardText(), u"DUPONT Jean"_qs);
}

void TestFolderActions::sameSecondAndSameDay()
{
    store::FixedClock clock({QDateTime(QDate(2022, 2, 3), QTime(9, 20, 3))});
    store::setClock(&clock);
    TForm1 &form = makeForm(u"dupont"_qs);
    const Form1Elements &ui = form.elements();
    // Known already, in other letter case: the history stays as it was.
    ui.Cherche->addItem(u"dupont jean"_qs);
    for (const QString &entry : {u"DUPONT Jean"_qs, u"DUPONT Mariette"_qs, u"DUPONT Jean"_qs}) {
        selectLine(entry);
        ui.mnu_EXPLORE->trigger();
    }
    QCOMPARE(ui.Cherche->count(), 2);
    QCOMPARE(ui.Cherche->itemText(0), u"DUPONT Mariette"_qs);
    QCOMPARE(ui.Cherche->itemText(1), u"dupont jean"_qs);
    // Same second: the journal keeps the later name; same day: one key per folder.
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:20:03"_qs), u"DUPONT Jean"_qs);
    QCOMPARE(folderLog(u"DUPONT Mariette"_qs, u"03/02/2022"_qs), u"09:20:03"_qs);
    QCOMPARE(m_desktop->openedFolders().size(), 3);
    // The option of the logs only governs their tidying.
    QVERIFY(ui.chk_LOG->isChecked());
}

void TestFolderActions::noCurrentLineWarns_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("warning");
    QTest::newRow("open") << u"mnu_EXPLORE"_qs
                          << u"Vous devez sélectionner le dossier à ouvrir dans la liste"_qs;
    QTest::newRow("copy") << u"Copy"_qs
                          << u"Vous devez sélectionner le nom du dossier à copier dans la liste"_qs;
    QTest::newRow("trash") << u"Supprimer1"_qs
                           << u"Vous devez sélectionner le  dossier à supprimer dans la liste"_qs;
}

void TestFolderActions::noCurrentLineWarns()
{
    QFETCH(QString, action);
    QFETCH(QString, warning);
    TForm1 &form = makeForm(u"x"_qs); // one letter: no search, an empty list
    auto *item = form.findChild<QAction *>(action);
    QVERIFY(item);
    m_desktop->setNextAnswer(Desktop::Ok);
    item->trigger();
    QCOMPARE(m_desktop->dialogs().size(), 1);
    QCOMPARE(m_desktop->dialogs().first().text, warning);
    QCOMPARE(int(m_desktop->dialogs().first().kind), int(Desktop::DialogKind::Warning));
    QCOMPARE(m_desktop->dialogs().first().buttons, Desktop::Buttons(Desktop::Ok));
    QCOMPARE(m_desktop->clipboardHistory(), QStringList());
    QCOMPARE(m_desktop->openedFolders(), QStringList());
    QCOMPARE(m_desktop->notices().size(), 0);
    QVERIFY(!exists(store::journalLogPath(exeFolder())));
    QVERIFY(!exists(m_dir->filePath(u"data"_qs)));
}

void TestFolderActions::failingLogStopsTheOpening_data()
{
    QTest::addColumn<bool>("journalFails");
    QTest::newRow("journal refused") << true;
    QTest::newRow("folder log refused") << false;
}

void TestFolderActions::failingLogStopsTheOpening()
{
    QFETCH(bool, journalFails);
    // A read-only log is refused even to root.
    const QString refused = journalFails ? u"bin/_JOURNAL.LOG"_qs : u"bin/_DOSSIERS.LOG"_qs;
    m_dir->createFile(refused, "");
    m_dir->setPermissions(refused, 0444);
    TForm1 &form = makeForm(u"dupont j"_qs);
    form.elements().mnu_EXPLORE->trigger();

    QCOMPARE(lastErrorText(),
             errorBoxText(u"Impossible d'écrire dans "_qs + m_dir->filePath(refused)));
    // Done before the failing step: the history (and the journal when the folder log failed).
    QCOMPARE(form.elements().Cherche->itemText(0), u"DUPONT Jean"_qs);
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs),
             journalFails ? u"<none>"_qs : u"DUPONT Jean"_qs);
    // Not done: the clipboard and the opening.
    QCOMPARE(m_desktop->clipboardHistory(), QStringList());
    QCOMPARE(m_desktop->openedFolders(), QStringList());
}

void TestFolderActions::noFileBrowser()
{
    m_desktop->setOpenSucceeds(false);
    TForm1 &form = makeForm(u"dupont j"_qs);
    form.elements().mnu_EXPLORE->trigger();
    QCOMPARE(m_desktop->openedFolders(), QStringList{patient(u"DUPONT Jean"_qs)});
    QCOMPARE(lastErrorText(),
             errorBoxText(u"Impossible d'ouvrir le dossier \""_qs + patient(u"DUPONT Jean"_qs) +
                          u"\" : le gestionnaire de fichiers du bureau n'a pas pu être lancé "
                          u"(xdg-open)"_qs));
    // The history and the logs stay written.
    QCOMPARE(form.elements().Cherche->itemText(0), u"DUPONT Jean"_qs);
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs), u"DUPONT Jean"_qs);
    QCOMPARE(folderLog(u"DUPONT Jean"_qs, u"03/02/2022"_qs), u"09:14:28"_qs);
}

void TestFolderActions::folderGoneSinceTheSearch()
{
    TForm1 &form = makeForm(u"dupont j"_qs);
    QVERIFY(QDir(patient(u"DUPONT Jean"_qs)).removeRecursively());
    form.elements().mnu_EXPLORE->trigger();
    QCOMPARE(m_desktop->openedFolders(), QStringList());
    QCOMPARE(lastErrorText(), errorBoxText(u"Le dossier \""_qs + patient(u"DUPONT Jean"_qs) +
                                           u"\" est introuvable"_qs));
    QCOMPARE(journal(u"03/02/2022"_qs, u"09:14:27"_qs), u"DUPONT Jean"_qs);
}

void TestFolderActions::startFolderReadAfresh()
{
    m_dir->createDir(u"ailleurs/DUPONT Jean"_qs);
    TForm1 &form = makeForm(u"dupont j"_qs);
    const Form1Elements &ui = form.elements();
    // Changed in the field since the search: the field's text counts, with or without a
    // trailing separator.
    ui.JvDirectory_DATA->setText(m_dir->filePath(u"ailleurs/"_qs));
    ui.mnu_EXPLORE->trigger();
    ui.JvDirectory_DATA->setText(m_dir->filePath(u"ailleurs"_qs));
    ui.mnu_EXPLORE->trigger();
    const QString expected = m_dir->filePath(u"ailleurs/DUPONT Jean"_qs);
    QCOMPARE(m_desktop->openedFolders(), (QStringList{expected, expected}));
}

void TestFolderActions::busyClipboard()
{
    m_desktop = std::make_unique<BusyClipboardDesktop>();
    TForm1 &form = makeForm(u"dupont j"_qs);
    const QString message =
        errorBoxText(u"Impossible d'ouvrir le Presse-papiers : il n'a pas accepté le texte"_qs);
    form.elements().Copy->trigger();
    QCOMPARE(lastErrorText(), message);
    QCOMPARE(m_desktop->notices().size(), 0);
    QVERIFY(!form.trayIcon().isVisible());

    form.elements().mnu_EXPLORE->trigger();
    QCOMPARE(m_desktop->errorBoxes().size(), 2);
    QCOMPARE(lastErrorText(), message);
    QCOMPARE(folderLog(u"DUPONT Jean"_qs, u"03/02/2022"_qs), u"09:14:28"_qs);
    QCOMPARE(m_desktop->openedFolders(), QStringList());
}

void TestFolderActions::arrowKeysCopyEachName()
{
    TForm1 &form = makeForm(u"dupont"_qs);
    const Form1Elements &ui = form.elements();
    ui.ListBox1->setFocus();
    QTRY_VERIFY(ui.ListBox1->hasFocus());
    QCOMPARE(ui.ListBox1->currentLine(), 0);
    for (int row = 1; row < 4; ++row) {
        QTest::keyClick(ui.ListBox1, Qt::Key_Down);
        QCOMPARE(ui.ListBox1->currentLine(), row);
        QCOMPARE(m_desktop->clipboardText(), lines().at(row));
        QVERIFY(form.trayIcon().isVisible());
        QCOMPARE(m_desktop->notices().last().title, lines().at(row));
        QCOMPARE(m_desktop->notices().last().text, u"Copié"_qs);
    }
    QCOMPARE(m_desktop->clipboardHistory(), lines().mid(1, 3));
    // Back to the top with the keyboard: a selection too.
    QTest::keyClick(ui.ListBox1, Qt::Key_Home);
    QCOMPARE(m_desktop->clipboardText(), lines().at(0));
    // A key that moves nothing copies nothing.
    const qsizetype copies = m_desktop->clipboardHistory().size();
    QTest::keyClick(ui.ListBox1, Qt::Key_Up);
    QCOMPARE(m_desktop->clipboardHistory().size(), copies);
    // The search box taking the focus takes the icon away.
    ui.Cherche->setFocus();
    QTRY_VERIFY(!form.trayIcon().isVisible());
}

void TestFolderActions::mouseAndCopyActionCopy()
{
    TForm1 &form = makeForm(u"dupont"_qs);
    const Form1Elements &ui = form.elements();
    ResultListView *list = ui.ListBox1;
    const QRect second = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(list->currentLine(), 2);
    QCOMPARE(m_desktop->clipboardHistory(), QStringList{lines().at(2)});
    QCOMPARE(m_desktop->notices().last().title, lines().at(2));

    // The copy button and Ctrl+C copy the current line.
    list->setCurrentLine(0);
    QTest::mouseClick(ui.Button2, Qt::LeftButton);
    QCOMPARE(m_desktop->clipboardText(), lines().at(0));
    list->setCurrentLine(1);
    QTest::keyClick(ui.Cherche->lineEdit(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_desktop->clipboardText(), lines().at(1));
    QCOMPARE(m_desktop->clipboardHistory().size(), 3);
    QCOMPARE(m_desktop->notices().last().title, lines().at(1));
}

void TestFolderActions::programSelectionDoesNotCopy()
{
    TForm1 &form = makeForm(u"dupont"_qs);
    const Form1Elements &ui = form.elements();
    QCOMPARE(ui.ListBox1->currentLine(), 0); // selected by the search
    ui.ListBox1->setCurrentLine(3);
    ui.ListBox1->setFocus();
    QTRY_VERIFY(ui.ListBox1->hasFocus());
    // A search run from the list's own key (F5) reselects line 0 itself: not a user's pick.
    ui.Cherche->setEditText(u"dura"_qs);
    QTest::keyClick(ui.ListBox1, Qt::Key_F5);
    QCOMPARE(lines(), (QStringList{u"DURAND Anne Marie"_qs, u"DURAND Paul"_qs}));
    QCOMPARE(m_desktop->clipboardHistory(), QStringList());
    QCOMPARE(m_desktop->notices().size(), 0);
}

QTEST_MAIN(TestFolderActions)
#include "tst_folder_actions.moc"
