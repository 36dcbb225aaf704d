// Nesting a folder into another on one file system: the rename that never replaces, and
// every refusal (a name already taken, a folder into itself, a source or destination gone),
// on real folders.
#include "platform/folder_move.h"
#include "platform/native_names.h"
#include "tests/support/patient_files.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/tree_snapshot.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using Outcome = MoveResult::Outcome;

namespace {

const QString kPatient = QStringLiteral("DUPONT Marie");
const QString kOther = QStringLiteral("DUPONT Marie 2019");

QString outcomeText(const MoveResult &result)
{
    return QStringLiteral("%1: %2").arg(int(result.outcome)).arg(result.message);
}

} // namespace

class TstSafeMoveFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void movesWithinOneFileSystem();
    void refusesTakenName_data();
    void refusesTakenName();
    void refusesIntoItself_data();
    void refusesIntoItself();
    void refusesMissingOrMisplaced_data();
    void refusesMissingOrMisplaced();
    void keepsNamesThatAreNotUtf8_data();
    void keepsNamesThatAreNotUtf8();
};

void TstSafeMoveFolder::movesWithinOneFileSystem()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    const QString destination = dir.filePath(kOther);
    QVERIFY(fillPatientFolder(source));
    QVERIFY(QDir().mkpath(destination + QStringLiteral("/ancien")));
    const TreeSnapshot before = snapshotTree(source);
    struct stat original;
    QCOMPARE(::stat(encodePath(source).constData(), &original), 0);

    const MoveResult result = moveFolderInto(source, destination);
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    QCOMPARE(result.message, QString());
    QVERIFY(!nativeExists(source));
    const QString moved = destination + u'/' + kPatient;
    QCOMPARE(treeDifference(before, snapshotTree(moved), false), QString());
    // One rename: the same folder, not a copy of it.
    struct stat now;
    QCOMPARE(::stat(encodePath(moved).constData(), &now), 0);
    QCOMPARE(now.st_ino, original.st_ino);
    QCOMPARE(entriesOf(destination), (QStringList{kPatient, QStringLiteral("ancien")}));
}

void TstSafeMoveFolder::refusesTakenName_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("across");
    QTest::addColumn<QString>("says");
    const QString file = QStringLiteral("un fichier de ce nom s'y trouve déjà");
    const QString empty = QStringLiteral("un dossier vide de ce nom s'y trouve déjà");
    const QString full = QStringLiteral("un dossier de ce nom s'y trouve déjà");
    const QString link = QStringLiteral("un élément de ce nom s'y trouve déjà");
    for (const bool across : {false, true}) {
        const char *where = across ? "across file systems" : "same file system";
        QTest::addRow("file, %s", where) << "file" << across << file;
        QTest::addRow("empty folder, %s", where) << "empty" << across << empty;
        QTest::addRow("full folder, %s", where) << "full" << across << full;
        QTest::addRow("dangling link, %s", where) << "link" << across << link;
    }
}

void TstSafeMoveFolder::refusesTakenName()
{
    QFETCH(QString, kind);
    QFETCH(bool, across);
    QFETCH(QString, says);
    QTemporaryDir dir;
    SmallTmpfs disk(4 * 1024 * 1024);
    if (across && !disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString source = dir.filePath(kPatient);
    const QString destination = across ? disk.path() : dir.filePath(kOther);
    QVERIFY(fillPatientFolder(source));
    QVERIFY(QDir().mkpath(destination));
    const QString taken = destination + u'/' + kPatient;
    if (kind == QLatin1String("file"))
        QVERIFY(writeNativeFile(taken, "un autre contenu"));
    else if (kind == QLatin1String("empty"))
        QVERIFY(QDir().mkpath(taken));
    else if (kind == QLatin1String("full"))
        QVERIFY(QDir().mkpath(taken + QStringLiteral("/ses radios")) &&
                writeNativeFile(taken + QStringLiteral("/compte-rendu.txt"), "autre patient"));
    else
        QCOMPARE(::symlink("nulle-part", encodePath(taken).constData()), 0);
    const TreeSnapshot sourceBefore = snapshotTree(source);
    const TreeSnapshot destinationBefore = snapshotTree(destination);

    const MoveResult result = moveFolderInto(source, destination);
    QVERIFY2(result.outcome == Outcome::Refused, qPrintable(outcomeText(result)));
    QVERIFY2(result.message.contains(says), qPrintable(result.message));
    QVERIFY(result.message.startsWith(QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\"")
                                          .arg(kPatient, QFileInfo(destination).fileName())));
    QCOMPARE(treeDifference(sourceBefore, snapshotTree(source)), QString());
    QCOMPARE(treeDifference(destinationBefore, snapshotTree(destination)), QString());
}

void TstSafeMoveFolder::refusesIntoItself_data()
{
    QTest::addColumn<QString>("destination"); // relative to the source; "" is itself
    QTest::addColumn<bool>("mountThere");
    QTest::newRow("itself") << QString() << false;
    QTest::newRow("its sub-folder") << QStringLiteral("radios") << false;
    QTest::newRow("deeper down") << QStringLiteral("radios/2022/janvier") << false;
    QTest::newRow("another file system mounted inside it")
        << QStringLiteral("radios/disque") << true;
}

void TstSafeMoveFolder::refusesIntoItself()
{
    QFETCH(QString, destination);
    QFETCH(bool, mountThere);
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    const QString target = destination.isEmpty() ? source : source + u'/' + destination;
    QVERIFY(QDir().mkpath(target));
    const TreeSnapshot before = snapshotTree(source);
    if (mountThere) {
        if (::mount("palvoric-test", encodePath(target).constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("mounting a tmpfs needs root");
    }
    const MoveResult result = moveFolderInto(source, target);
    if (mountThere)
        ::umount2(encodePath(target).constData(), MNT_DETACH);
    QVERIFY2(result.outcome == Outcome::Refused, qPrintable(outcomeText(result)));
    QVERIFY2(result.message.contains(QStringLiteral("dans lui-même ni dans l'un de ses "
                                                    "sous-dossiers")),
             qPrintable(result.message));
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
}

void TstSafeMoveFolder::refusesMissingOrMisplaced_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("says");
    QTest::newRow("source vanished")
        << QStringLiteral("DURAND Paul") << kOther
        << QStringLiteral("Impossible de déplacer \"DURAND Paul\" : il n'existe plus à cet "
                          "emplacement (déplacé ou supprimé entre-temps). Rien n'a été déplacé.");
    QTest::newRow("source's folder vanished")
        << QStringLiteral("parti/DURAND Paul") << kOther
        << QStringLiteral("Impossible de déplacer \"DURAND Paul\" : il n'existe plus");
    QTest::newRow("destination vanished")
        << kPatient << QStringLiteral("DURAND Paul")
        << QStringLiteral("Impossible de déplacer \"DUPONT Marie\" : le dossier de destination "
                          "\"DURAND Paul\" n'existe plus. Rien n'a été déplacé.");
    QTest::newRow("destination is a file")
        << kPatient << QStringLiteral("facture.pdf")
        << QStringLiteral("Impossible de déplacer \"DUPONT Marie\" : \"facture.pdf\" n'est pas "
                          "un dossier. Rien n'a été déplacé.");
    QTest::newRow("already in the destination")
        << kPatient << QString()
        << QStringLiteral("\"DUPONT Marie\" se trouve déjà dans \"%1\". Rien n'a été déplacé.");
}

void TstSafeMoveFolder::refusesMissingOrMisplaced()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QVERIFY(fillPatientFolder(dir.filePath(kPatient)));
    QVERIFY(QDir().mkpath(dir.filePath(kOther)));
    QVERIFY(writeNativeFile(dir.filePath(QStringLiteral("facture.pdf")), "%PDF"));
    if (says.contains(QLatin1String("%1")))
        says = says.arg(QFileInfo(dir.path()).fileName());
    const TreeSnapshot before = snapshotTree(dir.path());
    const QString to = destination.isEmpty() ? dir.path() : dir.filePath(destination);
    const MoveResult result = moveFolderInto(dir.filePath(source), to);
    QVERIFY2(result.outcome == Outcome::Refused, qPrintable(outcomeText(result)));
    QVERIFY2(result.message.startsWith(says), qPrintable(result.message));
    QCOMPARE(treeDifference(before, snapshotTree(dir.path())), QString());
}

void TstSafeMoveFolder::keepsNamesThatAreNotUtf8_data()
{
    QTest::addColumn<bool>("across");
    QTest::newRow("same file system") << false;
    QTest::newRow("across file systems") << true;
}

void TstSafeMoveFolder::keepsNamesThatAreNotUtf8()
{
    QFETCH(bool, across);
    TestDir dir; // removes names that are not UTF-8 too
    SmallTmpfs disk(4 * 1024 * 1024);
    if (across && !disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    // "LEFÈVRE Zoé" as Windows-1252 bytes, with a file whose name is not UTF-8 either.
    const QByteArray name = "LEF\xC8VRE Zo\xE9";
    const QByteArray root = encodePath(dir.path());
    QCOMPARE(::mkdir(QByteArray(root + '/' + name).constData(), 0755), 0);
    const QString source = decodeFileName(QByteArray(root + '/' + name));
    QVERIFY(writeNativeFile(
        decodeFileName(QByteArray(root + '/' + name + "/ordonnance \xE9t\xE9.txt")), "Zo\xE9"));
    const QString destination = across ? disk.path() : dir.filePath(kOther);
    QVERIFY(QDir().mkpath(destination));
    const TreeSnapshot before = snapshotTree(root + '/' + name);

    const MoveResult result = moveFolderInto(source, destination);
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    const QByteArray moved = encodePath(destination) + '/' + name;
    QCOMPARE(treeDifference(before, snapshotTree(moved), across), QString());
    QVERIFY(!nativeExists(source));
}

QTEST_GUILESS_MAIN(TstSafeMoveFolder)

#include "tst_safe_move_folder.moc"
