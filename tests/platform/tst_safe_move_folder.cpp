// Nesting a folder into another: the rename that never replaces, the copy across file
// systems through a staging folder, and every refusal, on real folders.
#include "platform/folder_move.h"
#include "platform/native_names.h"
#include "platform/no_replace_rename.h"
#include "platform/unique_fd.h"
#include "tests/support/child_process.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/tree_snapshot.h"
#include "tests/support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using Outcome = MoveResult::Outcome;

namespace {

const QString kPatient = QStringLiteral("DUPONT Marie");
const QString kOther = QStringLiteral("DUPONT Marie 2019");

QByteArray pattern(char seed, int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i % 53);
    return data;
}

// Written through the native name, so that names that are not UTF-8 keep their bytes.
bool writeFile(const QString &path, const QByteArray &content, unsigned mode = 0644,
               qint64 modified = 1600000000)
{
    const QByteArray native = encodePath(path);
    UniqueFd fd(::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.isValid() ||
        ::write(fd.get(), content.constData(), size_t(content.size())) != ssize_t(content.size()))
        return false;
    const struct timespec times[2] = {{modified, 0}, {modified, 123456789}};
    return fd.close() == 0 && ::chmod(native.constData(), mode) == 0 &&
           ::utimensat(AT_FDCWD, native.constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool exists(const QString &path)
{
    struct stat status;
    return ::lstat(encodePath(path).constData(), &status) == 0;
}

bool setFolderTime(const QString &path, qint64 modified)
{
    const struct timespec times[2] = {{modified, 0}, {modified, 0}};
    return ::utimensat(AT_FDCWD, encodePath(path).constData(), times, 0) == 0;
}

// A patient folder as a practice has them: papers, a sub-folder of pictures, an empty
// folder, a link, and permissions and times of their own.
bool fillPatient(const QString &folder, int pictureBytes = 300 * 1024)
{
    QDir dir;
    return dir.mkpath(folder + QStringLiteral("/radios")) &&
           dir.mkpath(folder + QStringLiteral("/vide")) &&
           writeFile(folder + QStringLiteral("/compte-rendu.txt"), "Consultation du 03/02/2022\r\n",
                     0640, 1600000000) &&
           writeFile(folder + QStringLiteral("/radios/thorax.jpg"), pattern('t', pictureBytes),
                     0600, 1600000100) &&
           ::symlink("compte-rendu.txt",
                     encodePath(folder + QStringLiteral("/dernier")).constData()) == 0 &&
           ::chmod(encodePath(folder + QStringLiteral("/radios")).constData(), 0750) == 0 &&
           setFolderTime(folder + QStringLiteral("/radios"), 1600000200) &&
           setFolderTime(folder + QStringLiteral("/vide"), 1600000300) &&
           setFolderTime(folder, 1600000400);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

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
        const MoveResult result = MoveFolderInto(args.at(1), args.at(2));
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

void TstSafeMoveFolder::movesWithinOneFileSystem()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    const QString destination = dir.filePath(kOther);
    QVERIFY(fillPatient(source));
    QVERIFY(QDir().mkpath(destination + QStringLiteral("/ancien")));
    const TreeSnapshot before = snapshotTree(source);
    struct stat original;
    QCOMPARE(::stat(encodePath(source).constData(), &original), 0);

    const MoveResult result = MoveFolderInto(source, destination);
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    QCOMPARE(result.message, QString());
    QVERIFY(!exists(source));
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
    QVERIFY(fillPatient(source));
    QVERIFY(QDir().mkpath(destination));
    const QString taken = destination + u'/' + kPatient;
    if (kind == QLatin1String("file"))
        QVERIFY(writeFile(taken, "un autre contenu"));
    else if (kind == QLatin1String("empty"))
        QVERIFY(QDir().mkpath(taken));
    else if (kind == QLatin1String("full"))
        QVERIFY(QDir().mkpath(taken + QStringLiteral("/ses radios")) &&
                writeFile(taken + QStringLiteral("/compte-rendu.txt"), "autre patient"));
    else
        QCOMPARE(::symlink("nulle-part", encodePath(taken).constData()), 0);
    const TreeSnapshot sourceBefore = snapshotTree(source);
    const TreeSnapshot destinationBefore = snapshotTree(destination);

    const MoveResult result = MoveFolderInto(source, destination);
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
    QVERIFY(fillPatient(source));
    const QString target = destination.isEmpty() ? source : source + u'/' + destination;
    QVERIFY(QDir().mkpath(target));
    const TreeSnapshot before = snapshotTree(source);
    if (mountThere) {
        if (::mount("palvoric-test", encodePath(target).constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("mounting a tmpfs needs root");
    }
    const MoveResult result = MoveFolderInto(source, target);
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
    QVERIFY(fillPatient(dir.filePath(kPatient)));
    QVERIFY(QDir().mkpath(dir.filePath(kOther)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("facture.pdf")), "%PDF"));
    if (says.contains(QLatin1String("%1")))
        says = says.arg(QFileInfo(dir.path()).fileName());
    const TreeSnapshot before = snapshotTree(dir.path());
    const QString to = destination.isEmpty() ? dir.path() : dir.filePath(destination);
    const MoveResult result = MoveFolderInto(dir.filePath(source), to);
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
    QCOMPARE(::mkdir((root + '/' + name).constData(), 0755), 0);
    const QString source = decodeFileName(root + '/' + name);
    QVERIFY(writeFile(decodeFileName(root + '/' + name + "/ordonnance \xE9t\xE9.txt"), "Zo\xE9"));
    const QString destination = across ? disk.path() : dir.filePath(kOther);
    QVERIFY(QDir().mkpath(destination));
    const TreeSnapshot before = snapshotTree(root + '/' + name);

    const MoveResult result = MoveFolderInto(source, destination);
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    const QByteArray moved = encodePath(destination) + '/' + name;
    QCOMPARE(treeDifference(before, snapshotTree(moved), across), QString());
    QVERIFY(!exists(source));
}

void TstSafeMoveFolder::movesAcrossFileSystems()
{
    SmallTmpfs disk(16 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    const int picture = 3 * 1024 * 1024 + 17; // several chunks
    QVERIFY(fillPatient(source, picture));
    const QString destination = disk.path() + u'/' + kOther;
    QVERIFY(QDir().mkpath(destination + QStringLiteral("/ancien")));
    const TreeSnapshot before = snapshotTree(source);

    QList<QPair<qint64, qint64>> steps;
    const MoveResult result = MoveFolderInto(source, destination, [&](qint64 done, qint64 total) {
        steps.append({done, total});
        return true;
    });
    QVERIFY2(result.outcome == Outcome::Moved, qPrintable(outcomeText(result)));
    QCOMPARE(result.message, QString());
    QVERIFY(!exists(source));
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

void TstSafeMoveFolder::acrossFullDiskKeepsSource()
{
    SmallTmpfs disk; // 1 MiB
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatient(source, 400 * 1024));
    QVERIFY(writeFile(source + QStringLiteral("/radios/genou.jpg"), pattern('g', 400 * 1024)));
    QVERIFY(writeFile(source + QStringLiteral("/radios/main.jpg"), pattern('m', 400 * 1024)));
    const TreeSnapshot before = snapshotTree(source);
    const qint64 freeBefore = disk.freeBytes();

    const MoveResult result = MoveFolderInto(source, disk.path());
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

void TstSafeMoveFolder::acrossCancelKeepsSource()
{
    SmallTmpfs disk(8 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatient(source, 2 * 1024 * 1024));
    const TreeSnapshot before = snapshotTree(source);
    int calls = 0;
    const MoveResult result = MoveFolderInto(source, disk.path(), [&](qint64 done, qint64) {
        ++calls;
        return done == 0; // the user cancels once copying has begun
    });
    QVERIFY2(result.outcome == Outcome::Cancelled, qPrintable(outcomeText(result)));
    QCOMPARE(result.message, QString());
    QVERIFY(calls >= 2);
    QCOMPARE(treeDifference(before, snapshotTree(source)), QString());
    QCOMPARE(entriesOf(disk.path()), QStringList());
}

void TstSafeMoveFolder::acrossFailingSyncKeepsSource()
{
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    SmallTmpfs disk(4 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatient(source));
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

void TstSafeMoveFolder::unknownFlagUsesPlaceholder_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("a folder") << true;
    QTest::newRow("a file") << false;
}

// Where the file system does not know the no-replace flag, the move still happens.
void TstSafeMoveFolder::unknownFlagUsesPlaceholder()
{
    QFETCH(bool, folder);
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(folder ? kPatient : QStringLiteral("scanner.pdf"));
    QVERIFY(folder ? fillPatient(source) : writeFile(source, "%PDF-1.4"));
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
    QVERIFY(!exists(source));
    QCOMPARE(treeDifference(before, snapshotTree(destination + u'/' + QFileInfo(source).fileName()),
                            false),
             QString());
}

void TstSafeMoveFolder::placeholderNeverReplaces_data()
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
void TstSafeMoveFolder::placeholderNeverReplaces()
{
    QFETCH(bool, sourceIsFolder);
    QFETCH(QString, taken);
    if (faultLibraryPath().isEmpty())
        QSKIP("the fault library was not built");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("a/DUPONT"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("a"))));
    QVERIFY(sourceIsFolder ? fillPatient(source) : writeFile(source, "source"));
    const QString target = dir.filePath(QStringLiteral("b/DUPONT"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("b"))));
    if (taken == QLatin1String("file"))
        QVERIFY(writeFile(target, "cible"));
    else
        QVERIFY(QDir().mkpath(target));
    if (taken == QLatin1String("full"))
        QVERIFY(writeFile(target + QStringLiteral("/x.txt"), "x"));
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
void TstSafeMoveFolder::qfileRenameLeavesPartialFile()
{
    SmallTmpfs disk; // 1 MiB
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("scanner.pdf"));
    const QByteArray content = pattern('s', 3 * 1024 * 1024);
    QVERIFY(writeFile(source, content));
    const QString target = disk.path() + QStringLiteral("/scanner.pdf");
    QVERIFY(!QFile::rename(source, target));
    QVERIFY2(exists(target), "QFile::rename no longer leaves a partial file: this "
                             "test has nothing to show");
    QVERIFY(QFileInfo(target).size() < content.size());
    QVERIFY(QFile::remove(target));

    const MoveResult ours = MoveFolderInto(source, disk.path());
    QCOMPARE(ours.outcome, Outcome::Failed);
    QVERIFY(!exists(target));
    QCOMPARE(entriesOf(disk.path()), QStringList());
    QCOMPARE(snapshotTree(source).value(QByteArray()).content, content);
}

// A folder whose content could be copied but not taken out afterwards would end up in
// both places: such a move is refused before anything is copied.
void TstSafeMoveFolder::unremovableContentRefusedBeforeCopy()
{
    SmallTmpfs disk(4 * 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QTemporaryDir dir;
    QCOMPARE(::chmod(encodePath(dir.path()).constData(), 0755), 0);
    const QString source = dir.filePath(kPatient);
    QVERIFY(fillPatient(source));
    constexpr uid_t nobody = 65534;
    for (const QString &path :
         {source, source + QStringLiteral("/radios"), source + QStringLiteral("/radios/thorax.jpg"),
          source + QStringLiteral("/compte-rendu.txt"), source + QStringLiteral("/vide"),
          disk.path()})
        QCOMPARE(::chown(encodePath(path).constData(), nobody, nobody), 0);
    QCOMPARE(::lchown(encodePath(source + QStringLiteral("/dernier")).constData(), nobody, nobody),
             0);
    // The pictures' folder is read-only: its file could be read, never taken out.
    QCOMPARE(::chmod(encodePath(source + QStringLiteral("/radios")).constData(), 0555), 0);
    const TreeSnapshot before = snapshotTree(source);

    const std::optional<bool> refused = runUnprivileged([&] {
        const MoveResult result = MoveFolderInto(source, disk.path());
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

PALVORIC_TEST_MAIN_WITH_CHILD(TstSafeMoveFolder, childMain)

#include "tst_safe_move_folder.moc"
