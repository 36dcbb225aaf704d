// recycleFolder over the real trash of a temporary home: a folder goes to the trash or
// stays where it is, never deleted, and the refusals come with their French reason.
#include "folderops/recycle_folder.h"
#include "platform/native_names.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QTest>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using folderops::recycleFolder;
using folderops::RecycleResult;
using Outcome = RecycleResult::Outcome;

namespace {

bool exists(const QByteArray &path)
{
    struct stat status;
    return ::lstat(path.constData(), &status) == 0;
}

int chownOne(const char *path, const struct stat *, int, struct FTW *)
{
    return ::lchown(path, 65534, 65534);
}

bool giveToNobody(const QByteArray &path)
{
    return ::geteuid() != 0 || ::nftw(path.constData(), chownOne, 16, FTW_PHYS) == 0;
}

} // namespace

class TestRecycleFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void recycled_data();
    void recycled();
    void missing();
    void trashWithoutRights();
    void readOnlyDisk();
    void volumeWhereNoTrashCanBeMade();
    void folderHoldingTheTrash();
    void messages_data();
    void messages();

private:
    std::unique_ptr<TestDir> m_dir;
    QByteArray m_oldDataHome;
};

void TestRecycleFolder::init()
{
    m_dir = std::make_unique<TestDir>();
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_dir->nativePath("data"));
}

void TestRecycleFolder::cleanup()
{
    if (m_oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_oldDataHome);
    m_dir.reset();
}

void TestRecycleFolder::recycled_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("patient") << QByteArray("DUPONT Marie 2019");
    QTest::newRow("leading dash and shell characters") << QByteArray("-rf $(id); `id`");
    QTest::newRow("line break") << QByteArray("DUPONT\nMarie");
    QTest::newRow("not UTF-8") << QByteArray("DUPONT \xe9ric");
}

void TestRecycleFolder::recycled()
{
    QFETCH(QByteArray, name);
    m_dir->createFileBytes("patients/" + name + "/compte rendu.txt", "bilan");
    const RecycleResult result =
        recycleFolder(platform::decodeFileName(m_dir->nativePath("patients/" + name)));
    QCOMPARE(int(result.outcome), int(Outcome::Recycled));
    QCOMPARE(result.reason, QString());
    QVERIFY(!exists(m_dir->nativePath("patients/" + name)));
    QVERIFY(exists(m_dir->nativePath("data/Trash/files/" + name + "/compte rendu.txt")));
    QVERIFY(exists(m_dir->nativePath("data/Trash/info/" + name + ".trashinfo")));
    QCOMPARE(folderops::recycleFailureMessage(result, QString::fromUtf8(name)), QString());
}

void TestRecycleFolder::missing()
{
    m_dir->createDir(u"patients"_qs);
    const RecycleResult result = recycleFolder(m_dir->filePath(u"patients/DUPONT Marie"_qs));
    QCOMPARE(int(result.outcome), int(Outcome::Missing));
    QVERIFY(!exists(m_dir->nativePath("data")));
}

void TestRecycleFolder::trashWithoutRights()
{
    m_dir->createFile(u"patients/DUPONT Marie/note"_qs, "n");
    m_dir->createDirs({u"data/Trash/files"_qs, u"data/Trash/info"_qs});
    QVERIFY(giveToNobody(m_dir->nativePath("")));
    m_dir->setPermissions(QString(), 0755);
    m_dir->setPermissions(u"data/Trash/info"_qs, 0500);
    const QString path = m_dir->filePath(u"patients/DUPONT Marie"_qs);
    const std::optional<bool> refused = runUnprivileged([&] {
        const RecycleResult result = recycleFolder(path);
        return result.outcome == Outcome::Refused && result.reason == u"accès refusé"_qs;
    });
    QVERIFY2(refused.has_value(), "could not run as an ordinary user");
    QVERIFY(*refused);
    QVERIFY(exists(m_dir->nativePath("patients/DUPONT Marie/note")));
}

void TestRecycleFolder::readOnlyDisk()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QByteArray top = platform::encodePath(disk.path());
    QVERIFY(::mkdir(QByteArray(top + "/DUPONT Marie").constData(), 0755) == 0);
    QVERIFY(disk.remountReadOnly());
    const RecycleResult result = recycleFolder(disk.path() + u"/DUPONT Marie"_qs);
    QCOMPARE(int(result.outcome), int(Outcome::Refused));
    QCOMPARE(result.reason, u"le disque est en lecture seule"_qs);
    QVERIFY(exists(top + "/DUPONT Marie"));
}

void TestRecycleFolder::volumeWhereNoTrashCanBeMade()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QByteArray top = platform::encodePath(disk.path());
    QVERIFY(::chmod(top.constData(), 0755) == 0);
    QVERIFY(::mkdir(QByteArray(top + "/patients").constData(), 0755) == 0);
    QVERIFY(::mkdir(QByteArray(top + "/patients/DUPONT Marie").constData(), 0755) == 0);
    QVERIFY(giveToNobody(top + "/patients"));
    QVERIFY(giveToNobody(m_dir->nativePath("")));
    m_dir->setPermissions(QString(), 0755);
    const QString path = disk.path() + u"/patients/DUPONT Marie"_qs;
    const std::optional<bool> refused = runUnprivileged([&] {
        const RecycleResult result = recycleFolder(path);
        return result.outcome == Outcome::Refused &&
               result.reason == u"aucune corbeille ne peut être créée sur son disque (accès "
                                u"refusé)"_qs;
    });
    QVERIFY2(refused.has_value(), "could not run as an ordinary user");
    QVERIFY(*refused);
    QVERIFY(exists(top + "/patients/DUPONT Marie"));
}

void TestRecycleFolder::folderHoldingTheTrash()
{
    m_dir->createFile(u"data/notes"_qs, "n");
    const RecycleResult result = recycleFolder(m_dir->filePath(u"data"_qs));
    QCOMPARE(int(result.outcome), int(Outcome::Refused));
    QCOMPARE(result.reason, u"la corbeille se trouve à l'intérieur de ce dossier"_qs);
    QVERIFY(exists(m_dir->nativePath("data/notes")));
}

void TestRecycleFolder::messages_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("expected");
    QTest::newRow("recycled") << int(Outcome::Recycled) << QString() << QString();
    QTest::newRow("missing") << int(Outcome::Missing) << QString()
                             << u"Le dossier \"DUPONT Marie\" n'existe plus"_qs;
    QTest::newRow("refused") << int(Outcome::Refused) << u"le disque est plein"_qs
                             << u"Le dossier \"DUPONT Marie\" n'a pas pu être mis à la "
                                u"corbeille : le disque est plein. Il n'a pas été supprimé"_qs;
}

void TestRecycleFolder::messages()
{
    QFETCH(int, outcome);
    QFETCH(QString, reason);
    QFETCH(QString, expected);
    RecycleResult result;
    result.outcome = Outcome(outcome);
    result.reason = reason;
    QCOMPARE(folderops::recycleFailureMessage(result, u"DUPONT Marie"_qs), expected);
}

QTEST_GUILESS_MAIN(TestRecycleFolder)
#include "tst_recycle_folder.moc"
