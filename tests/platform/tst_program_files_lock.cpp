// The lock around every change of the program's files, held against other processes:
// real child processes take it, and this one must wait or give up.
#include "platform/claim_folder.h"
#include "platform/process_identity.h"
#include "platform/program_files_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

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

// The claim folder a lock file's holder makes on the file server, and the file in it that
// names the holder.
QString claimPath(const QString &lockPath)
{
    return lockPath + QStringLiteral(".claim");
}

QString holderPath(const QString &lockPath)
{
    return claimPath(lockPath) + QStringLiteral("/holder");
}

// A claim of another holder; no holder file for an empty text.
bool plantClaim(const QString &lockPath, const QByteArray &text)
{
    return QDir().mkdir(claimPath(lockPath)) &&
           (text.isEmpty() || writeFileBytes(holderPath(lockPath), text));
}

// A claim as a holder writes it; each part can be changed to plant one of another
// process, boot or machine.
struct Claim
{
    QByteArray machine = platform::thisMachineId();
    QByteArray host = platform::thisHostName();
    QByteArray boot = platform::thisBootId();
    qint64 pid = getpid();
    quint64 start = platform::processStartTime(getpid()).value_or(0);

    QByteArray text() const
    {
        return "palvoric-claim machine=" + machine + " boot=" + boot +
               " pid=" + QByteArray::number(pid) + " start=" + QByteArray::number(start) +
               " token=1a2b host=" + host + '\n';
    }
};

// The process id of a process that ran and ended.
qint64 endedProcessId()
{
    QProcess process;
    process.start(QStringLiteral("true"), QStringList());
    process.waitForFinished();
    return process.processId() > 0 ? process.processId() : 999999999;
}

} // namespace

class TstProgramFilesLock : public QObject
{
    Q_OBJECT
private slots:
    void anotherProcessMakesItWait();
    void nestedHoldersShareIt();
    void linkInPlaceOfTheLockFileIsRefused();
    void claimLeftBehind_data();
    void claimLeftBehind();
    void abandonedClaimOfAnotherWorkstationIsTakenOver();
    void workstationKilledWhileHoldingIt();
    void threadsOfOneProcessTakeTurns();
    void claimTakenOverIsLeftToItsNewHolder();
    void waiterThatAskedGoesBeforeNewcomer();
    void initTestCase();
    void cleanupTestCase();

private:
    QProcess m_running; // another process of this machine, running through the tests
};

void TstProgramFilesLock::initTestCase()
{
    m_running.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    QVERIFY(m_running.waitForStarted());
}

void TstProgramFilesLock::cleanupTestCase()
{
    m_running.kill();
    m_running.waitForFinished();
}

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

// A claim another holder left in the folder: removed at once when it is surely dead (a
// process of this machine's current boot that no longer runs), kept while it may still
// be at work.
void TstProgramFilesLock::claimLeftBehind_data()
{
    QTest::addColumn<QByteArray>("claim");
    QTest::addColumn<bool>("takenAtOnce");

    Claim ended;
    ended.pid = endedProcessId();
    QTest::newRow("this machine, process ended") << ended.text() << true;
    Claim reused;
    reused.start += 1;
    QTest::newRow("this machine, process id taken again") << reused.text() << true;
    Claim runs;
    runs.pid = m_running.processId();
    runs.start = platform::processStartTime(runs.pid).value_or(0);
    QTest::newRow("this machine, another process running") << runs.text() << false;
    Claim own;
    own.start = platform::processStartTime(getpid()).value_or(0);
    QTest::newRow("this process, a claim it no longer holds") << own.text() << true;
    Claim previousBoot;
    previousBoot.boot = "0ld-b00t";
    previousBoot.pid = endedProcessId();
    QTest::newRow("this machine before its last start") << previousBoot.text() << false;
    Claim clone;
    clone.host = "POSTE2";
    clone.boot = "other-boot";
    clone.pid = endedProcessId();
    QTest::newRow("a clone of this machine's image") << clone.text() << false;
    Claim other;
    other.machine = "0123456789abcdef";
    other.host = "POSTE2";
    other.pid = endedProcessId();
    QTest::newRow("another workstation") << other.text() << false;
    QTest::newRow("no holder, killed before it wrote") << QByteArray() << false;
}

void TstProgramFilesLock::claimLeftBehind()
{
    QFETCH(QByteArray, claim);
    QFETCH(bool, takenAtOnce);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    QVERIFY(plantClaim(path, claim));

    const ProgramFilesLock lock(path, 300ms);
    QCOMPARE(lock.isHeld(), takenAtOnce);
    if (takenAtOnce) {
        QVERIFY(readFileBytes(holderPath(path)) != claim);
        QVERIFY(readFileBytes(holderPath(path))
                    .contains(QByteArray(" pid=" + QByteArray::number(getpid()))));
    } else {
        QCOMPARE(lock.error(), ETIMEDOUT);
        QVERIFY(entryExists(claimPath(path)));
        if (!claim.isEmpty())
            QCOMPARE(readFileBytes(holderPath(path)), claim);
    }
}

// A claim that names its holder is taken over once seen unchanged long enough, across
// waits. One whose holder is not written yet cannot be told from the next such claim: it
// counts as unchanged only while watched without a gap.
void TstProgramFilesLock::abandonedClaimOfAnotherWorkstationIsTakenOver()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    Claim other;
    other.machine = "0123456789abcdef";
    other.host = "POSTE2";
    other.pid = 4242;
    QVERIFY(plantClaim(path, other.text()));
    const QString unwritten = dir.filePath(QStringLiteral("autre/.palvoric.lock"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("autre")));
    QVERIFY(plantClaim(unwritten, QByteArray()));
    {
        const ProgramFilesLock lock(path, 100ms);
        QVERIFY(!lock.isHeld());
        QCOMPARE(lock.holder(), QStringLiteral("POSTE2, processus 4242"));
        QVERIFY(!ProgramFilesLock(unwritten, 100ms).isHeld());
    }
    // Meanwhile that holder ends and another workstation makes a claim in its place.
    QVERIFY(QDir().rmdir(claimPath(unwritten)));
    QVERIFY(plantClaim(unwritten, QByteArray()));
    {
        const ProgramFilesLock lock(path, ProgramFilesLock::kPatientTimeout);
        QVERIFY(lock.isHeld());
        QVERIFY(readFileBytes(holderPath(path))
                    .contains(QByteArray(" pid=" + QByteArray::number(getpid()))));
    }
    // Long after the first claim was seen, the new one is not taken for it.
    const ProgramFilesLock refused(unwritten, 100ms);
    QVERIFY(!refused.isHeld());
    QCOMPARE(refused.error(), ETIMEDOUT);
}

// Another workstation is killed while it holds the lock: the claim stays behind, and
// this one takes over once it has seen it unchanged long enough.
void TstProgramFilesLock::workstationKilledWhileHoldingIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    QProcess holder;
    if (!startChildOnAnotherWorkstation(
            holder, {QStringLiteral("hold"), path, QStringLiteral("0"), QStringLiteral("600000")}))
        QSKIP("a host name of its own for a child needs root");
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine(), QByteArray("held\n"));
    QVERIFY(readFileBytes(holderPath(path)).contains(" host=POSTE2"));
    holder.kill();
    QVERIFY(holder.waitForFinished());

    const ProgramFilesLock lock(path, ProgramFilesLock::kPatientTimeout);
    QVERIFY(lock.isHeld());
}

void TstProgramFilesLock::threadsOfOneProcessTakeTurns()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    std::atomic<int> otherThread{0}; // 1: refused while held, 2: then held
    std::unique_ptr<QThread> thread;
    {
        const ProgramFilesLock lock(path, 0ms);
        QVERIFY(lock.isHeld());
        thread.reset(QThread::create([&] {
            {
                const ProgramFilesLock refused(path, 100ms);
                if (refused.isHeld() || refused.error() != ETIMEDOUT)
                    return;
            }
            otherThread = 1;
            const ProgramFilesLock held(path, 10s);
            if (held.isHeld())
                otherThread = 2;
        }));
        thread->start();
        QTRY_COMPARE(otherThread.load(), 1);
    }
    QVERIFY(thread->wait(20000));
    QCOMPARE(otherThread.load(), 2);
}

void TstProgramFilesLock::claimTakenOverIsLeftToItsNewHolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock"));
    Claim other;
    other.machine = "0123456789abcdef";
    other.host = "POSTE2";
    {
        const ProgramFilesLock lock(path, 0ms);
        QVERIFY(lock.isHeld());
        QVERIFY(entryExists(holderPath(path)));
        // Another workstation took this holder for dead and holds it now.
        QVERIFY(writeFileBytes(holderPath(path), other.text()));
    }
    QCOMPARE(readFileBytes(holderPath(path)), other.text());
    QVERIFY(QDir(claimPath(path)).removeRecursively());
    {
        const ProgramFilesLock lock(path, 0ms);
        QVERIFY(lock.isHeld());
    }
    QVERIFY(!entryExists(claimPath(path)));
}

// A process that keeps taking the claim again (a fast client) would keep out one that
// waits (a slow client): a waiter asks for the next turn, and a newcomer leaves it the
// claim.
void TstProgramFilesLock::waiterThatAskedGoesBeforeNewcomer()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".palvoric.lock.claim"));
    Claim other;
    other.machine = "0123456789abcdef";
    other.host = "POSTE2";
    QVERIFY(QDir().mkdir(path) && writeFileBytes(path + QStringLiteral("/holder"), other.text()));

    std::atomic<int> waited{-1};
    platform::ClaimFolder waiter;
    std::unique_ptr<QThread> thread(QThread::create(
        [&] { waited = waiter.take(path, std::chrono::steady_clock::now() + 10s); }));
    thread->start();
    QTRY_VERIFY(entryExists(path + QStringLiteral(".next")));

    // The holder releases; a newcomer comes at once.
    QVERIFY(QFile::remove(path + QStringLiteral("/holder")) && QDir().rmdir(path));
    platform::ClaimFolder newcomer;
    QCOMPARE(newcomer.take(path, std::chrono::steady_clock::now()), ETIMEDOUT);
    QVERIFY(!newcomer.isHeld());
    QTRY_COMPARE(waited.load(), 0);
    QVERIFY(thread->wait(10000));
    QVERIFY(waiter.isHeld());
    QVERIFY(!entryExists(path + QStringLiteral(".next")));
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstProgramFilesLock, childMain)

#include "tst_program_files_lock.moc"
