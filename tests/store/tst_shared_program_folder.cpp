// Several workstations run the program from one shared folder at the same time: real
// processes write the same logs, settings and history, and nothing any of them wrote may
// be lost.
#include "platform/program_files_lock.h"
#include "search/search_history.h"
#include "store/activity_log.h"
#include "store/clock.h"
#include "store/ini_file.h"
#include "store/window_settings.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"
#include "tests/support/gvfs_client.h"
#include "tests/support/samba_share.h"
#include "tests/support/store/fixed_clock.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace store;

namespace {

constexpr int kWorkstations = 8;
constexpr int kOpenings = 200;

// Waits for the parent's word on standard input (one line). Without it (the parent
// gone, its end of the pipe closed) the child ends without doing anything.
void waitForGo()
{
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        std::exit(4);
}

// "open FOLDER STATION": kOpenings openings, each at its own second of the day.
int openMany(const QString &folder, int station)
{
    QList<QDateTime> times;
    const QDateTime base(QDate(2022, 2, 3), QTime(8, 0, 0));
    for (int i = 0; i < kOpenings; ++i) {
        const QDateTime at = base.addSecs(station * kOpenings + i);
        times << at << at; // the journal's write, then the folder log's
    }
    const FixedClock clock(times);
    setClock(&clock);
    waitForGo();
    for (int i = 0; i < kOpenings; ++i)
        logOpening(QStringLiteral("POSTE%1 Patient%2").arg(station).arg(i), folder);
    setClock(nullptr);
    return 0;
}

// "keys FILE STATION": 50 keys of its own in one section.
int writeKeys(const QString &file, int station)
{
    waitForGo();
    for (int i = 0; i < 50; ++i)
        iniWriteString(QStringLiteral("POSTES"), QStringLiteral("poste%1_%2").arg(station).arg(i),
                       QStringLiteral("%1").arg(i), file);
    return 0;
}

// "settings FILE STATION": 20 whole saves of this station's own set.
int saveSettingsMany(const QString &file, int station)
{
    WindowSettings settings;
    settings.geometry = QRect(station, station, 300 + station, 400 + station);
    settings.options.beginsWith = station % 2 == 0;
    settings.options.stayOnTop = station % 2 == 1;
    settings.options.showStartFolder = station % 2 == 0;
    settings.options.tidyLogs = station % 2 == 1;
    settings.startFolder = QStringLiteral("/srv/poste%1").arg(station);
    waitForGo();
    for (int i = 0; i < 20; ++i)
        saveWindowSettings(settings, QStringLiteral("Palvoric"), file);
    return 0;
}

// "history FILE STATION": loads, waits until every station has loaded, adds five
// entries of its own and saves.
int addHistory(const QString &file, int station)
{
    QStringList entries;
    search::HistoryFileState state;
    search::loadHistory(file, entries, state);
    waitForGo();
    for (int i = 0; i < 5; ++i)
        search::addToHistory(entries, QStringLiteral("POSTE%1 Entrée%2").arg(station).arg(i));
    search::trimHistory(entries);
    search::saveHistory(file, entries, state);
    return 0;
}

// "hold FOLDER 0": holds the lock of the folder's program files until the parent's word,
// as a workstation does while it saves.
int holdLock(const QString &folder)
{
    const platform::ProgramFilesLock lock(programFilesLockPath(folder + u'/'));
    if (!lock.isHeld())
        return 1;
    waitForGo();
    return 0;
}

// "tear FOLDER 0": takes the lock, adds the start of an entry to the journal as a write
// cut short would, and waits there to be killed.
int tearJournal(const QString &folder)
{
    const platform::ProgramFilesLock lock(programFilesLockPath(folder));
    if (!lock.isHeld())
        return 1;
    QFile journal(journalLogPath(folder));
    // At the end, without O_APPEND, which smbnetfs refuses.
    if (!journal.open(QIODevice::ReadWrite) || !journal.seek(journal.size()) ||
        journal.write("09:1") != 4 || !journal.flush())
        return 1;
    waitForGo();
    return 0;
}

int childMain(const QStringList &args)
{
    if (args.size() != 3)
        return 2;
    const int station = args[2].toInt();
    try {
        if (args[0] == u"open")
            return openMany(args[1], station);
        if (args[0] == u"keys")
            return writeKeys(args[1], station);
        if (args[0] == u"settings")
            return saveSettingsMany(args[1], station);
        if (args[0] == u"history")
            return addHistory(args[1], station);
        if (args[0] == u"hold")
            return holdLock(args[1]);
        if (args[0] == u"tear")
            return tearJournal(args[1]);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 2;
}

// Starts one child per station, each on the path its workstation sees, lets them all go
// at once and waits for their end.
bool runStations(const QString &task, const QStringList &paths)
{
    std::vector<std::unique_ptr<QProcess>> children;
    for (int station = 0; station < paths.size(); ++station) {
        children.push_back(std::make_unique<QProcess>());
        startChild(*children.back(), {task, paths[station], QString::number(station)});
    }
    for (auto &child : children) {
        if (!child->waitForReadyRead(30000) || child->readLine() != "ready\n")
            return false;
    }
    // Written through at once, so that all of them start together.
    for (auto &child : children) {
        child->write("go\n");
        if (!child->waitForBytesWritten(30000))
            return false;
    }
    bool allWell = true;
    for (auto &child : children) {
        const bool finished = child->waitForFinished(240000);
        if (!finished || child->exitStatus() != QProcess::NormalExit || child->exitCode() != 0) {
            qWarning("%s", child->readAllStandardError().constData());
            allWell = false;
        }
    }
    return allWell;
}

int count(const QByteArray &bytes, const QRegularExpression &pattern)
{
    int found = 0;
    for (auto it = pattern.globalMatch(QString::fromUtf8(bytes)); it.hasNext(); it.next())
        ++found;
    return found;
}

} // namespace

// Each test runs in a local folder, then on a real SMB share (where the machine allows).
class TstSharedProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void simultaneousOpeningsLoseNoEntry_data() { addPlacesOfSmbnetfs(); }
    void simultaneousOpeningsLoseNoEntry();
    void simultaneousKeyWritesLoseNoKey_data() { addPlacesOfSmbnetfs(); }
    void simultaneousKeyWritesLoseNoKey();
    void simultaneousSavesLeaveOneWholeSet_data() { addPlacesOfSmbnetfs(); }
    void simultaneousSavesLeaveOneWholeSet();
    void simultaneousHistoryAdditionsAreAllKept_data() { addPlaces(); }
    void simultaneousHistoryAdditionsAreAllKept();
    void anotherWorkstationsSaveIsNoLeftover();
    void workstationKilledMidWrite_data() { addPlaces(); }
    void workstationKilledMidWrite();

private:
    static void addPlaces();
    // Without the row of gvfs: under many writes a second through both clients, a write
    // there may still be refused, and an entry or two of 1,600 was lost.
    static void addPlacesOfSmbnetfs();
    std::unique_ptr<QTemporaryDir> newFolder(int clients) const;
    // path as each of stations workstations sees it: on a share with two clients, the
    // even stations go through the first smbnetfs client and the odd ones through the
    // other client.
    QStringList stationPaths(const QString &path, int clients, int stations) const;

    std::unique_ptr<SambaShare> m_share;
    std::unique_ptr<GvfsClient> m_gvfs;
};

void TstSharedProgramFolder::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    m_share = std::make_unique<SambaShare>();
    if (m_share->isMounted())
        m_gvfs = std::make_unique<GvfsClient>(QStringLiteral("smb://127.0.0.1/partage"));
}

void TstSharedProgramFolder::cleanupTestCase()
{
    m_gvfs.reset();
    m_share.reset();
}

// clients: 0 for a local folder, else the SMB clients the workstations use.
enum Clients { Local, OneSmbnetfs, TwoSmbnetfs, SmbnetfsAndGvfs };

void TstSharedProgramFolder::addPlaces()
{
    QTest::addColumn<int>("clients");
    QTest::newRow("local folder") << int(Local);
    QTest::newRow("SMB share, one smbnetfs client") << int(OneSmbnetfs);
    QTest::newRow("SMB share, two smbnetfs clients") << int(TwoSmbnetfs);
    QTest::newRow("SMB share, smbnetfs and gvfs clients") << int(SmbnetfsAndGvfs);
}

void TstSharedProgramFolder::addPlacesOfSmbnetfs()
{
    QTest::addColumn<int>("clients");
    QTest::newRow("local folder") << int(Local);
    QTest::newRow("SMB share, one smbnetfs client") << int(OneSmbnetfs);
    QTest::newRow("SMB share, two smbnetfs clients") << int(TwoSmbnetfs);
}

std::unique_ptr<QTemporaryDir> TstSharedProgramFolder::newFolder(int clients) const
{
    return std::make_unique<QTemporaryDir>(
        clients != Local ? m_share->path() + QStringLiteral("/programme-XXXXXX")
                         : QDir::tempPath() + QStringLiteral("/tst_shared_program_folder-XXXXXX"));
}

QStringList TstSharedProgramFolder::stationPaths(const QString &path, int clients,
                                                 int stations) const
{
    QStringList paths;
    for (int station = 0; station < stations; ++station) {
        if (station % 2 == 0 || clients == Local || clients == OneSmbnetfs)
            paths.append(path);
        else if (clients == TwoSmbnetfs)
            paths.append(m_share->throughClient(path, 1));
        else
            paths.append(m_gvfs->path() + path.mid(m_share->path().size()));
    }
    return paths;
}

// The folder a test works in, or a skip that says why the share cannot be had.
#define PROGRAM_FOLDER(dir)                                                                        \
    QFETCH(int, clients);                                                                          \
    if (clients != Local && !m_share->isMounted())                                                 \
        QSKIP(qPrintable(m_share->skipReason()));                                                  \
    if (clients == SmbnetfsAndGvfs && !(m_gvfs && m_gvfs->isMounted()))                            \
        QSKIP(qPrintable(m_gvfs ? m_gvfs->skipReason() : QStringLiteral("no share")));             \
    const std::unique_ptr<QTemporaryDir> dir = newFolder(clients);                                 \
    QVERIFY(dir->isValid())

void TstSharedProgramFolder::simultaneousOpeningsLoseNoEntry()
{
    PROGRAM_FOLDER(dir);
    const QString folder = dir->path() + u'/';
    QVERIFY(runStations(QStringLiteral("open"), stationPaths(folder, clients, kWorkstations)));
    const int total = kWorkstations * kOpenings;
    const QByteArray journal = readFileBytes(journalLogPath(folder));
    QCOMPARE(count(journal, QRegularExpression(QStringLiteral("^\\[03/02/2022\\]\r$"),
                                               QRegularExpression::MultilineOption)),
             1);
    QCOMPARE(count(journal, QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d=POSTE\\d "
                                                              "Patient\\d+\r$"),
                                               QRegularExpression::MultilineOption)),
             total);
    const QByteArray folders = readFileBytes(folderLogPath(folder));
    QCOMPARE(count(folders, QRegularExpression(QStringLiteral("^\\[POSTE\\d Patient\\d+\\]\r$"),
                                               QRegularExpression::MultilineOption)),
             total);
    QCOMPARE(
        count(folders, QRegularExpression(QStringLiteral("^03/02/2022=\\d\\d:\\d\\d:\\d\\d\r$"),
                                          QRegularExpression::MultilineOption)),
        total);
}

void TstSharedProgramFolder::simultaneousKeyWritesLoseNoKey()
{
    PROGRAM_FOLDER(dir);
    const QString file = dir->filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(runStations(QStringLiteral("keys"), stationPaths(file, clients, 4)));
    for (int station = 0; station < 4; ++station) {
        for (int i = 0; i < 50; ++i) {
            QCOMPARE(iniReadString(QStringLiteral("POSTES"),
                                   QStringLiteral("poste%1_%2").arg(station).arg(i), QString(),
                                   file),
                     QString::number(i));
        }
    }
}

void TstSharedProgramFolder::simultaneousSavesLeaveOneWholeSet()
{
    PROGRAM_FOLDER(dir);
    const QString file = dir->filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(runStations(QStringLiteral("settings"), stationPaths(file, clients, 4)));
    WindowSettings loaded;
    loaded.options.beginsWith = !loaded.options.beginsWith; // so that a missing key shows
    loaded.options.stayOnTop = !loaded.options.stayOnTop;
    loaded.options.showStartFolder = !loaded.options.showStartFolder;
    loaded.options.tidyLogs = !loaded.options.tidyLogs;
    loadWindowSettings(loaded, QStringLiteral("Palvoric"), QRect(0, 0, 1920, 1080),
                       QStringLiteral("<none>"), file);
    const int station = loaded.geometry.left();
    QVERIFY2(station >= 0 && station < 4, readFileBytes(file).constData());
    QCOMPARE(loaded.geometry, QRect(station, station, 300 + station, 400 + station));
    QCOMPARE(loaded.options.beginsWith, station % 2 == 0);
    QCOMPARE(loaded.options.stayOnTop, station % 2 == 1);
    QCOMPARE(loaded.options.showStartFolder, station % 2 == 0);
    QCOMPARE(loaded.options.tidyLogs, station % 2 == 1);
    QCOMPARE(loaded.startFolder, QStringLiteral("/srv/poste%1").arg(station));
    QCOMPARE(iniReadString(QStringLiteral("AFFICHER"), QStringLiteral("DOSSIER"), QString(), file),
             station % 2 == 0 ? QStringLiteral("1") : QStringLiteral("0"));
}

void TstSharedProgramFolder::simultaneousHistoryAdditionsAreAllKept()
{
    PROGRAM_FOLDER(dir);
    const QString file = search::historyFilePath(dir->path() + u'/');
    QVERIFY(writeFileBytes(file, "DUPONT Jean\r\nMARTIN Paul\r\n"));
    QVERIFY(runStations(QStringLiteral("history"), stationPaths(file, clients, 3)));
    QStringList entries;
    search::HistoryFileState state;
    search::loadHistory(file, entries, state);
    QCOMPARE(entries.size(), 17);
    for (int station = 0; station < 3; ++station) {
        for (int i = 0; i < 5; ++i)
            QVERIFY(entries.contains(QStringLiteral("POSTE%1 Entrée%2").arg(station).arg(i)));
    }
    // What the file held before stays below the additions.
    QCOMPARE(entries.mid(15),
             (QStringList{QStringLiteral("DUPONT Jean"), QStringLiteral("MARTIN Paul")}));
}

void TstSharedProgramFolder::anotherWorkstationsSaveIsNoLeftover()
{
    QTemporaryDir dir;
    // The temporary file of a save in progress by another workstation: its process id
    // means nothing here.
    const QString temporary =
        dir.filePath(QStringLiteral(".palvoric-tmp-999999999-1a2b-0123456789ab"));
    QVERIFY(writeFileBytes(temporary, "[DOSSIER]\r\n"));
    QProcess holder;
    startChild(holder, {QStringLiteral("hold"), dir.path(), QStringLiteral("0")});
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine(), QByteArray("ready\n"));

    QCOMPARE(removeLeftoverSaves(dir.path(), std::chrono::milliseconds(200)), 0);
    QVERIFY(entryExists(temporary));

    // The lock is free again, but nothing here tells whether that workstation still
    // writes its file (a lock on a file server may not reach every client): kept.
    holder.write("go\n");
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(holder.exitCode(), 0);
    QCOMPARE(removeLeftoverSaves(dir.path()), 0);
    QVERIFY(entryExists(temporary));

    // Untouched for two hours, it is a leftover whoever made it.
    QFile file(temporary);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-2 * 60 * 60),
                             QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(removeLeftoverSaves(dir.path()), 1);
    QVERIFY(!entryExists(temporary));
}

// A workstation is killed in the middle of an entry, holding the lock: another one (on
// the other client) takes over once the claim is surely abandoned, and the journal keeps
// every whole entry.
void TstSharedProgramFolder::workstationKilledMidWrite()
{
    PROGRAM_FOLDER(dir);
    const QStringList folders = stationPaths(dir->path() + u'/', clients, 2);
    const FixedClock clock({QDateTime(QDate(2022, 2, 3), QTime(9, 0, 0)),
                            QDateTime(QDate(2022, 2, 3), QTime(9, 0, 0)),
                            QDateTime(QDate(2022, 2, 3), QTime(9, 30, 0)),
                            QDateTime(QDate(2022, 2, 3), QTime(9, 30, 0))});
    setClock(&clock);
    logOpening(QStringLiteral("DUPONT Marie"), folders[1]);

    QProcess holder;
    if (!startChildOnAnotherWorkstation(holder,
                                        {QStringLiteral("tear"), folders[0], QStringLiteral("0")}))
        QSKIP("a host name of its own for a child needs root");
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine(), QByteArray("ready\n"));
    holder.kill();
    QVERIFY(holder.waitForFinished());

    logOpening(QStringLiteral("MARTIN Paul"), folders[1]);
    setClock(nullptr);
    QCOMPARE(readFileBytes(journalLogPath(folders[0])),
             QByteArray("[03/02/2022]\r\n09:00:00=DUPONT Marie\r\n09:1\r\n"
                        "09:30:00=MARTIN Paul\r\n"));
    QCOMPARE(readFileBytes(folderLogPath(folders[0])),
             QByteArray("[DUPONT Marie]\r\n03/02/2022=09:00:00\r\n"
                        "[MARTIN Paul]\r\n03/02/2022=09:30:00\r\n"));
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstSharedProgramFolder, childMain)

#include "tst_shared_program_folder.moc"
