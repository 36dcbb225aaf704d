#include "platform/atomic_file.h"
#include "platform/process_identity.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

// A large content made of one repeated byte, so that a torn file is easy to spot.
QByteArray pattern(char fill, int size)
{
    return QByteArray(size, fill);
}

// Child steps: "atomic"/"qsavefile" PATH TEXT write once and print the result;
// "loop" PATH SIZE writes two contents in turn for ever, saying "started" after the first.
int childMain(const QStringList &args)
{
    const QString mode = args.value(0);
    const QString path = args.value(1);
    if (mode == QLatin1String("atomic")) {
        QString error;
        const bool ok = writeFileAtomically(path, args.value(2).toUtf8(), &error);
        printf("%s %s\n", ok ? "ok" : "failed", qPrintable(error));
        return ok ? 0 : 1;
    }
    if (mode == QLatin1String("qsavefile")) {
        QSaveFile file(path);
        const bool ok = file.open(QIODevice::WriteOnly) &&
                        file.write(args.value(2).toUtf8()) >= 0 && file.commit();
        printf("%s\n", ok ? "ok" : "failed");
        return ok ? 0 : 1;
    }
    if (mode == QLatin1String("loop")) {
        const int size = args.value(2).toInt();
        for (quint64 round = 0;; ++round) {
            if (!writeFileAtomically(path, pattern(round % 2 ? 'A' : 'B', size)))
                return 2;
            if (round == 0) {
                printf("started\n");
                fflush(stdout);
            }
        }
    }
    return 3;
}

} // namespace

class TstAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void createsAndReplaces_data();
    void createsAndReplaces();
    void keepsPermissions();
    void followsSymbolicLink();
    void refusesReadOnlyFileAndFolders_data();
    void refusesReadOnlyFileAndFolders();
    void fullDiskKeepsOldFile();
    void readOnlyFileSystemKeepsOldFile();
    void failedDataSyncKeepsOldFile_data();
    void failedDataSyncKeepsOldFile();
    void refusedModeOrOwner_data();
    void refusedModeOrOwner();
    void fileStillOpenOnServer_data();
    void fileStillOpenOnServer();
    void qsaveFileReportsSuccessAfterFailedDataSync();
    void killDuringSaveLeavesOldOrNew();
    void killedSaveIsThisMachinesLeftover();
    void removesOnlyStaleTemporaries_data();
    void removesOnlyStaleTemporaries();
};

void TstAtomicFile::createsAndReplaces_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray() << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("replaced") << QByteArray("old content") << QByteArray("new");
    QTest::newRow("emptied") << QByteArray("old content") << QByteArray();
    QTest::newRow("binary") << QByteArray("x") << QByteArray("\0\xff\r\n\x80", 5);
    QTest::newRow("large") << QByteArray(10, 'a') << pattern('z', 3 * 1024 * 1024);
}

void TstAtomicFile::createsAndReplaces()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    if (!before.isEmpty())
        QVERIFY(writeFileBytes(path, before));
    QString error;
    QVERIFY2(writeFileAtomically(path, after, &error), qPrintable(error));
    QCOMPARE(readFileBytes(path), after);
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("Palvoric.INI")});
}

void TstAtomicFile::keepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    QVERIFY(writeFileBytes(path, "old"));
    QVERIFY(chmod(QFile::encodeName(path).constData(), 0640) == 0);
    QVERIFY(writeFileAtomically(path, "new"));
    struct stat status;
    QVERIFY(stat(QFile::encodeName(path).constData(), &status) == 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
}

void TstAtomicFile::followsSymbolicLink()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("real.INI"));
    const QString link = dir.filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(writeFileBytes(target, "old"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(writeFileAtomically(link, "new"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFileBytes(target), QByteArray("new"));
}

void TstAtomicFile::refusesReadOnlyFileAndFolders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("readOnlyFile");
    QTest::newRow("read-only file") << QStringLiteral("Palvoric.INI") << true;
    QTest::newRow("a folder") << QStringLiteral("folder") << false;
    QTest::newRow("missing folder") << QStringLiteral("missing/Palvoric.INI") << false;
}

void TstAtomicFile::refusesReadOnlyFileAndFolders()
{
    QFETCH(QString, name);
    QFETCH(bool, readOnlyFile);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    if (readOnlyFile) {
        QVERIFY(writeFileBytes(path, "old"));
        QVERIFY(chmod(QFile::encodeName(path).constData(), 0444) == 0);
    }
    const QStringList entriesBefore = entriesOf(dir.path());
    QString error;
    QVERIFY(!writeFileAtomically(path, "new", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(entriesOf(dir.path()), entriesBefore);
    if (readOnlyFile)
        QCOMPARE(readFileBytes(path), QByteArray("old"));
}

void TstAtomicFile::fullDiskKeepsOldFile()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString path = disk.path() + QStringLiteral("/Palvoric.INI");
    const QByteArray old = pattern('o', 300 * 1024);
    QVERIFY(writeFileBytes(path, old));
    // What is left is less than the new content needs.
    const QByteArray bigger = pattern('n', int(disk.freeBytes()) + 64 * 1024);
    QString error;
    QVERIFY(!writeFileAtomically(path, bigger, &error));
    QCOMPARE(error, qt_error_string(ENOSPC));
    QCOMPARE(readFileBytes(path), old);
    QCOMPARE(entriesOf(disk.path()), QStringList{QStringLiteral("Palvoric.INI")});
    // Once there is room again the same write succeeds.
    QVERIFY(writeFileAtomically(path, "small"));
    QCOMPARE(readFileBytes(path), QByteArray("small"));
}

void TstAtomicFile::readOnlyFileSystemKeepsOldFile()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString path = disk.path() + QStringLiteral("/liste.txt");
    QVERIFY(writeFileBytes(path, "old"));
    QVERIFY(disk.remountReadOnly());
    QString error;
    QVERIFY(!writeFileAtomically(path, "new", &error));
    QCOMPARE(error, qt_error_string(EROFS));
    QCOMPARE(readFileBytes(path), QByteArray("old"));
}

void TstAtomicFile::failedDataSyncKeepsOldFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("call");
    QTest::newRow("fdatasync") << QStringLiteral("fdatasync") << QStringLiteral("fdatasync");
    QTest::newRow("rename") << QStringLiteral("rename") << QStringLiteral("renameat");
}

void TstAtomicFile::failedDataSyncKeepsOldFile()
{
    QFETCH(QString, fault);
    QFETCH(QString, call);
    if (faultLibraryPath().isEmpty())
        QFAIL("the fault library (tests/support/faults) was not built with the tests");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_JOURNAL.LOG"));
    const QByteArray old("[03/02/2022]\r\n09:14:27=EXEMPLE Anne 1975\r\n");
    QVERIFY(writeFileBytes(path, old));
    const ChildResult result =
        runChild({QStringLiteral("atomic"), path, QStringLiteral("new")}, faultEnvironment(fault));
    QVERIFY(result.finished);
    QVERIFY2(
        result.standardError.contains(QByteArray("palvoric-faults: " + call.toUtf8() + " failed")),
        result.standardError.constData());
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.standardOutput.trimmed(), "failed " + qt_error_string(EIO).toUtf8());
    QCOMPARE(readFileBytes(path), old);
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("_JOURNAL.LOG")});
}

// A file system that refuses a new file the old one's mode or owner: the save goes on
// when the new file has them all the same (FAT, where every file has the mount's), and
// fails keeping the old file when it does not, so that no user loses a right to the file.
void TstAtomicFile::refusedModeOrOwner_data()
{
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t newFileMode = 0666 & ~mask;
    const mode_t otherMode = newFileMode == 0600 ? 0640 : 0600;
    QTest::addColumn<QString>("fault");
    QTest::addColumn<uint>("oldMode");
    QTest::addColumn<bool>("ownedByNobody");
    QTest::addColumn<bool>("saved");
    QTest::newRow("mode refused, the same given")
        << u"fchmod"_qs << uint(newFileMode) << false << true;
    QTest::newRow("mode refused, another given")
        << u"fchmod"_qs << uint(otherMode) << false << false;
    QTest::newRow("owner refused, the same given") << u"fchown"_qs << uint(0644) << false << true;
    QTest::newRow("owner refused, another given") << u"fchown"_qs << uint(0644) << true << false;
}

void TstAtomicFile::refusedModeOrOwner()
{
    QFETCH(QString, fault);
    QFETCH(uint, oldMode);
    QFETCH(bool, ownedByNobody);
    QFETCH(bool, saved);
    if (faultLibraryPath().isEmpty())
        QFAIL("the fault library (tests/support/faults) was not built with the tests");
    if (fault == u"fchown" && geteuid() != 0)
        QSKIP("only root gives a new file the old one's owner");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    const QByteArray nativePath = QFile::encodeName(path);
    QVERIFY(writeFileBytes(path, "old"));
    QVERIFY(chmod(nativePath.constData(), mode_t(oldMode)) == 0);
    if (ownedByNobody)
        QVERIFY(chown(nativePath.constData(), 65534, 65534) == 0);
    const ChildResult result =
        runChild({QStringLiteral("atomic"), path, QStringLiteral("new")}, faultEnvironment(fault));
    QVERIFY(result.finished);
    QVERIFY2(result.standardError.contains(
                 QByteArray("palvoric-faults: " + fault.toUtf8() + " failed with EPERM")),
             result.standardError.constData());
    QCOMPARE(result.exitCode, saved ? 0 : 1);
    QCOMPARE(readFileBytes(path), saved ? QByteArray("new") : QByteArray("old"));
    struct stat status;
    QVERIFY(stat(nativePath.constData(), &status) == 0);
    QCOMPARE(uint(status.st_mode & 07777), oldMode);
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")});
}

void TstAtomicFile::fileStillOpenOnServer_data()
{
    QTest::addColumn<int>("busyRenames");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("open for a moment") << 3 << true;
    QTest::newRow("open for good") << 1000 << false;
}

// A file server refuses to replace a file that is still open somewhere; the refusal
// passes once it is closed. A moment's refusal must not lose the save; a lasting one is
// reported, and leaves the former file and no temporary file.
void TstAtomicFile::fileStillOpenOnServer()
{
    QFETCH(int, busyRenames);
    QFETCH(bool, replaced);
    if (faultLibraryPath().isEmpty())
        QFAIL("the fault library (tests/support/faults) was not built with the tests");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(writeFileBytes(path, "old"));
    QProcessEnvironment environment = faultEnvironment(QString());
    environment.insert(QStringLiteral("PALVORIC_BUSY_RENAMES"), QString::number(busyRenames));
    const ChildResult result =
        runChild({QStringLiteral("atomic"), path, QStringLiteral("new")}, environment);
    QVERIFY(result.finished);
    QVERIFY2(result.standardError.contains("palvoric-faults: renameat failed with EBUSY"),
             result.standardError.constData());
    if (replaced) {
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(readFileBytes(path), QByteArray("new"));
    } else {
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.standardOutput.trimmed(), "failed " + qt_error_string(EBUSY).toUtf8());
        QCOMPARE(readFileBytes(path), QByteArray("old"));
    }
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("Palvoric.INI")});
}

// Why the program does not use QSaveFile: Qt 6.4's commit() calls fdatasync, ignores its
// failure and reports success, although the data may never reach the disk.
void TstAtomicFile::qsaveFileReportsSuccessAfterFailedDataSync()
{
    if (faultLibraryPath().isEmpty())
        QFAIL("the fault library (tests/support/faults) was not built with the tests");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    QVERIFY(writeFileBytes(path, "old"));
    const ChildResult saved = runChild({QStringLiteral("qsavefile"), path, QStringLiteral("new")},
                                       faultEnvironment(QStringLiteral("fdatasync")));
    QVERIFY(saved.finished);
    QVERIFY2(saved.standardError.contains("palvoric-faults: fdatasync failed"),
             "QSaveFile no longer calls fdatasync: this test has nothing to show");
    QCOMPARE(saved.standardOutput.trimmed(), QByteArray("ok")); // the fault is hidden
    QCOMPARE(readFileBytes(path), QByteArray("new"));

    QVERIFY(writeFileBytes(path, "old"));
    const ChildResult ours = runChild({QStringLiteral("atomic"), path, QStringLiteral("new")},
                                      faultEnvironment(QStringLiteral("fdatasync")));
    QVERIFY(ours.finished);
    QVERIFY(ours.standardOutput.startsWith("failed"));
    QCOMPARE(readFileBytes(path), QByteArray("old"));
}

void TstAtomicFile::killDuringSaveLeavesOldOrNew()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    const int size = 512 * 1024;
    const QByteArray first = pattern('A', size);
    const QByteArray second = pattern('B', size);
    QVERIFY(writeFileBytes(path, first));
    int leftovers = 0;
    for (int round = 0; round < 20; ++round) {
        QProcess child;
        startChild(child, {QStringLiteral("loop"), path, QString::number(size)});
        QVERIFY(child.waitForStarted());
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("started") ||
                                     child.state() != QProcess::Running,
                                 30000);
        QCOMPARE(child.state(), QProcess::Running);
        // The moment of the kill is what this test varies: anywhere within a few saves.
        usleep(QRandomGenerator::global()->bounded(20000));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        const QByteArray content = readFileBytes(path);
        QVERIFY2(content == first || content == second,
                 qPrintable(QStringLiteral("round %1: a torn file of %2 bytes")
                                .arg(round)
                                .arg(content.size())));
        leftovers += removeStaleTemporaries(dir.path());
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("Palvoric.INI")});
    }
    qInfo("temporary files left by the killed writer and removed: %d of 20 kills", leftovers);
}

void TstAtomicFile::killedSaveIsThisMachinesLeftover()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(writeFileBytes(path, "old"));
    // The sync fails, and the save is killed as it removes its temporary file.
    QProcessEnvironment environment = faultEnvironment(QStringLiteral("fdatasync"));
    environment.insert(QStringLiteral("PALVORIC_KILL_AT_UNLINKAT"), QStringLiteral("1"));
    const ChildResult killed =
        runChild({QStringLiteral("atomic"), path, QStringLiteral("new")}, environment);
    QVERIFY(!killed.finished);
    const QStringList left = entriesOf(dir.path());
    QCOMPARE(left.size(), 2);
    QVERIFY2(isAtomicTemporaryName(left.first()), qPrintable(left.first()));
    // Another process of this machine knows it for the leftover of a dead writer.
    QCOMPARE(removeStaleTemporaries(dir.path()), 1);
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("Palvoric.INI")});
    QCOMPARE(readFileBytes(path), QByteArray("old"));
}

void TstAtomicFile::removesOnlyStaleTemporaries_data()
{
    // In a name, "GONE" stands for the pid of a process that has ended, "SELF" for this
    // one's, "HERE" for this machine's tag.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageMinutes"); // since its last write
    QTest::addColumn<bool>("removed");

    QTest::newRow("this machine, writer gone") << "GONE-1a2b-HERE" << 0 << true;
    QTest::newRow("this machine, this process writing") << "SELF-99-HERE" << 0 << false;
    QTest::newRow("this machine, writer running") << "1-77-HERE" << 0 << false;
    QTest::newRow("another machine, fresh") << "GONE-1a2b-0123456789ab" << 0 << false;
    QTest::newRow("another machine, 59 minutes") << "GONE-1a2b-0123456789ab" << 59 << false;
    QTest::newRow("another machine, 61 minutes") << "GONE-1a2b-0123456789ab" << 61 << true;
    QTest::newRow("older version's name, fresh") << "GONE-1a2b" << 0 << false;
    QTest::newRow("older version's name, 61 minutes") << "GONE-1a2b" << 61 << true;
    QTest::newRow("no pid, fresh") << "garbage" << 0 << false;
    QTest::newRow("no pid, 61 minutes") << "garbage" << 61 << true;
    QTest::newRow("not a temporary file") << "<Palvoric.INI>" << 24 * 60 << false;
    QTest::newRow("not quite the prefix") << "<.palvoric-tmpfoo>" << 24 * 60 << false;
}

void TstAtomicFile::removesOnlyStaleTemporaries()
{
    QFETCH(QString, name);
    QFETCH(int, ageMinutes);
    QFETCH(bool, removed);
    // A writer that has ended: the pid of a child that has been waited for.
    QProcess ended;
    startChild(ended, {QStringLiteral("none")});
    QVERIFY(ended.waitForFinished());
    name.replace(u"GONE"_qs, QString::number(ended.processId()))
        .replace(u"SELF"_qs, QString::number(getpid()))
        .replace(u"HERE"_qs, QString::fromLatin1(thisMachineTag()));
    QVERIFY(thisMachineTag() != "0123456789ab");
    const QString fileName =
        name.startsWith(u'<') ? name.mid(1).chopped(1) : QStringLiteral(".palvoric-tmp-") + name;

    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    QVERIFY(writeFileBytes(path, "x"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * ageMinutes),
                             QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(removeStaleTemporaries(dir.path()), removed ? 1 : 0);
    QCOMPARE(entryExists(path), !removed);
    QCOMPARE(removeStaleTemporaries(dir.filePath(QStringLiteral("missing"))), 0);
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstAtomicFile, childMain)

#include "tst_atomic_file.moc"
