// The user's home, the rights on a folder and the private folders an installed copy makes.
#include "platform/user_folders.h"
#include "tests/support/environment_scope.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QFile>
#include <QTest>

#include <cerrno>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class TestUserFolders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writableFolder_data();
    void writableFolder();
    void folderOfAnotherAccount();
    void home_data();
    void home();
    void privateFolderChain();
    void privateFolderRefusals_data();
    void privateFolderRefusals();
    void privateFolderWithoutRights();
};

void TestUserFolders::writableFolder_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("writable");
    QTest::newRow("a folder of ours") << QStringLiteral("ours") << true;
    QTest::newRow("a file") << QStringLiteral("file") << false;
    QTest::newRow("nothing there") << QStringLiteral("absent") << false;
    QTest::newRow("a folder below a file") << QStringLiteral("file/below") << false;
}

void TestUserFolders::writableFolder()
{
    QFETCH(QString, relative);
    QFETCH(bool, writable);
    TestDir dir;
    dir.createDir(QStringLiteral("ours"));
    dir.createFile(QStringLiteral("file"));
    QCOMPARE(platform::isWritableFolder(dir.filePath(relative)), writable);
    QVERIFY(!platform::isWritableFolder(QString()));
}

void TestUserFolders::folderOfAnotherAccount()
{
    // As /usr/bin is to a user: open to read, closed to write.
    TestDir dir;
    dir.createDir(QStringLiteral("bin"));
    const QString bin = dir.filePath(QStringLiteral("bin"));
    QVERIFY(setMode(dir.path(), 0755));
    QVERIFY(setMode(bin, 0555));
    const std::optional<bool> writable =
        runUnprivileged([&] { return platform::isWritableFolder(bin); });
    QVERIFY2(writable.has_value(), "the check could not run as an ordinary user");
    QVERIFY(!*writable);
    QVERIFY(setMode(bin, 0777));
    QCOMPARE(runUnprivileged([&] { return platform::isWritableFolder(bin); }),
             std::optional<bool>(true));
}

void TestUserFolders::home_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<bool>("fromVariable");
    QTest::newRow("absolute") << QByteArray("/home/marie") << true;
    QTest::newRow("unset") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("relative") << QByteArray("marie") << false;
}

void TestUserFolders::home()
{
    QFETCH(QByteArray, variable);
    QFETCH(bool, fromVariable);
    const EnvironmentScope scope("HOME", variable);
    const struct passwd *account = ::getpwuid(::getuid());
    QVERIFY(account && account->pw_dir);
    QCOMPARE(platform::homeFolder(),
             fromVariable ? QString::fromUtf8(variable) : QFile::decodeName(account->pw_dir));
}

void TestUserFolders::privateFolderChain()
{
    TestDir dir;
    QVERIFY(setMode(dir.path(), 0751));
    const QString deep = dir.filePath(QStringLiteral("a/b//c/"));
    QCOMPARE(platform::makePrivateFolder(deep), 0);
    for (const char *created : {"a", "a/b", "a/b/c"})
        QCOMPARE(dir.permissions(QString::fromLatin1(created)), 0700);
    QCOMPARE(dir.permissions(QString()), 0751);
    // Made already: nothing to do.
    QCOMPARE(platform::makePrivateFolder(deep), 0);
    // A link to a folder leads to a folder.
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("link"))));
    QCOMPARE(platform::makePrivateFolder(dir.filePath(QStringLiteral("link/b/d"))), 0);
    QCOMPARE(dir.permissions(QStringLiteral("a/b/d")), 0700);
}

void TestUserFolders::privateFolderRefusals_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");
    QTest::newRow("a file in the way") << QStringLiteral("file/palvoric") << ENOTDIR;
    QTest::newRow("a file at the end") << QStringLiteral("file") << ENOTDIR;
    QTest::newRow("a dangling link") << QStringLiteral("dangling/palvoric") << ENOENT;
}

void TestUserFolders::privateFolderRefusals()
{
    QFETCH(QString, relative);
    QFETCH(int, error);
    TestDir dir;
    dir.createFile(QStringLiteral("file"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")),
                        dir.filePath(QStringLiteral("dangling"))));
    QCOMPARE(platform::makePrivateFolder(dir.filePath(relative)), error);
    QCOMPARE(platform::makePrivateFolder(QStringLiteral("relative/palvoric")), EINVAL);
}

void TestUserFolders::privateFolderWithoutRights()
{
    TestDir dir;
    QVERIFY(setMode(dir.path(), 0755));
    dir.createDir(QStringLiteral("closed"));
    dir.setPermissions(QStringLiteral("closed"), 0555);
    const QString target = dir.filePath(QStringLiteral("closed/palvoric"));
    const std::optional<bool> refused =
        runUnprivileged([&] { return platform::makePrivateFolder(target) == EACCES; });
    QVERIFY2(refused.has_value(), "the check could not run as an ordinary user");
    QVERIFY(*refused);
}

QTEST_GUILESS_MAIN(TestUserFolders)
#include "tst_user_folders.moc"
