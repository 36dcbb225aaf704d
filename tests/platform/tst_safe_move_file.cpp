// The copy of one dropped file: never over an existing name, never a partial file under
// the final name, content, permissions and time kept, a failed sync reported.
#include "platform/file_copy.h"
#include "platform/move_records.h"
#include "platform/native_names.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"
#include "tests/support/patient_files.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/tree_snapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

TreeEntry entryOf(const QString &path)
{
    return snapshotTree(encodePath(path)).value(QByteArray());
}

// "1" for a good copy, "0 <error>" otherwise.
int childMain(const QStringList &args)
{
    QTextStream out(stdout);
    if (args.value(0) == QLatin1String("copy") && args.size() == 3) {
        int error = 0;
        const bool copied = copyOneFile(args.at(1), args.at(2), &error);
        out << (copied ? QStringLiteral("1") : QStringLiteral("0 %1").arg(error)) << '\n';
        return 0;
    }
    // "copy-killed SOURCE DESTINATION": killed halfway through the copy.
    if (args.value(0) == QLatin1String("copy-killed") && args.size() == 3) {
        const qint64 total = QFileInfo(args.at(1)).size();
        qint64 done = 0;
        copyOneFile(args.at(1), args.at(2), nullptr, nullptr, [&](qint64 bytes) {
            done += bytes;
            if (done * 2 >= total)
                ::kill(::getpid(), SIGKILL);
            return true;
        });
        return 3;
    }
    if (args.value(0) == QLatin1String("qfile-copy") && args.size() == 3) {
        out << (QFile::copy(args.at(1), args.at(2)) ? "1" : "0") << '\n';
        return 0;
    }
    return 2;
}

} // namespace

class TstSafeMoveFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsContentModeAndTime_data();
    void keepsContentModeAndTime();
    void neverReplaces_data();
    void neverReplaces();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void keepsNamesThatAreNotUtf8();
    void fullDiskLeavesNothing();
    void failingSyncLeavesNothing_data();
    void failingSyncLeavesNothing();
    void worksWithoutUnnamedFiles();
    void qfileCopyLosesTimeAndIgnoresSync();
    void killedCopyLeavesNothingAfterRestart();
    void deletesOnlyWhatWasCopied_data();
    void deletesOnlyWhatWasCopied();
};

void TstSafeMoveFile::keepsContentModeAndTime_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("across");
    for (const bool across : {false, true}) {
        const char *where = across ? "across file systems" : "same file system";
        QTest::addRow("text, %s", where) << QByteArray("Ordonnance\r\n") << 0640u << across;
        QTest::addRow("empty, %s", where) << QByteArray() << 0600u << across;
        QTest::addRow("several chunks, %s", where)
            << patternBytes('x', 3 * 1024 * 1024 + 5) << 0644u << across;
        QTest::addRow("read-only, %s", where) << QByteArray("lecture seule") << 0444u << across;
        QTest::addRow("executable, %s", where) << QByteArray("#!/bin/sh\n") << 0755u << across;
    }
}

void TstSafeMoveFile::keepsContentModeAndTime()
{
    QFETCH(QByteArray, content);
    QFETCH(uint, mode);
    QFETCH(bool, across);
    QTemporaryDir dir;
    SmallTmpfs disk(8 * 1024 * 1024);
    if (across && !disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString source = dir.filePath(QStringLiteral("scanner 2022.pdf"));
    QVERIFY(writeNativeFile(source, content, mode));
    const QString target = across ? disk.path() : dir.filePath(QStringLiteral("DUPONT Marie"));
    QVERIFY(QDir().mkpath(target));
    const QString destination = target + QStringLiteral("/scanner 2022.pdf");

    int error = -1;
    QVERIFY(copyOneFile(source, destination, &error));
    QCOMPARE(error, -1); // untouched on success
    const TreeEntry copied = entryOf(destination);
    QCOMPARE(copied, entryOf(source));
    QCOMPARE(copied.mode, mode);
    QCOMPARE(copied.modifiedNs, qint64(1600000000) * 1000000000 + 123456789);
    QCOMPARE(entriesOf(target), QStringList{QStringLiteral("scanner 2022.pdf")});
}

void TstSafeMoveFile::neverReplaces_data()
{
    QTest::addColumn<QString>("taken");
    QTest::newRow("a file") << "file";
    QTest::newRow("an empty folder") << "empty";
    QTest::newRow("a full folder") << "full";
    QTest::newRow("a dangling link") << "link";
    QTest::newRow("the source itself") << "itself";
}

void TstSafeMoveFile::neverReplaces()
{
    QFETCH(QString, taken);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("DUPONT Marie"));
    QVERIFY(QDir().mkpath(target));
    const QString destination = target + QStringLiteral("/bilan.pdf");
    QString source = dir.filePath(QStringLiteral("bilan.pdf"));
    QVERIFY(writeNativeFile(source, "nouveau bilan"));
    if (taken == QLatin1String("file")) {
        QVERIFY(writeNativeFile(destination, "ancien bilan", 0600, 1500000000));
    } else if (taken == QLatin1String("link")) {
        QCOMPARE(::symlink("nulle-part", encodePath(destination).constData()), 0);
    } else if (taken == QLatin1String("itself")) {
        source = destination;
        QVERIFY(writeNativeFile(destination, "le seul bilan"));
    } else {
        QVERIFY(QDir().mkpath(destination));
        if (taken == QLatin1String("full"))
            QVERIFY(writeNativeFile(destination + QStringLiteral("/page1.jpg"), "page"));
    }
    const TreeSnapshot before = snapshotTree(dir.path());
    int error = 0;
    QVERIFY(!copyOneFile(source, destination, &error));
    QCOMPARE(error, EEXIST);
    QCOMPARE(treeDifference(before, snapshotTree(dir.path())), QString());
}

void TstSafeMoveFile::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<int>("error");
    QTest::newRow("a folder") << "radios"
                              << "DUPONT Marie/radios" << EISDIR;
    QTest::newRow("a named pipe") << "tube"
                                  << "DUPONT Marie/tube" << EINVAL;
    QTest::newRow("a vanished file") << "parti.pdf"
                                     << "DUPONT Marie/parti.pdf" << ENOENT;
    QTest::newRow("a vanished target folder") << "bilan.pdf"
                                              << "DURAND Paul/bilan.pdf" << ENOENT;
    QTest::newRow("a target that is a file") << "bilan.pdf"
                                             << "facture.pdf/bilan.pdf" << ENOTDIR;
    QTest::newRow("no name") << "bilan.pdf"
                             << "DUPONT Marie/" << EINVAL;
}

void TstSafeMoveFile::refusesWhatIsNotAFile()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(int, error);
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("DUPONT Marie"))));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("radios/2022"))));
    QVERIFY(writeNativeFile(dir.filePath(QStringLiteral("radios/2022/genou.jpg")), "jpeg"));
    QVERIFY(writeNativeFile(dir.filePath(QStringLiteral("bilan.pdf")), "bilan"));
    QVERIFY(writeNativeFile(dir.filePath(QStringLiteral("facture.pdf")), "facture"));
    // Opening a pipe for reading would wait for a writer: the copy must not.
    QCOMPARE(::mkfifo(encodePath(dir.filePath(QStringLiteral("tube"))).constData(), 0600), 0);
    const TreeSnapshot before = snapshotTree(dir.path());
    int got = 0;
    QVERIFY(!copyOneFile(dir.filePath(source), dir.filePath(destination), &got));
    QCOMPARE(got, error);
    QCOMPARE(treeDifference(before, snapshotTree(dir.path())), QString());
}

void TstSafeMoveFile::keepsNamesThatAreNotUtf8()
{
    TestDir dir;
    const QByteArray root = encodePath(dir.path());
    const QByteArray folder = root + "/LEF\xC8VRE Zo\xE9";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    const QString source = decodeFileName(QByteArray(root + "/r\xE9sultats.txt"));
    QVERIFY(writeNativeFile(source, "r\xE9sultats"));
    const QString destination = decodeFileName(QByteArray(folder + "/r\xE9sultats.txt"));
    QVERIFY(copyOneFile(source, destination));
    QCOMPARE(entryOf(destination), entryOf(source));
    QCOMPARE(entriesOf(dir.nativePath("LEF\xC8VRE Zo\xE9")), QList<QByteArray>{"r\xE9sultats.txt"});
}

void TstSafeMoveFile::fullDiskLeavesNothing()
{
    SmallTmpfs disk; // 1 MiB
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("scanner.pdf"));
    const QByteArray content = patternBytes('s', 3 * 1024 * 1024);
    QVERIFY(writeNativeFile(source, content));
    const qint64 freeBefore = disk.freeBytes();
    int error = 0;
    QVERIFY(!copyOneFile(source, disk.path() + QStringLiteral("/scanner.pdf"), &error));
    QCOMPARE(error, ENOSPC);
    QCOMPARE(entriesOf(disk.path()), QStringList());
    QCOMPARE(disk.freeBytes(), freeBefore);
    QCOMPARE(entryOf(source).content, content);
}

void TstSafeMoveFile::failingSyncLeavesNothing_data()
{
    QTest::addColumn<QString>("faults");
    QTest::newRow("unnamed temporary file") << "fsync";
    QTest::newRow("hidden temporary name") << "fsync,tmpfile";
}

void TstSafeMoveFile::failingSyncLeavesNothing()
{
    QFETCH(QString, faults);
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bilan.pdf"));
    QVERIFY(writeNativeFile(source, "bilan sanguin"));
    const QString target = dir.filePath(QStringLiteral("DUPONT Marie"));
    QVERIFY(QDir().mkpath(target));
    const TreeSnapshot before = snapshotTree(dir.path());
    const ChildResult child =
        runChild({QStringLiteral("copy"), source, target + QStringLiteral("/bilan.pdf")},
                 faultEnvironment(faults));
    QVERIFY(child.finished);
    QVERIFY2(child.standardError.contains("palvoric-faults: fsync failed with EIO"),
             child.standardError.constData());
    QCOMPARE(child.standardOutput.trimmed(), QStringLiteral("0 %1").arg(EIO).toUtf8());
    // A hidden name came and went: the folder's time may differ, nothing else.
    QCOMPARE(treeDifference(before, snapshotTree(dir.path()), false), QString());
}

// Where the file system has no unnamed files, the copy goes through a hidden name that
// never stays behind.
void TstSafeMoveFile::worksWithoutUnnamedFiles()
{
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bilan.pdf"));
    QVERIFY(writeNativeFile(source, patternBytes('b', 100000), 0640));
    const QString target = dir.filePath(QStringLiteral("DUPONT Marie"));
    QVERIFY(QDir().mkpath(target));
    const ChildResult child =
        runChild({QStringLiteral("copy"), source, target + QStringLiteral("/bilan.pdf")},
                 faultEnvironment(QStringLiteral("tmpfile")));
    QVERIFY(child.finished);
    QVERIFY2(child.standardError.contains("with O_TMPFILE failed with EOPNOTSUPP"),
             child.standardError.constData());
    QCOMPARE(child.standardOutput.trimmed(), QByteArray("1"));
    QCOMPARE(entryOf(target + QStringLiteral("/bilan.pdf")), entryOf(source));
    QCOMPARE(entriesOf(target), QStringList{QStringLiteral("bilan.pdf")});
}

// Why the program does not use QFile::copy: the copy gets the time of the copy, and a sync
// that fails goes unnoticed.
void TstSafeMoveFile::qfileCopyLosesTimeAndIgnoresSync()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bilan.pdf"));
    QVERIFY(writeNativeFile(source, "bilan sanguin"));
    QVERIFY(QFile::copy(source, dir.filePath(QStringLiteral("qt.pdf"))));
    QVERIFY2(entryOf(dir.filePath(QStringLiteral("qt.pdf"))).modifiedNs !=
                 entryOf(source).modifiedNs,
             "QFile::copy now keeps the modification time: this part has nothing to show");
    QVERIFY(copyOneFile(source, dir.filePath(QStringLiteral("ours.pdf"))));
    QCOMPARE(entryOf(dir.filePath(QStringLiteral("ours.pdf"))).modifiedNs,
             entryOf(source).modifiedNs);

    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    const QProcessEnvironment failingDisk = faultEnvironment(QStringLiteral("fsync,fdatasync"));
    const ChildResult qt =
        runChild({QStringLiteral("qfile-copy"), source, dir.filePath(QStringLiteral("qt2.pdf"))},
                 failingDisk);
    QVERIFY(qt.finished);
    QCOMPARE(qt.standardOutput.trimmed(), QByteArray("1")); // success, on a failing disk
    const ChildResult ours = runChild(
        {QStringLiteral("copy"), source, dir.filePath(QStringLiteral("ours2.pdf"))}, failingDisk);
    QVERIFY(ours.finished);
    QCOMPARE(ours.standardOutput.trimmed(), QStringLiteral("0 %1").arg(EIO).toUtf8());
    QVERIFY(!entryExists(dir.filePath(QStringLiteral("ours2.pdf"))));
}

// A copy killed halfway, on a file system without unnamed files, leaves its hidden
// temporary file; the next move into the folder removes it, and only it.
void TstSafeMoveFile::killedCopyLeavesNothingAfterRestart()
{
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bilan.pdf"));
    QVERIFY(writeNativeFile(source, patternBytes('b', 3 * 1024 * 1024)));
    const QString folder = dir.filePath(QStringLiteral("DUPONT Marie"));
    QVERIFY(QDir().mkpath(folder));
    // Temporary files that are not this machine's dead process's stay.
    const QString running = folder + QStringLiteral("/.palvoric-copy-%1-ab-%2")
                                         .arg(getpid())
                                         .arg(QString::fromUtf8(thisHostName()));
    const QString otherMachine = folder + QStringLiteral("/.palvoric-copy-999999999-ab-serveur");
    QVERIFY(writeNativeFile(running, "en cours"));
    QVERIFY(writeNativeFile(otherMachine, "en cours ailleurs"));

    const ChildResult child =
        runChild({QStringLiteral("copy-killed"), source, folder + QStringLiteral("/bilan.pdf")},
                 faultEnvironment(QStringLiteral("tmpfile")));
    QVERIFY(!child.finished); // killed
    QCOMPARE(entriesOf(folder).filter(QStringLiteral(".palvoric-copy-")).size(), 3);

    QCOMPARE(removeLeftoverCopies(folder), 1);
    QCOMPARE(entriesOf(folder),
             (QStringList{QFileInfo(running).fileName(), QFileInfo(otherMachine).fileName()}));
    QCOMPARE(readFileBytes(source), patternBytes('b', 3 * 1024 * 1024));
}

void TstSafeMoveFile::deletesOnlyWhatWasCopied_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("unchanged") << QString() << true;
    QTest::newRow("written during the copy") << QStringLiteral("append") << false;
    // An editor's save: the new version renamed over the one being copied.
    QTest::newRow("replaced during the copy") << QStringLiteral("replace") << false;
    QTest::newRow("removed during the copy") << QStringLiteral("remove") << false;
    QTest::newRow("a link, unchanged") << QStringLiteral("link") << true;
}

void TstSafeMoveFile::deletesOnlyWhatWasCopied()
{
    QFETCH(QString, change);
    QFETCH(bool, deleted);
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("bilan.pdf"));
    const QByteArray content(3 * 1024 * 1024 + 5, 'b'); // several chunks of the copy
    QVERIFY(writeNativeFile(real, content));
    QString source = real;
    if (change == u"link") {
        source = dir.filePath(QStringLiteral("raccourci.pdf"));
        QVERIFY(QFile::link(real, source));
    }
    const QString copy = dir.filePath(QStringLiteral("copie.pdf"));
    // The change happens while the copy is under way, after its first chunk.
    bool changed = false;
    const auto duringCopy = [&](qint64 bytes) {
        if (bytes == 0 || changed)
            return true;
        changed = true;
        if (change == u"append") {
            QFile file(source);
            return file.open(QIODevice::Append) && file.write("+9 octets") == 9;
        }
        if (change == u"replace") {
            return writeNativeFile(source + QStringLiteral(".new"), "nouvelle version") &&
                   ::rename(encodePath(source + QStringLiteral(".new")).constData(),
                            encodePath(source).constData()) == 0;
        }
        if (change == u"remove")
            return ::unlink(encodePath(source).constData()) == 0;
        return true;
    };
    int error = 0;
    CopiedFile copied;
    QVERIFY(copyOneFile(source, copy, &error, &copied, duringCopy));
    QVERIFY(changed);
    const QByteArray sourceAfterCopy = entryExists(source) ? readFileBytes(source) : QByteArray();
    QCOMPARE(deleteCopiedFile(source, copied), deleted ? 0 : ESTALE);
    QCOMPARE(entryExists(source), !deleted && change != u"remove");
    // Nothing lost: what the source held at the end is still there, or was copied whole.
    if (!deleted && change != u"remove")
        QCOMPARE(readFileBytes(source), sourceAfterCopy);
    if (deleted)
        QCOMPARE(readFileBytes(copy), content);
    if (change == u"link")
        QCOMPARE(readFileBytes(real), content); // the link went, not what it named
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstSafeMoveFile, childMain)

#include "tst_safe_move_file.moc"
