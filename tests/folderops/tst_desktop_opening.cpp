// Handing a folder to the file browser and the revision notes to the text editor: what
// reaches the desktop program, and what is refused before it.
#include "folderops/desktop_opening.h"
#include "platform/native_names.h"
#include "tests/support/testdir.h"

#include <QTest>

#include <unistd.h>

using folderops::Opening;

namespace {

// A desktop program that records what it was asked to open.
struct RecordingOpener
{
    QStringList opened;
    bool starts = true;
    folderops::Opener opener()
    {
        return [this](const QString &path) {
            opened.append(path);
            return starts;
        };
    }
};

} // namespace

class TestDesktopOpening : public QObject
{
    Q_OBJECT

private slots:
    void openFolder_data();
    void openFolder();
    void notepadFilePath_data();
    void notepadFilePath();
    void openInNotepad_data();
    void openInNotepad();
    void messages_data();
    void messages();
};

void TestDesktopOpening::openFolder_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("expected");
    QTest::newRow("folder") << QByteArray("DUPONT Marie") << true << int(Opening::Opened);
    QTest::newRow("leading dash") << QByteArray("-rf") << true << int(Opening::Opened);
    QTest::newRow("not UTF-8") << QByteArray("DUPONT \xe9ric") << true << int(Opening::Opened);
    QTest::newRow("link to a folder") << QByteArray("lien") << true << int(Opening::Opened);
    QTest::newRow("gone") << QByteArray("ABSENT") << true << int(Opening::Missing);
    QTest::newRow("a file") << QByteArray("facture.desktop") << true << int(Opening::WrongKind);
    QTest::newRow("no file browser")
        << QByteArray("DUPONT Marie") << false << int(Opening::NoProgram);
}

void TestDesktopOpening::openFolder()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, starts);
    QFETCH(int, expected);
    TestDir dir;
    for (const QByteArray &folder :
         {QByteArray("DUPONT Marie"), QByteArray("-rf"), QByteArray("DUPONT \xe9ric")})
        dir.createDirBytes(folder);
    dir.createFile(u"facture.desktop"_qs, "[Desktop Entry]\nExec=id\n");
    QVERIFY(::symlink("DUPONT Marie", dir.nativePath("lien").constData()) == 0);

    const QString path = platform::decodeFileName(dir.nativePath(entry));
    RecordingOpener desktop;
    desktop.starts = starts;
    QCOMPARE(int(folderops::openFolder(path, desktop.opener())), expected);
    const bool handedOver = expected == int(Opening::Opened) || expected == int(Opening::NoProgram);
    QCOMPARE(desktop.opened, handedOver ? QStringList{path} : QStringList());
}

void TestDesktopOpening::notepadFilePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("trailing space")
        << u"/opt/palvoric/_REVISIONS.TXT "_qs << u"/opt/palvoric/_REVISIONS.TXT"_qs;
    QTest::newRow("several") << u"/a/notes.txt   "_qs << u"/a/notes.txt"_qs;
    QTest::newRow("none") << u"/a/notes.txt"_qs << u"/a/notes.txt"_qs;
    QTest::newRow("inner spaces stay") << u"/a b/mes notes.txt"_qs << u"/a b/mes notes.txt"_qs;
    QTest::newRow("only the name's") << u"/a /  "_qs << u"/a /"_qs;
}

void TestDesktopOpening::notepadFilePath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(folderops::notepadFilePath(path), expected);
}

void TestDesktopOpening::openInNotepad_data()
{
    QTest::addColumn<bool>("create");
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("expected");
    QTest::newRow("opened") << true << false << true << int(Opening::Opened);
    QTest::newRow("missing") << false << false << true << int(Opening::Missing);
    QTest::newRow("a folder of that name") << true << true << true << int(Opening::WrongKind);
    QTest::newRow("no text editor") << true << false << false << int(Opening::NoProgram);
}

void TestDesktopOpening::openInNotepad()
{
    QFETCH(bool, create);
    QFETCH(bool, asFolder);
    QFETCH(bool, starts);
    QFETCH(int, expected);
    TestDir dir;
    if (create && asFolder)
        dir.createDir(u"_REVISIONS.TXT"_qs);
    else if (create)
        dir.createFile(u"_REVISIONS.TXT"_qs, "22.2.3 : corrections\r\n");
    RecordingOpener desktop;
    desktop.starts = starts;
    const QString notes = dir.path() + u"/_REVISIONS.TXT "_qs;
    QCOMPARE(int(folderops::openInTextEditor(notes, desktop.opener())), expected);
    const bool handedOver = expected == int(Opening::Opened) || expected == int(Opening::NoProgram);
    QCOMPARE(desktop.opened,
             handedOver ? QStringList{dir.path() + u"/_REVISIONS.TXT"_qs} : QStringList());
}

void TestDesktopOpening::messages_data()
{
    QTest::addColumn<int>("opening");
    QTest::addColumn<QString>("folderMessage");
    QTest::addColumn<QString>("notesMessage");
    QTest::newRow("opened") << int(Opening::Opened) << QString() << QString();
    QTest::newRow("missing") << int(Opening::Missing)
                             << u"Le dossier \"/p/DUPONT Marie\" est introuvable"_qs
                             << u"Le fichier \"/x/_REVISIONS.TXT\" est introuvable"_qs;
    QTest::newRow("wrong kind") << int(Opening::WrongKind)
                                << u"\"/p/DUPONT Marie\" n'est pas un dossier"_qs
                                << u"\"/x/_REVISIONS.TXT\" n'est pas un fichier"_qs;
    QTest::newRow("no program")
        << int(Opening::NoProgram)
        << u"Impossible d'ouvrir le dossier \"/p/DUPONT Marie\" : le gestionnaire de fichiers du "
           u"bureau n'a pas pu être lancé (xdg-open)"_qs
        << u"Impossible d'ouvrir le fichier \"/x/_REVISIONS.TXT\" : l'éditeur de texte du bureau "
           u"n'a pas pu être lancé (xdg-open)"_qs;
}

void TestDesktopOpening::messages()
{
    QFETCH(int, opening);
    QFETCH(QString, folderMessage);
    QFETCH(QString, notesMessage);
    QCOMPARE(folderops::folderOpeningMessage(Opening(opening), u"/p/DUPONT Marie"_qs),
             folderMessage);
    QCOMPARE(folderops::notepadOpeningMessage(Opening(opening), u"/x/_REVISIONS.TXT "_qs),
             notesMessage);
}

QTEST_GUILESS_MAIN(TestDesktopOpening)
#include "tst_desktop_opening.moc"
