// recycleFolder over the real trash of a temporary home: a folder goes to the trash or
// stays where it is, never deleted, and the refusals come with their French reason.
#include "folderops/recycle_folder.h"
#include "platform/native_names.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using folderops::recycleFolder;
using folderops::RecycleResult;
using Outcome = RecycleResult::Outcome;

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
    std::unique_ptr<EnvironmentScope> m_dataHome;
};

void TestRecycleFolder::init()
{
    m_dir = std::make_unique<TestDir>();
    m_dataHome = std::make_unique<EnvironmentScope>("XDG_DATA_HOME", m_dir->nativePath("data"));
}

void TestRecycleFolder::cleanup()
{
    m_dataHome.reset();
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
    QVERIFY(!entryExists(m_dir->nativePath("patients/" + name)));
    QVERIFY(entryExists(m_dir->nativePath("data/Trash/files/" + name + "/compte rendu.txt")));
    QVERIFY(entryExists(m_dir->nativePath("data/Trash/info/" + name + ".trashinfo")));
    QCOMPARE(folderops::recycleFailureMessage(result, QString::fromUtf8(name)), QString());
}

void TestRecycleFolder::missing()
{
    m_dir->createDir(u"patients"_qs);
    const RecycleResult result = recycleFolder(m_dir->filePath(u"patients/DUPONT Marie"_qs));
    QCOMPARE(int(result.outcome), int(Outcome::Missing));
    QVERIFY(!entryExists(m_dir->nativePath("data")));
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
    QVERIFY(entryExists(m_dir->nativePath("patients/DUPONT Marie/note")));
}

void TestRecycleFolder::readOnlyDisk()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QByteArray top = platform::encodePath(disk.path());
    QVERIFY(::mkdir(top + "/DUPONT Marie", 0755) == 0);
    QVERIFY(disk.remountReadOnly());
    const RecycleResult result = recycleFolder(disk.path() + u"/DUPONT Marie"_qs);
    QCOMPARE(int(result.outcome), int(Outcome::Refused));
    QCOMPARE(result.reason, u"le disque est en lecture seule"_qs);
    QVERIFY(entryExists(top + "/DUPONT Marie"));
}

void TestRecycleFolder::volumeWhereNoTrashCanBeMade()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QByteArray top = platform::encodePath(disk.path());
    QVERIFY(::chmod(top, 0755) == 0);
    QVERIFY(::mkdir(top + "/patients", 0755) == 0);
    QVERIFY(::mkdir(top + "/patients/DUPONT Marie", 0755) == 0);
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
    QVERIFY(entryExists(top + "/patients/DUPONT Marie"));
}

void TestRecycleFolder::folderHoldingTheTrash()
{
    m_dir->createFile(u"data/notes"_qs, "n");
    const RecycleResult result = recycleFolder(m_dir->filePath(u"data"_qs));
    QCOMPARE(int(result.outcome), int(Outcome::Refused));
    QCOMPARE(result.reason, u"la corbeille se trouve à l'intérieur de ce dossier"_qs);
    QVERIFY(entryExists(m_dir->nativePath("data/notes")));
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
