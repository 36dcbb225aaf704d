// Nesting a folder into another on one file system: the rename that never replaces, and
// every refusal (a name already taken, a folder into itself, a source or destination gone)
// with its reason, on real folders.
#include "platform/folder_move.h"
#include "platform/native_names.h"
#include "tests/support/file_helpers.h"
#include "tests/support/patient_files.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/tree_snapshot.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using Outcome = MoveResult::Outcome;
using Reason = MoveResult::Reason;

Q_DECLARE_METATYPE(platform::MoveResult::Reason)

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
    QVERIFY2(result.reason == Reason::None && result.error == 0 && result.entry.isEmpty(),
             qPrintable(outcomeText(result)));
    QVERIFY(!entryExists(source));
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
    QTest::addColumn<Reason>("reason");
    for (const bool across : {false, true}) {
        const char *where = across ? "across file systems" : "same file system";
        QTest::addRow("file, %s", where) << "file" << across << Reason::NameTakenByFile;
        QTest::addRow("empty folder, %s", where)
            << "empty" << across << Reason::NameTakenByEmptyFolder;
        QTest::addRow("full folder, %s", where) << "full" << across << Reason::NameTakenByFolder;
        QTest::addRow("dangling link, %s", where) << "link" << across << Reason::NameTakenByOther;
    }
}

void TstSafeMoveFolder::refusesTakenName()
{
    QFETCH(QString, kind);
    QFETCH(bool, across);
    QFETCH(Reason, reason);
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
    QVERIFY2(result.reason == reason, qPrintable(outcomeText(result)));
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
    QVERIFY2(result.reason == Reason::IntoItself, qPrintable(outcomeText(result)));
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
}

void TstSafeMoveFolder::refusesMissingOrMisplaced_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<Reason>("reason");
    QTest::newRow("source vanished")
        << QStringLiteral("DURAND Paul") << kOther << Reason::SourceMissing;
    QTest::newRow("source's folder vanished")
        << QStringLiteral("parti/DURAND Paul") << kOther << Reason::SourceMissing;
    QTest::newRow("destination vanished")
        << kPatient << QStringLiteral("DURAND Paul") << Reason::DestinationMissing;
    QTest::newRow("destination is a file")
        << kPatient << QStringLiteral("facture.pdf") << Reason::DestinationNotFolder;
    QTest::newRow("already in the destination")
        << kPatient << QString() << Reason::AlreadyInDestination;
}

void TstSafeMoveFolder::refusesMissingOrMisplaced()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(Reason, reason);
    QTemporaryDir dir;
    QVERIFY(fillPatientFolder(dir.filePath(kPatient)));
    QVERIFY(QDir().mkpath(dir.filePath(kOther)));
    QVERIFY(writeNativeFile(dir.filePath(QStringLiteral("facture.pdf")), "%PDF"));
    const TreeSnapshot before = snapshotTree(dir.path());
    const QString to = destination.isEmpty() ? dir.path() : dir.filePath(destination);
    const MoveResult result = moveFolderInto(dir.filePath(source), to);
    QVERIFY2(result.outcome == Outcome::Refused, qPrintable(outcomeText(result)));
    QVERIFY2(result.reason == reason, qPrintable(outcomeText(result)));
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
    QVERIFY(!entryExists(source));
}

QTEST_GUILESS_MAIN(TstSafeMoveFolder)

#include "tst_safe_move_folder.moc"
