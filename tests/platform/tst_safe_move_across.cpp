// Nesting a folder into another across file systems (a copy into a staging folder, then
// the original removed) and where the file system refuses the no-replace flag: a copy that
// fails part-way, is cancelled or meets a failing disk leaves the original whole and no
// partial copy behind.
#include "platform/folder_move.h"
#include "platform/move_records.h"
#include "platform/native_names.h"
#include "platform/no_replace_rename.h"
#include "platform/unique_fd.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"
#include "tests/support/patient_files.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/tree_snapshot.h"
#include "tests/support/unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using Outcome = MoveResult::Outcome;
using Reason = MoveResult::Reason;

namespace {

// Output of a child run: the numbers of the outcome, the reason and the error on one line
// each, the entry on the last.
MoveResult parseChildResult(const ChildResult &child)
{
    const QStringList lines = QString::fromUtf8(child.standardOutput).split(u'\n');
    if (lines.size() < 4)
        return MoveResult{Outcome::Failed, Reason::None, -1, QStringLiteral("<no output>"), {}};
    return MoveResult{Outcome(lines.at(0).toInt()),
                      Reason(lines.at(1).toInt()),
                      lines.at(2).toInt(),
                      lines.at(3),
                      {}};
}

int childMain(const QStringList &args)
{
    QTextStream out(stdout);
    if (args.value(0) == QLatin1String("move") && args.size() == 3) {
        const MoveResult result = moveFolderInto(args.at(1), args.at(2));
        out << int(result.outcome) << '\n'
            << int(result.reason) << '\n'
            << result.error << '\n'
            << result.entry << '\n';
        return 0;
    }
    // "move-recorded SOURCE DESTINATION RECORDS [halfway]": keeps its record in RECORDS;
    // with "halfway", killed once half the bytes are copied.
    if (args.value(0) == QLatin1String("move-recorded") && args.size() >= 4) {
        const bool halfway = args.value(4) == QLatin1String("halfway");
        const MoveResult result = moveFolderInto(
            args.at(1), args.at(2),
            [&](qint64 done, qint64 total) {
                if (halfway && done * 2 >= total && done > 0)
                    ::kill(::getpid(), SIGKILL);
                return true;
            },
            args.at(3));
        out << int(result.outcome) << '\n';
        return 0;
    }
    if (args.value(0) == QLatin1String("rename") && args.size() == 5) {
        UniqueFd from(::open(encodePath(args.at(1)).constData(), O_RDONLY | O_DIRECTORY));
        UniqueFd to(::open(encodePath(args.at(3)).constData(), O_RDONLY | O_DIRECTORY));
        out << renameWithoutReplacing(from.get(), encodePath(args.at(2)), to.get(),
                                      encodePath(args.at(4)))
            << '\n';
        return 0;
    }
    return 2;
}

} // namespace

class TstSafeMoveAcross : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void movesAcrossFileSystems();
    void acrossFullDiskKeepsSource();
    void acrossCancelKeepsSource();
    void acrossFailingSyncKeepsSource();
    void unknownFlagUsesPlaceholder_data();
    void unknownFlagUsesPlaceholder();
    void placeholderNeverReplaces_data();
    void placeholderNeverReplaces();
    void qfileRenameLeavesPartialFile();
    void unremovableContentRefusedBeforeCopy();
    void changesDuringTheCopyStay_data();
    void changesDuringTheCopyStay();
    void volumeMountedInsideRefused_data();
    void volumeMountedInsideRefused();
    void bindMountOfOwnSubFolderRefused();
    void killedMoveIsFinishedAtNextStart_data();
    void killedMoveIsFinishedAtNextStart();
    void recordsNotOursAreLeft();
};

void TstSafeMoveAcross::movesAcrossFileSystems()
{
    SmallTmpfs disk(16 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    const int picture = 3 * 1024 * 1024 + 17; // several chunks
    QVERIFY(fillPatientFolder(source, picture));
    const QString destination = disk.path() + u'/' + kOther;
    QVERIFY(QDir().mkpath(destination + QStringLiteral("/ancien")));
    const TreeSnapshot before = snapshotTree(source);

    QList<QPair<qint64, qint64>> steps;
    const MoveResult result = moveFolderInto(source, destination, [&](qint64 done, qint64 total) {
        steps.append({done, total});
        return true;
    });
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    QVERIFY2(result.reason == Reason::None && result.error == 0 && result.entry.isEmpty(),
             qPrintable(outcomeText(result)));
    QVERIFY(!entryExists(source));
    // Content, permissions and times of files, folders and links, the top folder too.
    QCOMPARE(treeDifference(before, snapshotTree(destination + u'/' + kPatient)), QString());
    // No staging folder left behind.
    QCOMPARE(entriesOf(destination), (QStringList{kPatient, QStringLiteral("ancien")}));

    const qint64 total = picture + QByteArray("Consultation du 03/02/2022\r\n").size();
    QVERIFY(steps.size() >= 4);
    QCOMPARE(steps.first(), qMakePair(qint64(0), total));
    QCOMPARE(steps.last(), qMakePair(total, total));
    for (qsizetype i = 1; i < steps.size(); ++i) {
        QVERIFY(steps.at(i).first >= steps.at(i - 1).first);
        QCOMPARE(steps.at(i).second, total);
    }
}

void TstSafeMoveAcross::acrossFullDiskKeepsSource()
{
    SmallTmpfs disk; // 1 MiB
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source, 400 * 1024));
    QVERIFY(writeNativeFile(source + QStringLiteral("/radios/genou.jpg"),
                            patternBytes('g', 400 * 1024)));
    QVERIFY(writeNativeFile(source + QStringLiteral("/radios/main.jpg"),
                            patternBytes('m', 400 * 1024)));
    const TreeSnapshot before = snapshotTree(source);
    const qint64 freeBefore = disk.freeBytes();

    const MoveResult result = moveFolderInto(source, disk.path());
    QVERIFY2(result.outcome == Outcome::Failed, qPrintable(outcomeText(result)));
    QVERIFY2(result.reason == Reason::CopyFailed && result.error == ENOSPC &&
                 result.entry.startsWith(QStringLiteral("DUPONT Marie/radios/")),
             qPrintable(outcomeText(result)));
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
    QCOMPARE(entriesOf(disk.path()), QStringList()); // neither the name nor the staging copy
    QCOMPARE(disk.freeBytes(), freeBefore);
}

void TstSafeMoveAcross::acrossCancelKeepsSource()
{
    SmallTmpfs disk(8 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source, 2 * 1024 * 1024));
    const TreeSnapshot before = snapshotTree(source);
    int calls = 0;
    const MoveResult result = moveFolderInto(source, disk.path(), [&](qint64 done, qint64) {
        ++calls;
        return done == 0; // the user cancels once copying has begun
    });
    QVERIFY2(result.outcome == Outcome::Cancelled, qPrintable(outcomeText(result)));
    QVERIFY2(result.reason == Reason::None, qPrintable(outcomeText(result)));
    QVERIFY(calls >= 2);
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

void TstSafeMoveAcross::acrossFailingSyncKeepsSource()
{
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    SmallTmpfs disk(4 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    const TreeSnapshot before = snapshotTree(source);
    const ChildResult child = runChild({QStringLiteral("move"), source, disk.path()},
                                       faultEnvironment(QStringLiteral("fsync")));
    QVERIFY(child.finished);
    QVERIFY2(child.standardError.contains("palvoric-faults: fsync failed with EIO"),
             child.standardError.constData());
    const MoveResult result = parseChildResult(child);
    QVERIFY2(result.outcome == Outcome::Failed, qPrintable(outcomeText(result)));
    QVERIFY2(result.reason == Reason::CopyFailed && result.error == EIO,
             qPrintable(outcomeText(result)));
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

void TstSafeMoveAcross::unknownFlagUsesPlaceholder_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("a folder") << true;
    QTest::newRow("a file") << false;
}

// Where the file system does not know the no-replace flag, the move still happens.
void TstSafeMoveAcross::unknownFlagUsesPlaceholder()
{
    QFETCH(bool, folder);
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(folder ? kPatient : QStringLiteral("scanner.pdf"));
    QVERIFY(folder ? fillPatientFolder(source) : writeNativeFile(source, "%PDF-1.4"));
    const QString destination = dir.filePath(kOther);
    QVERIFY(QDir().mkpath(destination));
    const TreeSnapshot before = snapshotTree(source);
    const ChildResult child = runChild({QStringLiteral("move"), source, destination},
                                       faultEnvironment(QStringLiteral("noreplace")));
    QVERIFY(child.finished);
    QVERIFY2(child.standardError.contains("renameat2 with flags failed with EINVAL"),
             child.standardError.constData());
    const MoveResult result = parseChildResult(child);
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    QVERIFY(!entryExists(source));
    QCOMPARE(treeDifference(before, snapshotTree(destination + u'/' + QFileInfo(source).fileName()),
                            false),
             QString());
}

void TstSafeMoveAcross::placeholderNeverReplaces_data()
{
    QTest::addColumn<bool>("sourceIsFolder");
    QTest::addColumn<QString>("taken"); // what holds the name already
    QTest::newRow("folder over an empty folder") << true << "empty";
    QTest::newRow("folder over a full folder") << true << "full";
    QTest::newRow("folder over a file") << true << "file";
    QTest::newRow("file over a file") << false << "file";
    QTest::newRow("file over an empty folder") << false << "empty";
}

// The rename primitive itself, without the checks made before it, under a file system
// that refuses the flag: the placeholder never lets it replace anything.
void TstSafeMoveAcross::placeholderNeverReplaces()
{
    QFETCH(bool, sourceIsFolder);
    QFETCH(QString, taken);
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("a/DUPONT"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("a"))));
    QVERIFY(sourceIsFolder ? fillPatientFolder(source) : writeNativeFile(source, "source"));
    const QString target = dir.filePath(QStringLiteral("b/DUPONT"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("b"))));
    if (taken == QLatin1String("file"))
        QVERIFY(writeNativeFile(target, "cible"));
    else
        QVERIFY(QDir().mkpath(target));
    if (taken == QLatin1String("full"))
        QVERIFY(writeNativeFile(target + QStringLiteral("/x.txt"), "x"));
    const TreeSnapshot before = snapshotTree(dir.path());
    const ChildResult child = runChild({QStringLiteral("rename"), dir.filePath(QStringLiteral("a")),
                                        QStringLiteral("DUPONT"), dir.filePath(QStringLiteral("b")),
                                        QStringLiteral("DUPONT")},
                                       faultEnvironment(QStringLiteral("noreplace")));
    QVERIFY(child.finished);
    QVERIFY(child.standardError.contains("renameat2 with flags failed with EINVAL"));
    QCOMPARE(child.standardOutput.trimmed().toInt(), EEXIST);
    QCOMPARE(treeDifference(before, snapshotTree(dir.path()), false), QString());
}

// Why the program does not use QFile::rename: across file systems it falls back to a copy
// that, when the disk fills up, leaves a partial file under the final name.
void TstSafeMoveAcross::qfileRenameLeavesPartialFile()
{
    SmallTmpfs disk; // 1 MiB
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("scanner.pdf"));
    const QByteArray content = patternBytes('s', 3 * 1024 * 1024);
    QVERIFY(writeNativeFile(source, content));
    const QString target = disk.path() + QStringLiteral("/scanner.pdf");
    QVERIFY(!QFile::rename(source, target));
    QVERIFY2(entryExists(target), "QFile::rename no longer leaves a partial file: this "
                                  "test has nothing to show");
    QVERIFY(QFileInfo(target).size() < content.size());
    QVERIFY(QFile::remove(target));

    const MoveResult ours = moveFolderInto(source, disk.path());
    QCOMPARE(ours.outcome, Outcome::Failed);
    QVERIFY(!entryExists(target));
    QCOMPARE(entriesOf(disk.path()), QStringList());
    QCOMPARE(snapshotTree(source).value(QByteArray()).content, content);
}

// A folder whose content could be copied but not taken out afterwards would end up in
// both places: such a move is refused before anything is copied.
void TstSafeMoveAcross::unremovableContentRefusedBeforeCopy()
{
    SmallTmpfs disk(4 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    QCOMPARE(::chmod(encodePath(dir.path()).constData(), 0755), 0);
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    QVERIFY(giveToNobody(encodePath(source)));
    QVERIFY(giveToNobody(encodePath(disk.path())));
    // The pictures' folder is read-only: its file could be read, never taken out.
    QCOMPARE(::chmod(encodePath(source + QStringLiteral("/radios")).constData(), 0555), 0);
    const TreeSnapshot before = snapshotTree(source);

    const std::optional<bool> refused = runUnprivileged([&] {
        const MoveResult result = moveFolderInto(source, disk.path());
        return result.outcome == Outcome::Refused && result.reason == Reason::SourceNotMovable &&
               result.error == EACCES && result.entry == QStringLiteral("DUPONT Marie/radios");
    });
    ::chmod(encodePath(source + QStringLiteral("/radios")).constData(), 0750);
    QVERIFY(refused.has_value());
    QVERIFY(*refused);
    TreeSnapshot after = snapshotTree(source);
    after[QByteArrayLiteral("radios")].mode = 0555;
    QCOMPARE(treeDifference(before, after), QString());
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

// A mount made by the test, undone when the scope ends.
class ScopedMount
{
public:
    ScopedMount(const QString &source, const QString &target, const char *type, unsigned long flags)
        : m_target(encodePath(target))
    {
        m_mounted = ::mount(encodePath(source).constData(), m_target.constData(), type, flags,
                            nullptr) == 0;
    }
    ~ScopedMount()
    {
        if (m_mounted)
            umount2(m_target.constData(), MNT_DETACH);
    }
    bool isMounted() const { return m_mounted; }

private:
    QByteArray m_target;
    bool m_mounted = false;
};

void TstSafeMoveAcross::changesDuringTheCopyStay_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("kept"); // what must stay in the source
    QTest::newRow("file created in a sub-folder")
        << QStringLiteral("create") << QStringList{kPatient + QStringLiteral("/radios/genou.jpg")};
    QTest::newRow("copied file grown")
        << QStringLiteral("append") << QStringList{kPatient + QStringLiteral("/compte-rendu.txt")};
    QTest::newRow("copied file replaced")
        << QStringLiteral("replace") << QStringList{kPatient + QStringLiteral("/compte-rendu.txt")};
    QTest::newRow("copied file renamed")
        << QStringLiteral("rename") << QStringList{kPatient + QStringLiteral("/radios/face.jpg")};
}

// A writer changes the source once every byte has been copied, before the original is
// removed: what changed stays, with the folders that hold it; the rest goes; nothing is
// lost between the source and the destination.
void TstSafeMoveAcross::changesDuringTheCopyStay()
{
    QFETCH(QString, change);
    QFETCH(QStringList, kept);
    SmallTmpfs disk(8 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    const QString report = source + QStringLiteral("/compte-rendu.txt");
    const QString thorax = source + QStringLiteral("/radios/thorax.jpg");
    const QByteArray thoraxBytes = readFileBytes(thorax);
    bool changed = false;
    const MoveResult result = moveFolderInto(source, disk.path(), [&](qint64 done, qint64 total) {
        if (done < total || changed)
            return true;
        changed = true;
        if (change == u"create")
            return writeNativeFile(source + QStringLiteral("/radios/genou.jpg"), "genou");
        if (change == u"append") {
            QFile file(report);
            return file.open(QIODevice::Append) && file.write("+9 octets") == 9;
        }
        if (change == u"replace") {
            return writeNativeFile(report + QStringLiteral(".new"), "version enregistrée") &&
                   ::rename(encodePath(report + QStringLiteral(".new")).constData(),
                            encodePath(report).constData()) == 0;
        }
        return ::rename(encodePath(thorax).constData(),
                        encodePath(source + QStringLiteral("/radios/face.jpg")).constData()) == 0;
    });
    QVERIFY(changed);
    QVERIFY2(result.outcome == Outcome::Copied && result.reason == Reason::SourceChanged,
             qPrintable(outcomeText(result)));
    QCOMPARE(result.kept, kept);
    QCOMPARE(result.entry, kept.first());

    // In the source: exactly what changed, in the folders that hold it.
    QStringList left;
    QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isDir())
            left.append(QDir(dir.path()).relativeFilePath(path));
    }
    QCOMPARE(left, kept);
    // In the destination: the whole tree as the copy read it.
    const QString copy = disk.path() + u'/' + kPatient;
    QCOMPARE(readFileBytes(copy + QStringLiteral("/compte-rendu.txt")),
             QByteArray("Consultation du 03/02/2022\r\n"));
    QCOMPARE(readFileBytes(copy + QStringLiteral("/radios/thorax.jpg")), thoraxBytes);
    if (change == u"append")
        QCOMPARE(readFileBytes(report), QByteArray("Consultation du 03/02/2022\r\n+9 octets"));
    if (change == u"replace")
        QCOMPARE(readFileBytes(report), QByteArray("version enregistrée"));
    // The destination has no staging folder left.
    QCOMPARE(entriesOf(disk.path()), QStringList{kPatient});
}

void TstSafeMoveAcross::volumeMountedInsideRefused_data()
{
    QTest::addColumn<bool>("bind");
    QTest::newRow("another file system") << false;
    QTest::newRow("a bind mount of the same one") << true;
}

// A volume mounted inside the patient folder is never copied nor emptied.
void TstSafeMoveAcross::volumeMountedInsideRefused()
{
    QFETCH(bool, bind);
    SmallTmpfs disk(4 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    const QString key = source + QStringLiteral("/cle-usb");
    QVERIFY(QDir().mkpath(key));
    QTemporaryDir volume;
    QVERIFY(writeNativeFile(volume.filePath(QStringLiteral("sauvegarde.zip")), "sauvegarde"));
    const ScopedMount mounted(volume.path(), key, bind ? nullptr : "tmpfs", bind ? MS_BIND : 0);
    QVERIFY(mounted.isMounted());
    if (!bind)
        QVERIFY(writeNativeFile(key + QStringLiteral("/sauvegarde.zip"), "sauvegarde"));
    const TreeSnapshot before = snapshotTree(source);

    const MoveResult result = moveFolderInto(source, disk.path());
    QVERIFY2(result.outcome == Outcome::Refused && result.reason == Reason::MountInside,
             qPrintable(outcomeText(result)));
    QCOMPARE(result.entry, kPatient + QStringLiteral("/cle-usb"));
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
    QCOMPARE(readFileBytes(key + QStringLiteral("/sauvegarde.zip")), QByteArray("sauvegarde"));
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

// The destination is the source's own sub-folder reached through a bind mount: the
// move would copy the folder into itself for ever.
void TstSafeMoveAcross::bindMountOfOwnSubFolderRefused()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    QTemporaryDir elsewhere;
    const ScopedMount mounted(source + QStringLiteral("/radios"), elsewhere.path(), nullptr,
                              MS_BIND);
    if (!mounted.isMounted())
        QSKIP("a bind mount needs root");
    const TreeSnapshot before = snapshotTree(source);
    const MoveResult result = moveFolderInto(source, elsewhere.path());
    QVERIFY2(result.outcome == Outcome::Refused && result.reason == Reason::IntoItself,
             qPrintable(outcomeText(result)));
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
}

void TstSafeMoveAcross::killedMoveIsFinishedAtNextStart_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("moved"); // where the patient is once the next start is done
    QTest::newRow("halfway through the copy") << QStringLiteral("copy") << false;
    QTest::newRow("halfway through removing the original") << QStringLiteral("removal") << true;
}

// A move across file systems killed for real, then the next start: nothing lost, no
// hidden leftover, and the patient whole in one place.
void TstSafeMoveAcross::killedMoveIsFinishedAtNextStart()
{
    QFETCH(QString, when);
    QFETCH(bool, moved);
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    SmallTmpfs disk(16 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    QTemporaryDir records;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source, 4 * 1024 * 1024));
    QVERIFY(writeNativeFile(source + QStringLiteral("/radios/genou.jpg"), "genou"));
    QVERIFY(writeNativeFile(source + QStringLiteral("/radios/main.jpg"), "main"));
    const TreeSnapshot before = snapshotTree(source);

    QProcessEnvironment environment = faultEnvironment(QString());
    QStringList args{QStringLiteral("move-recorded"), source, disk.path(), records.path()};
    if (when == u"copy")
        args << QStringLiteral("halfway");
    else
        environment.insert(QStringLiteral("PALVORIC_KILL_AT_UNLINKAT"), QStringLiteral("3"));
    const ChildResult child = runChild(args, environment);
    QVERIFY2(!child.finished, child.standardOutput.constData()); // killed
    QCOMPARE(entriesOf(records.path()).size(), 1);
    if (when == u"copy")
        QVERIFY(entriesOf(disk.path()).first().startsWith(QStringLiteral(".palvoric-move-")));
    else
        QVERIFY(entryExists(disk.path() + u'/' + kPatient) && entryExists(source));

    QCOMPARE(finishInterruptedMoves(records.path()), 1);
    QCOMPARE(entriesOf(records.path()), QStringList());
    if (moved) {
        QVERIFY(!entryExists(source));
        QCOMPARE(entriesOf(disk.path()), QStringList{kPatient});
        QCOMPARE(treeDifference(before, snapshotTree(disk.path() + u'/' + kPatient)), QString());
    } else {
        QCOMPARE(entriesOf(disk.path()), QStringList());
        QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
    }
}

// Records of another machine, of a process still running, and damaged ones are left.
void TstSafeMoveAcross::recordsNotOursAreLeft()
{
    QTemporaryDir dir;
    QTemporaryDir records;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatientFolder(source));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("staging"))));
    MoveRecord record;
    record.host = thisHostName();
    record.pid = getpid(); // running: this very test
    record.sourceFolder = encodePath(dir.path());
    record.sourceName = encodePath(kPatient);
    record.destinationFolder = encodePath(dir.path());
    record.stagingName = "staging";
    const auto writeRecord = [&](const QString &name, const QByteArray &bytes) {
        QVERIFY(writeNativeFile(records.filePath(QString::fromLatin1(kMoveRecordPrefix) + name),
                                bytes));
    };
    writeRecord(QStringLiteral("running"), recordBytes(record));
    record.pid = 999999999;
    record.host = "serveur";
    writeRecord(QStringLiteral("elsewhere"), recordBytes(record));
    writeRecord(QStringLiteral("damaged"), recordBytes(record).left(40));
    // Its original gone, a staging copy could be the only copy: it stays, with its record.
    record.host = thisHostName();
    record.sourceName = "ABSENT Paul";
    writeRecord(QStringLiteral("only-copy"), recordBytes(record));
    const TreeSnapshot before = snapshotTree(dir.path());

    QCOMPARE(finishInterruptedMoves(records.path()), 0);
    QCOMPARE(entriesOf(records.path()).size(), 4);
    QCOMPARE(treeDifference(before, snapshotTree(dir.path())), QString());
    // A record survives a round trip whole.
    const std::optional<MoveRecord> parsed = parseRecord(recordBytes(record));
    QVERIFY(parsed);
    QCOMPARE(recordBytes(*parsed), recordBytes(record));
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstSafeMoveAcross, childMain)

#include "tst_safe_move_across.moc"
