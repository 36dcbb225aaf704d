// Sending the current line's folder to the trash (a temporary home trash) with Ctrl+Del,
// and the two help items, on real widgets with a scripted desktop.
#include "tests/app/folder_actions_fixture.h"

#include <QAction>
#include <QDir>

class TestFolderTrashAndHelp : public FolderActionsTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void cleanupTestCase() { tearDownCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void ctrlDelSendsToTheTrash();
    void ctrlDelOnAVanishedFolder();
    void trashRefusedKeepsTheFolder();
    void revisionNotes();
    void nestingHelp();
};

void TestFolderTrashAndHelp::ctrlDelSendsToTheTrash()
{
    MainWindow &form = makeForm(u"dura"_qs);
    const MainWindowUi &ui = form.ui();
    selectLine(u"DURAND Paul"_qs);
    ui.resultList->setFocus();
    QTRY_VERIFY(ui.resultList->hasFocus());
    QTest::keyClick(ui.resultList, Qt::Key_Delete, Qt::ControlModifier);

    // No question asked; the list rebuilt without it; restorable from the trash.
    QCOMPARE(m_desktop->dialogs().size(), 0);
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
    QCOMPARE(lines(), QStringList{u"DURAND Anne Marie"_qs});
    QVERIFY(!entryExists(patient(u"DURAND Paul"_qs)));
    QVERIFY(entryExists(m_dir->filePath(u"data/Trash/files/DURAND Paul/compte rendu.txt"_qs)));
    QVERIFY(entryExists(m_dir->filePath(u"data/Trash/info/DURAND Paul.trashinfo"_qs)));
}

void TestFolderTrashAndHelp::ctrlDelOnAVanishedFolder()
{
    MainWindow &form = makeForm(u"dura"_qs);
    const MainWindowUi &ui = form.ui();
    selectLine(u"DURAND Paul"_qs);
    QVERIFY(QDir(patient(u"DURAND Paul"_qs)).removeRecursively());
    ui.actionFolderTrash->trigger();
    QCOMPARE(lastErrorText(), errorBoxText(u"Le dossier \"DURAND Paul\" n'existe plus"_qs));
    QCOMPARE(lines(), QStringList{u"DURAND Anne Marie"_qs});
    // Nothing else was touched.
    QVERIFY(entryExists(patient(u"DURAND Anne Marie"_qs)));
    QVERIFY(entryExists(m_dir->filePath(u"patients"_qs)));
    QVERIFY(!entryExists(m_dir->filePath(u"data/Trash/info"_qs)));
}

void TestFolderTrashAndHelp::trashRefusedKeepsTheFolder()
{
    // A trash whose info folder is a file: refused, even to root.
    m_dir->createFile(u"data/Trash/info"_qs, "");
    MainWindow &form = makeForm(u"dura"_qs);
    selectLine(u"DURAND Paul"_qs);
    form.ui().actionFolderTrash->trigger();
    QCOMPARE(lastErrorText(),
             errorBoxText(u"Le dossier \"DURAND Paul\" n'a pas pu être mis à la corbeille : un "
                          u"élément du chemin n'est pas un dossier. Il n'a pas été supprimé"_qs));
    QVERIFY(entryExists(patient(u"DURAND Paul"_qs) + u"/compte rendu.txt"_qs));
    QCOMPARE(lines(), (QStringList{u"DURAND Anne Marie"_qs, u"DURAND Paul"_qs}));
}

void TestFolderTrashAndHelp::revisionNotes()
{
    MainWindow &form = makeForm(QString());
    form.ui().actionHelpRevisions->trigger();
    QCOMPARE(lastErrorText(), errorBoxText(u"Le fichier \""_qs + exeFolder() +
                                           u"_REVISIONS.TXT\" est introuvable"_qs));
    QCOMPARE(m_desktop->openedTextFiles(), QStringList());

    m_dir->createFile(u"bin/_REVISIONS.TXT"_qs, "22.2.3 : corrections\r\n");
    form.ui().actionHelpRevisions->trigger();
    QCOMPARE(m_desktop->openedTextFiles(), QStringList{exeFolder() + u"_REVISIONS.TXT"_qs});
    QCOMPARE(m_desktop->errorBoxes().size(), 1);
}

void TestFolderTrashAndHelp::nestingHelp()
{
    MainWindow &form = makeForm(QString());
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    form.ui().actionHelpNesting->trigger();
    QCOMPARE(m_desktop->dialogs().size(), 1);
    const ScriptedDesktop::DialogCall &call = m_desktop->dialogs().first();
    QCOMPARE(call.text, u"Le déplacement sert à imbriquer les dossiers du même patient\r\n\r\n"
                        u"Pour déplacer un dossier dans un autre\r\n\r\nSélectionner le "
                        u"\"premier dossier\" à la souris et glisser la barre sous le nom du "
                        u"\"dossier de destination\""_qs);
    QCOMPARE(int(call.kind), int(Desktop::DialogKind::Information));
    QCOMPARE(call.buttons, Desktop::Buttons(Desktop::Button::Ok));
}

QTEST_MAIN(TestFolderTrashAndHelp)
#include "tst_folder_trash_and_help.moc"
