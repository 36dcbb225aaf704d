// The actions on the current line on real widgets (offscreen) with a scripted desktop:
// opening (history, logs, clipboard, file browser), copying by action, mouse and arrow
// keys, the trash under a temporary home, the help items and the three filters.
#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/directory_edit.h"
#include "app/form1.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/scripted_desktop.h"
#include "app/tray_notice.h"
#include "platform/exe_identity.h"
#include "platform/native_names.h"
#include "store/activity_log.h"
#include "store/clock.h"
#include "store/ini_file.h"
#include "tests/support/testdir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList kPatients{
    u"DUPONT Marie 2019"_qs, u"DUPONT Marie-Claire"_qs, u"DUPONT Mariette"_qs,
    u"DUPONTIER Luc"_qs,     u"DUPONT Jean"_qs,         u"DUPONT"_qs,
    u"MARTIN Marie"_qs,      u"DURAND Anne Marie"_qs,   u"DURAND Paul"_qs,
    u"LE GALL Yann"_qs,      u"LEROY Yann"_qs,          u"DU -rf $(id); `id` \"x\""_qs,
    u"DU\nSAUT Ligne"_qs};

QStringList sorted(QStringList lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool exists(const QString &path)
{
    struct stat status;
    return ::lstat(platform::encodePath(path).constData(), &status) == 0;
}

// A desktop whose clipboard takes nothing, as when another program holds it.
class BusyClipboardDesktop : public ScriptedDesktop
{
public:
    void setClipboardText(const QString &) override {}
};

} // namespace

class TestFolderActions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void doubleClickOpens_data();
    void doubleClickOpens();
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
    void ctrlDelSendsToTheTrash();
    void ctrlDelOnAVanishedFolder();
    void trashRefusedKeepsTheFolder();
    void revisionNotes();
    void nestingHelp();
    void filters_data();
    void filters();
    void filterWarnings();

private:
    TForm1 &makeForm(const QString &search);
    void selectLine(const QString &line);
    QStringList lines() const { return m_form->elements().ListBox1Model->lines(); }
    QString patient(const QString &name) const { return m_dir->filePath(u"patients/"_qs + name); }
    QString exeFolder() const { return m_dir->filePath(u"bin/"_qs); }
    QString journal(const QString &date, const QString &time) const;
    QString folderLog(const QString &entry, const QString &date) const;
    void doubleClick(int row);
    QString lastErrorText() const;

    std::unique_ptr<TestDir> m_dir;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<store::FixedClock> m_clock;
    QByteArray m_oldDataHome;
};

void TestFolderActions::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
}

void TestFolderActions::cleanupTestCase()
{
    if (m_oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_oldDataHome);
    platform::overrideExecutablePath(QString());
}

void TestFolderActions::init()
{
    m_dir = std::make_unique<TestDir>();
    m_dir->createDir(u"bin"_qs);
    for (const QString &name : kPatients)
        m_dir->createFile(u"patients/"_qs + name + u"/compte rendu.txt"_qs, "bilan");
    platform::overrideExecutablePath(m_dir->filePath(u"bin/Palvoric"_qs));
    qputenv("XDG_DATA_HOME", m_dir->nativePath("data"));
    m_clock = std::make_unique<store::FixedClock>(
        QList<QDateTime>{QDateTime(QDate(2022, 2, 3), QTime(9, 14, 27)),
                         QDateTime(QDate(2022, 2, 3), QTime(9, 14, 28))});
    store::setClock(m_clock.get());
    m_desktop = std::make_unique<ScriptedDesktop>();
}

void TestFolderActions::cleanup()
{
    m_form.reset();
    store::setClock(nullptr);
    const QStringList failures = m_desktop->failures();
    m_desktop.reset();
    m_dir.reset();
    QCOMPARE(failures, QStringList());
}

TForm1 &TestFolderActions::makeForm(const QString &search)
{
    m_form = std::make_unique<TForm1>(*m_desktop, QStringList{search});
    // Before the window is shown, as a stored start folder would be.
    m_form->elements().JvDirectory_DATA->setText(m_dir->filePath(u"patients"_qs));
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qWarning("the window did not become active");
    return *m_form;
}

void TestFolderActions::selectLine(const QString &line)
{
    const int row = int(lines().indexOf(line));
    QVERIFY2(row >= 0, qPrintable(line));
    m_form->elements().ListBox1->setCurrentLine(row);
}

QString TestFolderActions::journal(const QString &date, const QString &time) const
{
    return store::IniReadString(date, time, u"<none>"_qs, store::journalLogPath(exeFolder()));
}

QString TestFolderActions::folderLog(const QString &entry, const QString &date) const
{
    return store::IniReadString(entry, date, u"<none>"_qs, store::folderLogPath(exeFolder()));
}

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

QString TestFolderActions::lastErrorText() const
{
    return m_desktop->errorBoxes().isEmpty() ? QString() : m_desktop->errorBoxes().last().text;
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

void TestFolderActions::ctrlDelSendsToTheTrash()
{
    TForm1 &form = makeForm(u"dura"_qs);
    const Form1Elements &ui = form.elements();
    selectLine(u"DURAND Paul"_qs);
    ui.ListBox1->setFocus();
    QTRY_VERIFY(ui.ListBox1->hasFocus());
    QTest::keyClick(ui.ListBox1, Qt::Key_Delete, Qt::ControlModifier);

    // No question asked; the list rebuilt without it; restorable from the trash.
    QCOMPARE(m_desktop->dialogs().size(), 0);
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
    QCOMPARE(lines(), QStringList{u"DURAND Anne Marie"_qs});
    QVERIFY(!exists(patient(u"DURAND Paul"_qs)));
    QVERIFY(exists(m_dir->filePath(u"data/Trash/files/DURAND Paul/compte rendu.txt"_qs)));
    QVERIFY(exists(m_dir->filePath(u"data/Trash/info/DURAND Paul.trashinfo"_qs)));
}

void TestFolderActions::ctrlDelOnAVanishedFolder()
{
    TForm1 &form = makeForm(u"dura"_qs);
    const Form1Elements &ui = form.elements();
    selectLine(u"DURAND Paul"_qs);
    QVERIFY(QDir(patient(u"DURAND Paul"_qs)).removeRecursively());
    ui.Supprimer1->trigger();
    QCOMPARE(lastErrorText(), errorBoxText(u"Le dossier \"DURAND Paul\" n'existe plus"_qs));
    QCOMPARE(lines(), QStringList{u"DURAND Anne Marie"_qs});
    // Nothing else was touched.
    QVERIFY(exists(patient(u"DURAND Anne Marie"_qs)));
    QVERIFY(exists(m_dir->filePath(u"patients"_qs)));
    QVERIFY(!exists(m_dir->filePath(u"data/Trash/info"_qs)));
}

void TestFolderActions::trashRefusedKeepsTheFolder()
{
    // A trash whose info folder is a file: refused, even to root.
    m_dir->createFile(u"data/Trash/info"_qs, "");
    TForm1 &form = makeForm(u"dura"_qs);
    selectLine(u"DURAND Paul"_qs);
    form.elements().Supprimer1->trigger();
    QCOMPARE(lastErrorText(),
             errorBoxText(u"Le dossier \"DURAND Paul\" n'a pas pu être mis à la corbeille : un "
                          u"élément du chemin n'est pas un dossier. Il n'a pas été supprimé"_qs));
    QVERIFY(exists(patient(u"DURAND Paul"_qs) + u"/compte rendu.txt"_qs));
    QCOMPARE(lines(), (QStringList{u"DURAND Anne Marie"_qs, u"DURAND Paul"_qs}));
}

void TestFolderActions::revisionNotes()
{
    TForm1 &form = makeForm(QString());
    form.elements().Rvisiions1->trigger();
    QCOMPARE(lastErrorText(), errorBoxText(u"Le fichier \""_qs + exeFolder() +
                                           u"_REVISIONS.TXT\" est introuvable"_qs));
    QCOMPARE(m_desktop->openedTextFiles(), QStringList());

    m_dir->createFile(u"bin/_REVISIONS.TXT"_qs, "22.2.3 : corrections\r\n");
    form.elements().Rvisiions1->trigger();
    QCOMPARE(m_desktop->openedTextFiles(), QStringList{exeFolder() + u"_REVISIONS.TXT"_qs});
    QCOMPARE(m_desktop->errorBoxes().size(), 1);
}

void TestFolderActions::nestingHelp()
{
    TForm1 &form = makeForm(QString());
    m_desktop->setNextAnswer(Desktop::Ok);
    form.elements().N5->trigger();
    QCOMPARE(m_desktop->dialogs().size(), 1);
    const ScriptedDesktop::DialogCall &call = m_desktop->dialogs().first();
    QCOMPARE(call.text, u"Le déplacement sert à imbriquer les dossiers du même patient\r\n\r\n"
                        u"Pour déplacer un dossier dans un autre\r\n\r\nSélectionner le "
                        u"\"premier dossier\" à la souris et glisser la barre sous le nom du "
                        u"\"dossier de destination\""_qs);
    QCOMPARE(int(call.kind), int(Desktop::DialogKind::Information));
    QCOMPARE(call.buttons, Desktop::Buttons(Desktop::Ok));
}

void TestFolderActions::filters_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("beginsWith");
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<QStringList>("expected");

    const QStringList marieFamily{u"DUPONT Marie 2019"_qs, u"DUPONT Marie-Claire"_qs,
                                  u"DUPONT Mariette"_qs};
    const QStringList dupont =
        QStringList{u"DUPONT"_qs, u"DUPONT Jean"_qs, u"DUPONTIER Luc"_qs} + marieFamily;
    QTest::newRow("same surname: longer surnames too")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"ApartirduNOM1"_qs << true << u"DUPONT"_qs
        << dupont;
    QTest::newRow("same surname and first name")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"ApartirduNometduPrnom1"_qs << true
        << u"DUPONT Marie"_qs << marieFamily;
    QTest::newRow("same first name, whatever the surname")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"Filtrerselonleprnom1"_qs << true
        << u"* Marie"_qs << marieFamily + QStringList{u"MARTIN Marie"_qs, u"DURAND Anne Marie"_qs};
    QTest::newRow("same first name in mode contains")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"Filtrerselonleprnom1"_qs << false
        << u"* Marie"_qs << marieFamily + QStringList{u"MARTIN Marie"_qs, u"DURAND Anne Marie"_qs};
    QTest::newRow("compound surname cut at its blank")
        << u"le"_qs << u"LE GALL Yann"_qs << u"ApartirduNOM1"_qs << true << u"LE"_qs
        << QStringList{u"LE GALL Yann"_qs, u"LEROY Yann"_qs};
    QTest::newRow("first name of a compound surname")
        << u"le"_qs << u"LE GALL Yann"_qs << u"Filtrerselonleprnom1"_qs << true << u"* GALL"_qs
        << QStringList{u"LE GALL Yann"_qs};
    QTest::newRow("single piece: nothing happens")
        << u"dupont"_qs << u"DUPONT"_qs << u"Filtrerselonleprnom1"_qs << true << u"dupont"_qs
        << dupont;
}

void TestFolderActions::filters()
{
    QFETCH(QString, search);
    QFETCH(QString, line);
    QFETCH(QString, item);
    QFETCH(bool, beginsWith);
    QFETCH(QString, searchText);
    QFETCH(QStringList, expected);
    TForm1 &form = makeForm(search);
    const Form1Elements &ui = form.elements();
    if (!beginsWith)
        ui.chk_DEBUT->setChecked(false); // runs the search again, in mode contains
    selectLine(line);
    auto *action = form.findChild<QAction *>(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(ui.Cherche->currentText(), searchText);
    QCOMPARE(sorted(lines()), sorted(expected));
    QCOMPARE(ui.chk_DEBUT->isChecked(), beginsWith);
    QCOMPARE(m_desktop->dialogs().size(), 0);
}

void TestFolderActions::filterWarnings()
{
    TForm1 &form = makeForm(u"x"_qs);
    const Form1Elements &ui = form.elements();
    m_desktop->setNextAnswer(Desktop::Ok);
    ui.ApartirduNOM1->trigger();
    QCOMPARE(m_desktop->dialogs().last().text, u"La liste est vide !"_qs);

    ui.Cherche->setEditText(u"dura"_qs);
    ui.BTN_Chercher->trigger();
    ui.ListBox1->setCurrentLine(-1);
    for (QAction *filter : {ui.ApartirduNOM1, ui.ApartirduNometduPrnom1, ui.Filtrerselonleprnom1}) {
        m_desktop->setNextAnswer(Desktop::Ok);
        filter->trigger();
        QCOMPARE(m_desktop->dialogs().last().text,
                 u"Vous devez sélectionner une ligne dans la liste"_qs);
        QCOMPARE(int(m_desktop->dialogs().last().kind), int(Desktop::DialogKind::Warning));
    }
    QCOMPARE(m_desktop->dialogs().size(), 4);
    // The search text and the list stay as they were.
    QCOMPARE(ui.Cherche->currentText(), u"dura"_qs);
    QCOMPARE(lines().size(), 2);
}

QTEST_MAIN(TestFolderActions)
#include "tst_folder_actions.moc"
