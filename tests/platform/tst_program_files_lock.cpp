// The lock around every change of the program's files, held against other processes:
// real child processes take it, and this one must wait or give up.
#include "platform/program_files_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

using platform::ProgramFilesLock;
using namespace std::chrono_literals;

namespace {

// Child: "hold PATH WAIT_MS KEEP_MS" waits at most WAIT_MS for the lock, says "held" and
// keeps it KEEP_MS. Exit code 1 when it could not take it.
int childMain(const QStringList &args)
{
    if (args.size() != 4 || args[0] != u"hold")
        return 2;
    const ProgramFilesLock lock(args[1], std::chrono::milliseconds(args[2].toInt()));
    if (!lock.isHeld())
        return 1;
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    ::usleep(useconds_t(args[3].toInt()) * 1000);
    return 0;
}

} // namespace

class TstProgramFilesLock : public QObject
{
    Q_OBJECT
private slots:
    void anotherProcessMakesItWait();
    void nestedHoldersShareIt();
    void linkInPlaceOfTheLockFileIsRefused();
};

void TstProgramFilesLock::anotherProcessMakesItWait()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    QProcess holder;
    startChild(holder, {QStringLiteral("hold"), path, QStringLiteral("0"), QStringLiteral("1500")});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine(), QByteArray("held\n"));

    {
        const ProgramFilesLock lock(path, 200ms);
        QVERIFY(!lock.isHeld());
        QCOMPARE(lock.error(), ETIMEDOUT);
    }

    // Released while this process waits: it gets the lock then.
    const ProgramFilesLock lock(path, 10s);
    QVERIFY(lock.isHeld());
    QVERIFY(holder.waitForFinished());
    QCOMPARE(holder.exitCode(), 0);
}

void TstProgramFilesLock::nestedHoldersShareIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    {
        const ProgramFilesLock outer(path, 0ms);
        QVERIFY(outer.isHeld());
        const ProgramFilesLock inner(path, 0ms);
        QVERIFY(inner.isHeld());
        // Still held for other processes while the outer holder keeps it.
        const ChildResult child =
            runChild({QStringLiteral("hold"), path, QStringLiteral("100"), QStringLiteral("0")});
        QVERIFY(child.finished);
        QCOMPARE(child.exitCode, 1);
    }
    // Released with the last holder.
    const ChildResult child =
        runChild({QStringLiteral("hold"), path, QStringLiteral("100"), QStringLiteral("0")});
    QVERIFY(child.finished);
    QCOMPARE(child.exitCode, 0);
}

void TstProgramFilesLock::linkInPlaceOfTheLockFileIsRefused()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("bashrc"));
    QVERIFY(writeFileBytes(target, "export A=1\n"));
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    QVERIFY(QFile::link(target, path));
    const ProgramFilesLock lock(path, 0ms);
    QVERIFY(!lock.isHeld());
    QCOMPARE(lock.error(), ELOOP);
    QCOMPARE(readFileBytes(target), QByteArray("export A=1\n"));
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstProgramFilesLock, childMain)

#include "tst_program_files_lock.moc"
