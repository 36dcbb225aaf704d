// Nesting a folder into another across file systems (a copy into a staging folder, then
// the original removed) and where the file system refuses the no-replace flag: a copy that
// fails part-way, is cancelled or meets a failing disk leaves the original whole and no
// partial copy behind.
#include "platform/folder_move.h"
#include "platform/native_names.h"
#include "platform/no_replace_rename.h"
#include "platform/unique_fd.h"
#include "tests/support/child_process.h"
#include "tests/support/patient_files.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/tree_snapshot.h"
#include "tests/support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <fcntl.h>
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

// Output of a child run: the outcome's number on the first line, the message after it.
MoveResult parseChildResult(const ChildResult &child)
{
    const QString output = QString::fromUtf8(child.standardOutput);
    const qsizetype newline = output.indexOf(u'\n');
    return MoveResult{Outcome(output.left(newline).toInt()), output.mid(newline + 1).trimmed()};
}

int childMain(const QStringList &args)
{
    QTextStream out(stdout);
    if (args.value(0) == QLatin1String("move") && args.size() == 3) {
        const MoveResult result = moveFolderInto(args.at(1), args.at(2));
        out << int(result.outcome) << '\n' << result.message << '\n';
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
    QCOMPARE(result.message, QString());
    QVERIFY(!nativeExists(source));
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
    QVERIFY2(result.message.startsWith(
                 QStringLiteral("Le déplacement de \"DUPONT Marie\" vers \"%1\" a échoué : le "
                                "disque est plein (\"DUPONT Marie/radios/")
                     .arg(QFileInfo(disk.path()).fileName())),
             qPrintable(result.message));
    QVERIFY(result.message.endsWith(QStringLiteral("L'original est resté intact et la copie "
                                                   "partielle a été retirée.")));
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
    QCOMPARE(result.message, QString());
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
    QVERIFY2(result.message.contains(QStringLiteral("erreur d'entrée-sortie sur le disque")),
             qPrintable(result.message));
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
    QVERIFY(!nativeExists(source));
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
    QVERIFY2(nativeExists(target), "QFile::rename no longer leaves a partial file: this "
                                   "test has nothing to show");
    QVERIFY(QFileInfo(target).size() < content.size());
    QVERIFY(QFile::remove(target));

    const MoveResult ours = moveFolderInto(source, disk.path());
    QCOMPARE(ours.outcome, Outcome::Failed);
    QVERIFY(!nativeExists(target));
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
    constexpr uid_t nobody = 65534;
    for (const QString &path : QStringList{source, source + QStringLiteral("/radios"),
                                           source + QStringLiteral("/radios/thorax.jpg"),
                                           source + QStringLiteral("/compte-rendu.txt"),
                                           source + QStringLiteral("/vide"), disk.path()})
        QCOMPARE(::chown(encodePath(path).constData(), nobody, nobody), 0);
    QCOMPARE(::lchown(encodePath(source + QStringLiteral("/dernier")).constData(), nobody, nobody),
             0);
    // The pictures' folder is read-only: its file could be read, never taken out.
    QCOMPARE(::chmod(encodePath(source + QStringLiteral("/radios")).constData(), 0555), 0);
    const TreeSnapshot before = snapshotTree(source);

    const std::optional<bool> refused = runUnprivileged([&] {
        const MoveResult result = moveFolderInto(source, disk.path());
        return result.outcome == Outcome::Refused &&
               result.message ==
                   QStringLiteral("Impossible de déplacer \"DUPONT Marie\" dans \"%1\" : accès "
                                  "refusé (\"DUPONT Marie/radios\"). Rien n'a été déplacé.")
                       .arg(QFileInfo(disk.path()).fileName());
    });
    ::chmod(encodePath(source + QStringLiteral("/radios")).constData(), 0750);
    QVERIFY(refused.has_value());
    QVERIFY(*refused);
    TreeSnapshot after = snapshotTree(source);
    after[QByteArrayLiteral("radios")].mode = 0555;
    QCOMPARE(treeDifference(before, after), QString());
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstSafeMoveAcross, childMain)

#include "tst_safe_move_across.moc"
