// The desktop trash on real folders: a temporary home trash (XDG_DATA_HOME), tmpfs volumes
// mounted for the test, and the failures for real (no rights, a full disk, a read-only
// volume), where the entry must stay where it was.
#include "platform/native_names.h"
#include "platform/trash.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::TrashOutcome;
using Status = TrashOutcome::Status;

namespace {

// The lines of a .trashinfo after its header, as key -> value.
QMap<QByteArray, QByteArray> infoKeys(const QByteArray &text)
{
    QMap<QByteArray, QByteArray> keys;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void homeTrashFolder_data();
    void homeTrashFolder();
    void infoPathText_data();
    void infoPathText();

    void folderGoesToHomeTrash_data();
    void folderGoesToHomeTrash();
    void trashFoldersAreTheUsersOnly();
    void takenNamesGetACounter();
    void longNameFitsWithItsInfo();
    void linkTrashedNotItsTarget();
    void missingEntryTouchesNothing();
    void folderHoldingTheTrashIsRefused();
    void infoFolderWithoutWritePermission();
    void fullDisk();

    void otherVolumeTrash_data();
    void otherVolumeTrash();
    void otherVolumeTrashOfAnotherUserRefused();
    void readOnlyVolumeRefused();
    void volumeTopNotWritableRefused();
    void mountPointRefused();

private:
    std::unique_ptr<TestDir> m_dir;
    std::unique_ptr<EnvironmentScope> m_dataHome;
    QByteArray m_trash;
};

void TestTrash::init()
{
    m_dir = std::make_unique<TestDir>();
    m_dataHome = std::make_unique<EnvironmentScope>("XDG_DATA_HOME", m_dir->nativePath("data"));
    m_trash = m_dir->nativePath("data/Trash");
}

void TestTrash::cleanup()
{
    m_dataHome.reset();
    m_dir.reset();
}

void TestTrash::homeTrashFolder_data()
{
    QTest::addColumn<QByteArray>("dataHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("data home") << QByteArray("/srv/data") << QByteArray("/home/marie")
                               << u"/srv/data/Trash"_qs;
    QTest::newRow("trailing slash")
        << QByteArray("/srv/data/") << QByteArray("/home/marie") << u"/srv/data/Trash"_qs;
    QTest::newRow("unset: the home's")
        << QByteArray() << QByteArray("/home/marie") << u"/home/marie/.local/share/Trash"_qs;
    QTest::newRow("relative: ignored")
        << QByteArray("data") << QByteArray("/home/marie") << u"/home/marie/.local/share/Trash"_qs;
}

void TestTrash::homeTrashFolder()
{
    QFETCH(QByteArray, dataHome);
    QFETCH(QByteArray, home);
    QFETCH(QString, expected);
    EnvironmentScope data("XDG_DATA_HOME", dataHome);
    EnvironmentScope homeScope("HOME", home);
    QCOMPARE(platform::homeTrashFolder(), expected);
}

void TestTrash::infoPathText_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << QByteArray("/data/DUPONT") << QByteArray("/data/DUPONT");
    QTest::newRow("space") << QByteArray("/data/DUPONT Marie")
                           << QByteArray("/data/DUPONT%20Marie");
    QTest::newRow("accents as UTF-8 bytes")
        << QByteArray("/data/H\xc3\xa9l\xc3\xa8ne") << QByteArray("/data/H%C3%A9l%C3%A8ne");
    QTest::newRow("RFC 2396 marks stay")
        << QByteArray("/a-b_c.d!e~f*g'h(i)") << QByteArray("/a-b_c.d!e~f*g'h(i)");
    QTest::newRow("shell and URL characters")
        << QByteArray("/x/\"$;&?#%[]=+,:@")
        << QByteArray("/x/%22%24%3B%26%3F%23%25%5B%5D%3D%2B%2C%3A%40");
    QTest::newRow("line break") << QByteArray("/x/a\nb\r") << QByteArray("/x/a%0Ab%0D");
    QTest::newRow("byte that is not UTF-8") << QByteArray("/x/\xff\xfe") << QByteArray("/x/%FF%FE");
    QTest::newRow("relative to a volume")
        << QByteArray("patients/DUPONT Marie") << QByteArray("patients/DUPONT%20Marie");
}

void TestTrash::infoPathText()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, expected);
    QCOMPARE(platform::trashInfoPathText(path), expected);
    QCOMPARE(QByteArray::fromPercentEncoding(expected), path);
}

void TestTrash::folderGoesToHomeTrash_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("patient") << QByteArray("DUPONT Marie 2019");
    QTest::newRow("accents") << QByteArray("H\xc3\xa9l\xc3\xa8ne L\xc3\x89ON");
    QTest::newRow("quotes") << QByteArray("O'BRIEN \"Jo\"");
    QTest::newRow("shell characters") << QByteArray("$HOME; rm -rf ~ `id` $(id)");
    QTest::newRow("leading dash") << QByteArray("-rf");
    QTest::newRow("line break") << QByteArray("DUPONT\nMarie");
    QTest::newRow("percent") << QByteArray("100%25 DUPONT");
    QTest::newRow("not UTF-8") << QByteArray("DUPONT \xe9ric");
}

void TestTrash::folderGoesToHomeTrash()
{
    QFETCH(QByteArray, name);
    m_dir->createFileBytes("patients/" + name + "/compte rendu.txt", "bilan");
    m_dir->createDirBytes("patients/" + name + "/radios");
    const QByteArray original = m_dir->nativePath("patients/" + name);
    const QString path = platform::decodeFileName(original);

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const TrashOutcome result = platform::moveToTrash(path);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    QCOMPARE(int(result.status), int(Status::Trashed));
    QCOMPARE(result.error, 0);
    QCOMPARE(result.trashFolder, platform::decodeFileName(m_trash));
    QCOMPARE(platform::encodeFileName(result.trashedName), name);
    QVERIFY(!entryExists(original));
    QCOMPARE(readFileBytes(m_trash + "/files/" + name + "/compte rendu.txt"), QByteArray("bilan"));
    QVERIFY(entryExists(m_trash + "/files/" + name + "/radios"));

    const QByteArray info = readFileBytes(m_trash + "/info/" + name + ".trashinfo");
    QVERIFY2(info.startsWith("[Trash Info]\n"), info.constData());
    QVERIFY(info.endsWith('\n'));
    const auto keys = infoKeys(info);
    QCOMPARE(keys.size(), 2);
    // The original place, absolute, as the file system's bytes.
    QCOMPARE(QByteArray::fromPercentEncoding(keys.value("Path")), original);
    QVERIFY(!keys.value("Path").contains(' '));
    QVERIFY(!keys.value("Path").contains('\n'));
    const QByteArray date = keys.value("DeletionDate");
    QVERIFY2(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"_qs)
                 .match(QString::fromLatin1(date))
                 .hasMatch(),
             date.constData());
    const QDateTime deleted = QDateTime::fromString(QString::fromLatin1(date), Qt::ISODate);
    QVERIFY(deleted >= before.addMSecs(-before.time().msec()));
    QVERIFY(deleted <= after);
}

void TestTrash::trashFoldersAreTheUsersOnly()
{
    m_dir->createDir(u"patients/DUPONT Marie"_qs);
    QCOMPARE(int(platform::moveToTrash(m_dir->filePath(u"patients/DUPONT Marie"_qs)).status),
             int(Status::Trashed));
    for (const QByteArray &folder :
         {m_trash, QByteArray(m_trash + "/files"), QByteArray(m_trash + "/info")}) {
        struct stat status;
        QVERIFY(::stat(folder.constData(), &status) == 0);
        QCOMPARE(status.st_mode & 0777, 0700u);
    }
    struct stat info;
    QVERIFY(::stat(QByteArray(m_trash + "/info/DUPONT Marie.trashinfo").constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
}

void TestTrash::takenNamesGetACounter()
{
    // A name already in files/ without its .trashinfo counts as taken too.
    m_dir->createFile(u"data/Trash/files/MARTIN Paul/orphelin"_qs, "x");
    QList<QByteArray> expected;
    for (int round = 0; round < 3; ++round) {
        m_dir->createFile(u"patients/DUPONT Marie/tour"_qs, QByteArray::number(round));
        const TrashOutcome result =
            platform::moveToTrash(m_dir->filePath(u"patients/DUPONT Marie"_qs));
        QCOMPARE(int(result.status), int(Status::Trashed));
        const QByteArray name = round == 0 ? QByteArray("DUPONT Marie")
                                           : "DUPONT Marie." + QByteArray::number(round + 1);
        QCOMPARE(result.trashedName, QString::fromUtf8(name));
        QCOMPARE(readFileBytes(m_trash + "/files/" + name + "/tour"), QByteArray::number(round));
        expected.append(name + ".trashinfo");
    }
    m_dir->createDir(u"patients/MARTIN Paul"_qs);
    const TrashOutcome martin = platform::moveToTrash(m_dir->filePath(u"patients/MARTIN Paul"_qs));
    QCOMPARE(martin.trashedName, u"MARTIN Paul.2"_qs);
    QCOMPARE(readFileBytes(m_trash + "/files/MARTIN Paul/orphelin"), QByteArray("x"));
    expected.append("MARTIN Paul.2.trashinfo");
    std::sort(expected.begin(), expected.end());
    QCOMPARE(entriesOf(m_trash + "/info"), expected);
}

void TestTrash::longNameFitsWithItsInfo()
{
    // 120 two-byte characters: 240 bytes, too long once ".trashinfo" is added.
    QByteArray name;
    for (int i = 0; i < 120; ++i)
        name += "\xc3\xa9";
    m_dir->createDirBytes("patients/" + name);
    const TrashOutcome result =
        platform::moveToTrash(platform::decodeFileName(m_dir->nativePath("patients/" + name)));
    QCOMPARE(int(result.status), int(Status::Trashed));
    const QByteArray trashed = platform::encodeFileName(result.trashedName);
    QVERIFY(trashed.size() + 10 <= 255);
    QVERIFY(name.startsWith(trashed));
    QCOMPARE(trashed.size() % 2, 0); // cut between characters
    QVERIFY(QString::fromUtf8(trashed).toUtf8() == trashed);
    const auto keys = infoKeys(readFileBytes(m_trash + "/info/" + trashed + ".trashinfo"));
    QCOMPARE(QByteArray::fromPercentEncoding(keys.value("Path")),
             m_dir->nativePath("patients/" + name));
}

void TestTrash::linkTrashedNotItsTarget()
{
    m_dir->createFile(u"patients/DUPONT Marie/note"_qs, "n");
    QVERIFY(::symlink("DUPONT Marie", m_dir->nativePath("patients/lien").constData()) == 0);
    const TrashOutcome result = platform::moveToTrash(m_dir->filePath(u"patients/lien"_qs));
    QCOMPARE(int(result.status), int(Status::Trashed));
    struct stat status;
    QVERIFY(::lstat(QByteArray(m_trash + "/files/lien").constData(), &status) == 0);
    QVERIFY(S_ISLNK(status.st_mode));
    QCOMPARE(readFileBytes(m_dir->nativePath("patients/DUPONT Marie/note")), QByteArray("n"));
}

void TestTrash::missingEntryTouchesNothing()
{
    m_dir->createDir(u"patients"_qs);
    for (const QString &path : {m_dir->filePath(u"patients/ABSENT"_qs),
                                m_dir->filePath(u"nulle part/ABSENT"_qs), QString()}) {
        const TrashOutcome result = platform::moveToTrash(path);
        QCOMPARE(int(result.status), int(Status::NotFound));
        QCOMPARE(result.error, ENOENT);
    }
    QVERIFY(!entryExists(m_dir->nativePath("data")));
}

void TestTrash::folderHoldingTheTrashIsRefused()
{
    // The trash lies inside the folder: it cannot go into itself.
    m_dir->createFile(u"data/notes"_qs, "n");
    const TrashOutcome result = platform::moveToTrash(m_dir->filePath(u"data"_qs));
    QCOMPARE(int(result.status), int(Status::Failed));
    QCOMPARE(result.error, EINVAL);
    QCOMPARE(readFileBytes(m_dir->nativePath("data/notes")), QByteArray("n"));
    QCOMPARE(entriesOf(m_trash + "/info"), QList<QByteArray>());
}

void TestTrash::infoFolderWithoutWritePermission()
{
    // Qt's own moveToTrash retries for ever here; this one says no at once.
    m_dir->createFile(u"patients/DUPONT Marie/note"_qs, "n");
    m_dir->createDirs({u"data/Trash/files"_qs, u"data/Trash/info"_qs});
    QVERIFY(giveToNobody(m_dir->nativePath("")));
    m_dir->setPermissions(QString(), 0755);
    m_dir->setPermissions(u"data/Trash/info"_qs, 0500);
    const QString path = m_dir->filePath(u"patients/DUPONT Marie"_qs);
    const std::optional<bool> refused = runUnprivileged([&] {
        const TrashOutcome result = platform::moveToTrash(path);
        return result.status == Status::Failed && result.error == EACCES;
    });
    QVERIFY2(refused.has_value(), "could not run as an ordinary user");
    QVERIFY(*refused);
    QCOMPARE(readFileBytes(m_dir->nativePath("patients/DUPONT Marie/note")), QByteArray("n"));
    QCOMPARE(entriesOf(m_trash + "/info"), QList<QByteArray>());
    QCOMPARE(entriesOf(m_trash + "/files"), QList<QByteArray>());
}

void TestTrash::fullDisk()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QByteArray root = platform::encodePath(disk.path());
    EnvironmentScope data("XDG_DATA_HOME", root + "/data");
    QVERIFY(::mkdir(QByteArray(root + "/data").constData(), 0700) == 0);
    QVERIFY(::mkdir(QByteArray(root + "/data/Trash").constData(), 0700) == 0);
    QVERIFY(::mkdir(QByteArray(root + "/data/Trash/files").constData(), 0700) == 0);
    QVERIFY(::mkdir(QByteArray(root + "/data/Trash/info").constData(), 0700) == 0);
    QVERIFY(::mkdir(QByteArray(root + "/DUPONT Marie").constData(), 0755) == 0);
    QVERIFY(writeFileBytes(disk.path() + u"/DUPONT Marie/note"_qs, "bilan"));
    QVERIFY(disk.fillUpTo(0));

    const TrashOutcome result = platform::moveToTrash(disk.path() + u"/DUPONT Marie"_qs);
    QCOMPARE(int(result.status), int(Status::Failed));
    QCOMPARE(result.error, ENOSPC);
    QCOMPARE(readFileBytes(root + "/DUPONT Marie/note"), QByteArray("bilan"));
    QCOMPARE(entriesOf(root + "/data/Trash/info"), QList<QByteArray>());
    QCOMPARE(entriesOf(root + "/data/Trash/files"), QList<QByteArray>());
}

void TestTrash::otherVolumeTrash_data()
{
    QTest::addColumn<QByteArray>("shared");
    QTest::addColumn<QByteArray>("expectedTrash");
    const QByteArray uid = QByteArray::number(::geteuid());
    QTest::newRow("no .Trash: .Trash-$uid") << QByteArray() << ".Trash-" + uid;
    QTest::newRow("sticky .Trash: .Trash/$uid") << QByteArray("sticky") << ".Trash/" + uid;
    QTest::newRow(".Trash not sticky: not used") << QByteArray("plain") << ".Trash-" + uid;
    QTest::newRow(".Trash a link: not used") << QByteArray("link") << ".Trash-" + uid;
}

void TestTrash::otherVolumeTrash()
{
    QFETCH(QByteArray, shared);
    QFETCH(QByteArray, expectedTrash);
    SmallTmpfs volume;
    if (!volume.isMounted())
        QSKIP(qPrintable(volume.skipReason()));
    const QByteArray top = platform::encodePath(volume.path());
    if (shared == "sticky" || shared == "plain") {
        QVERIFY(::mkdir(QByteArray(top + "/.Trash").constData(), 0777) == 0);
        QVERIFY(::chmod(QByteArray(top + "/.Trash").constData(),
                        shared == "sticky" ? 01777 : 0777) == 0);
    } else if (shared == "link") {
        QVERIFY(::mkdir(QByteArray(top + "/partage").constData(), 01777) == 0);
        QVERIFY(::chmod(QByteArray(top + "/partage").constData(), 01777) == 0);
        QVERIFY(::symlink("partage", QByteArray(top + "/.Trash").constData()) == 0);
    }
    QVERIFY(::mkdir(QByteArray(top + "/patients").constData(), 0755) == 0);
    QVERIFY(::mkdir(QByteArray(top + "/patients/DUPONT Marie").constData(), 0755) == 0);

    const TrashOutcome result = platform::moveToTrash(volume.path() + u"/patients/DUPONT Marie"_qs);
    QCOMPARE(int(result.status), int(Status::Trashed));
    const QByteArray trash = top + '/' + expectedTrash;
    QCOMPARE(result.trashFolder, QString::fromUtf8(trash));
    QVERIFY(entryExists(trash + "/files/DUPONT Marie"));
    QVERIFY(!entryExists(top + "/patients/DUPONT Marie"));
    // Relative to the top of the volume.
    const auto keys = infoKeys(readFileBytes(trash + "/info/DUPONT Marie.trashinfo"));
    QCOMPARE(keys.value("Path"), QByteArray("patients/DUPONT%20Marie"));
    // The home trash is not involved.
    QVERIFY(!entryExists(m_trash));
    if (shared == "link")
        QCOMPARE(entriesOf(top + "/partage"), QList<QByteArray>());
}

void TestTrash::otherVolumeTrashOfAnotherUserRefused()
{
    if (::geteuid() != 0)
        QSKIP("needs root to give the trash folder to another user");
    SmallTmpfs volume;
    if (!volume.isMounted())
        QSKIP(qPrintable(volume.skipReason()));
    const QByteArray top = platform::encodePath(volume.path());
    QVERIFY(::mkdir(QByteArray(top + "/.Trash-0").constData(), 0777) == 0);
    QVERIFY(::chown(QByteArray(top + "/.Trash-0").constData(), kNobody, kNobody) == 0);
    QVERIFY(::mkdir(QByteArray(top + "/DUPONT Marie").constData(), 0755) == 0);
    const TrashOutcome result = platform::moveToTrash(volume.path() + u"/DUPONT Marie"_qs);
    QCOMPARE(int(result.status), int(Status::NoTrash));
    QVERIFY(entryExists(top + "/DUPONT Marie"));
    QCOMPARE(entriesOf(top + "/.Trash-0"), QList<QByteArray>());
}

void TestTrash::readOnlyVolumeRefused()
{
    SmallTmpfs volume;
    if (!volume.isMounted())
        QSKIP(qPrintable(volume.skipReason()));
    const QByteArray top = platform::encodePath(volume.path());
    QVERIFY(::mkdir(QByteArray(top + "/DUPONT Marie").constData(), 0755) == 0);
    QVERIFY(volume.remountReadOnly());
    const TrashOutcome result = platform::moveToTrash(volume.path() + u"/DUPONT Marie"_qs);
    QCOMPARE(int(result.status), int(Status::NoTrash));
    QCOMPARE(result.error, EROFS);
    QVERIFY(entryExists(top + "/DUPONT Marie"));
    QVERIFY(!entryExists(m_trash));
}

void TestTrash::volumeTopNotWritableRefused()
{
    // The user may move the folder (its parent is theirs) but may not make a trash at the
    // top of the volume: refused, nothing copied to the home trash, nothing deleted.
    SmallTmpfs volume;
    if (!volume.isMounted())
        QSKIP(qPrintable(volume.skipReason()));
    const QByteArray top = platform::encodePath(volume.path());
    QVERIFY(::chmod(top.constData(), 0755) == 0);
    QVERIFY(::mkdir(QByteArray(top + "/patients").constData(), 0755) == 0);
    QVERIFY(::mkdir(QByteArray(top + "/patients/DUPONT Marie").constData(), 0755) == 0);
    QVERIFY(giveToNobody(top + "/patients"));
    QVERIFY(giveToNobody(m_dir->nativePath("")));
    m_dir->setPermissions(QString(), 0755);
    const QString path = volume.path() + u"/patients/DUPONT Marie"_qs;
    const std::optional<bool> refused = runUnprivileged([&] {
        const TrashOutcome result = platform::moveToTrash(path);
        return result.status == Status::NoTrash && result.error == EACCES;
    });
    QVERIFY2(refused.has_value(), "could not run as an ordinary user");
    QVERIFY(*refused);
    QVERIFY(entryExists(top + "/patients/DUPONT Marie"));
    QVERIFY(!entryExists(m_trash));
}

void TestTrash::mountPointRefused()
{
    SmallTmpfs volume;
    if (!volume.isMounted())
        QSKIP(qPrintable(volume.skipReason()));
    const QByteArray top = platform::encodePath(volume.path());
    QVERIFY(::mkdir(QByteArray(top + "/dedans").constData(), 0755) == 0);
    const TrashOutcome result = platform::moveToTrash(volume.path());
    QCOMPARE(int(result.status), int(Status::Failed));
    QCOMPARE(result.error, EBUSY);
    QVERIFY(entryExists(top + "/dedans"));
}

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
