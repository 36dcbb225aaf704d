// The activity logs written on a thread of their own: the order of the openings, the
// moment each one is logged with, failures told and outlived, and the waits at close.
#include "store/activity_log.h"
#include "store/activity_log_writer.h"
#include "store/clock.h"
#include "store/ini_file.h"
#include "tests/support/file_helpers.h"
#include "tests/support/store/fixed_clock.h"
#include "tests/support/store/gated_log_write.h"
#include "tests/support/testdir.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace store;

namespace {

QDateTime at(int day, int hour, int minute, int second)
{
    return QDateTime(QDate(2022, 2, day), QTime(hour, minute, second));
}

// Sets a clock for the life of the object.
class ClockScope
{
public:
    explicit ClockScope(QList<QDateTime> times) : m_clock(std::move(times)) { setClock(&m_clock); }
    ~ClockScope() { setClock(nullptr); }

private:
    FixedClock m_clock;
};

QString cannotWrite(const QString &path)
{
    return QStringLiteral("Impossible d'écrire dans %1").arg(path);
}

} // namespace

class TstActivityLogWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void openingsWrittenInOrder_data();
    void openingsWrittenInOrder();
    void momentTakenAtHandOver();
    void failuresToldAndOutlived_data();
    void failuresToldAndOutlived();
    void waitDeliversTheFailures();
    void waitEndsAtItsDeadline();
    void destructionWritesWhatIsQueued();
    void destructionLeavesABlockedWrite();
    void unwrittenOpeningsText_data();
    void unwrittenOpeningsText();
};

void TstActivityLogWriter::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void TstActivityLogWriter::cleanup()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    setClock(nullptr);
}

void TstActivityLogWriter::openingsWrittenInOrder_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<int>("secondsApart");
    QTest::newRow("one opening") << 1 << at(3, 9, 14, 27) << 0;
    QTest::newRow("a busy morning") << 100 << at(3, 8, 30, 0) << 7;
    QTest::newRow("across midnight") << 10 << at(3, 23, 59, 55) << 1;
}

void TstActivityLogWriter::openingsWrittenInOrder()
{
    QFETCH(int, count);
    QFETCH(QDateTime, first);
    QFETCH(int, secondsApart);
    TestDir dir;
    const QString exeFolder = dir.path() + u'/';
    QList<QDateTime> times;
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        times.append(first.addSecs(qint64(i) * secondsApart));
        entries.append(QStringLiteral("PATIENT %1 Nom").arg(i, 3, 10, QChar(u'0')));
    }
    // The journal gets a section per day, the folder log one per folder, in the order given.
    QByteArray journal;
    QByteArray folderLog;
    QString day;
    for (int i = 0; i < count; ++i) {
        const QString date = logDateText(times[i].date());
        const QString time = logTimeText(times[i].time());
        if (date != day)
            journal += (u'[' + date + QStringLiteral("]\r\n")).toUtf8();
        day = date;
        journal += (time + u'=' + entries[i] + QStringLiteral("\r\n")).toUtf8();
        folderLog += (u'[' + entries[i] + QStringLiteral("]\r\n") + date + u'=' + time +
                      QStringLiteral("\r\n"))
                         .toUtf8();
    }

    ActivityLogWriter writer;
    QSignalSpy failures(&writer, &ActivityLogWriter::writeFailed);
    {
        ClockScope clock(times);
        for (const QString &entry : std::as_const(entries))
            writer.logOpening(entry, exeFolder);
    }
    QCOMPARE(writer.waitForPending(QDeadlineTimer::Forever), QStringList());
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)), journal);
    QCOMPARE(readFileBytes(folderLogPath(exeFolder)), folderLog);
    QCOMPARE(failures.count(), 0);
}

// The logs tell when the user opened the folder, in the language of that moment, however
// late the disk lets the write happen.
void TstActivityLogWriter::momentTakenAtHandOver()
{
    TestDir dir;
    const QString exeFolder = dir.path() + u'/';
    GatedLogWrite disk;
    ActivityLogWriter writer(disk.write());
    {
        ClockScope clock({at(3, 9, 14, 27)});
        writer.logOpening(QStringLiteral("DUPONT Marie"), exeFolder);
    }
    QVERIFY(disk.waitUntilBegun(1));
    ClockScope later({at(4, 18, 0, 0)});
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    disk.open();
    QCOMPARE(writer.waitForPending(QDeadlineTimer::Forever), QStringList());
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)),
             QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n"));
    QCOMPARE(readFileBytes(folderLogPath(exeFolder)),
             QByteArray("[DUPONT Marie]\r\n03/02/2022=09:14:27\r\n"));
}

void TstActivityLogWriter::failuresToldAndOutlived_data()
{
    // Where each opening goes: "ok" a folder that takes it, "absent" a folder that is not
    // there (the journal fails), "refused" one whose folder log is a folder (the journal
    // takes the entry, the folder log fails).
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("the first fails") << QStringList{u"absent"_qs, u"ok"_qs, u"ok"_qs};
    QTest::newRow("one in the middle fails") << QStringList{u"ok"_qs, u"refused"_qs, u"ok"_qs};
    QTest::newRow("every other one fails")
        << QStringList{u"absent"_qs, u"ok"_qs, u"refused"_qs, u"ok"_qs, u"absent"_qs, u"ok"_qs};
    QTest::newRow("all fail") << QStringList{u"absent"_qs, u"refused"_qs, u"absent"_qs};
}

void TstActivityLogWriter::failuresToldAndOutlived()
{
    QFETCH(QStringList, folders);
    TestDir dir;
    dir.createDirs({QStringLiteral("ok"), QStringLiteral("refused/_DOSSIERS.LOG")});
    QList<QDateTime> times;
    for (int i = 0; i < folders.size(); ++i)
        times.append(at(3, 9, 0, i));
    // What each folder's logs hold in the end, what the writer tells.
    QByteArray okJournal;
    QByteArray okFolderLog;
    QByteArray refusedJournal;
    QStringList expectedFailures;
    ActivityLogWriter writer;
    QSignalSpy failures(&writer, &ActivityLogWriter::writeFailed);
    {
        ClockScope clock(times);
        for (int i = 0; i < folders.size(); ++i) {
            const QString exeFolder = dir.filePath(folders[i]) + u'/';
            const QString entry = QStringLiteral("PATIENT %1").arg(i);
            writer.logOpening(entry, exeFolder);
            const QByteArray journalLine =
                QStringLiteral("09:00:0%1=%2\r\n").arg(i).arg(entry).toUtf8();
            if (folders[i] == u"absent") {
                expectedFailures.append(cannotWrite(journalLogPath(exeFolder)));
            } else if (folders[i] == u"refused") {
                expectedFailures.append(cannotWrite(folderLogPath(exeFolder)));
                refusedJournal += journalLine;
            } else {
                okJournal += journalLine;
                okFolderLog +=
                    QStringLiteral("[%1]\r\n03/02/2022=09:00:0%2\r\n").arg(entry).arg(i).toUtf8();
            }
        }
    }
    // Told through the event loop as each failure is met, with no wait asked for.
    QTRY_COMPARE(failures.count(), expectedFailures.size());
    QStringList told;
    for (const QList<QVariant> &arguments : std::as_const(failures))
        told.append(arguments.at(0).toString());
    QCOMPARE(told, expectedFailures);
    QCOMPARE(writer.waitForPending(QDeadlineTimer::Forever), QStringList());
    QCOMPARE(failures.count(), expectedFailures.size());
    // Every opening after a failure was written all the same.
    const auto log = [](const QByteArray &header, const QByteArray &lines) {
        return lines.isEmpty() ? QByteArray("<missing>") : header + lines;
    };
    QCOMPARE(readFileBytes(dir.filePath(u"ok/_JOURNAL.LOG"_qs)),
             log("[03/02/2022]\r\n", okJournal));
    QCOMPARE(readFileBytes(dir.filePath(u"ok/_DOSSIERS.LOG"_qs)), log({}, okFolderLog));
    QCOMPARE(readFileBytes(dir.filePath(u"refused/_JOURNAL.LOG"_qs)),
             log("[03/02/2022]\r\n", refusedJournal));
}

// When the window closes the event loop may not run again: what failed is told before the
// wait returns.
void TstActivityLogWriter::waitDeliversTheFailures()
{
    TestDir dir;
    const QString absent = dir.filePath(QStringLiteral("absent/"));
    ActivityLogWriter writer;
    QSignalSpy failures(&writer, &ActivityLogWriter::writeFailed);
    writer.logOpening(QStringLiteral("DUPONT Marie"), absent);
    QCOMPARE(writer.waitForPending(QDeadlineTimer::Forever), QStringList());
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toString(), cannotWrite(journalLogPath(absent)));
}

void TstActivityLogWriter::waitEndsAtItsDeadline()
{
    TestDir dir;
    const QString exeFolder = dir.path() + u'/';
    GatedLogWrite disk;
    ActivityLogWriter writer(disk.write());
    const QStringList entries{QStringLiteral("DUPONT Marie"), QStringLiteral("MARTIN Paul"),
                              QStringLiteral("DURAND Anne")};
    for (const QString &entry : entries)
        writer.logOpening(entry, exeFolder);
    QVERIFY(disk.waitUntilBegun(1));
    // The disk holds the first write: each wait ends at its deadline with all three
    // unwritten, the one being written first.
    QCOMPARE(writer.waitForPending(QDeadlineTimer(0)), entries);
    QCOMPARE(writer.waitForPending(QDeadlineTimer(50)), entries);
    QCOMPARE(disk.written(), QStringList());
    disk.open();
    QCOMPARE(writer.waitForPending(QDeadlineTimer::Forever), QStringList());
    QCOMPARE(disk.written(), entries);
    QCOMPARE(writer.waitForPending(QDeadlineTimer(0)), QStringList());
}

void TstActivityLogWriter::destructionWritesWhatIsQueued()
{
    TestDir dir;
    const QString exeFolder = dir.path() + u'/';
    {
        ClockScope clock({at(3, 9, 0, 0), at(3, 9, 0, 1), at(3, 9, 0, 2)});
        ActivityLogWriter writer;
        for (const char *entry : {"DUPONT Marie", "MARTIN Paul", "DURAND Anne"})
            writer.logOpening(QString::fromUtf8(entry), exeFolder);
    }
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)),
             QByteArray("[03/02/2022]\r\n09:00:00=DUPONT Marie\r\n09:00:01=MARTIN Paul\r\n"
                        "09:00:02=DURAND Anne\r\n"));
}

// A write that the disk holds past the destructor's wait is left to its thread: the
// process ends all the same.
void TstActivityLogWriter::destructionLeavesABlockedWrite()
{
    TestDir dir;
    const QString exeFolder = dir.path() + u'/';
    GatedLogWrite disk;
    auto writer = std::make_unique<ActivityLogWriter>(disk.write());
    writer->logOpening(QStringLiteral("DUPONT Marie"), exeFolder);
    writer->logOpening(QStringLiteral("MARTIN Paul"), exeFolder);
    QVERIFY(disk.waitUntilBegun(1));
    // Not silently.
    QTest::ignoreMessage(QtWarningMsg, "Opening left to a write that has not ended: DUPONT Marie");
    QTest::ignoreMessage(QtWarningMsg, "Opening not logged: MARTIN Paul");
    writer.reset();
    // The write held goes on when the disk lets it; the one queued behind it was dropped.
    disk.open();
    QVERIFY(disk.waitUntilWritten(1));
    QCOMPARE(disk.written(), QStringList{QStringLiteral("DUPONT Marie")});
    QVERIFY(readFileBytes(journalLogPath(exeFolder)).contains("DUPONT Marie"));
}

void TstActivityLogWriter::unwrittenOpeningsText_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("list");
    QTest::newRow("one") << QStringList{u"DUPONT Marie"_qs} << u"\r\nDUPONT Marie"_qs;
    QTest::newRow("line break in a name") << QStringList{u"DU\nSAUT Ligne"_qs, u"MARTIN Paul"_qs}
                                          << u"\r\nDU␊SAUT Ligne\r\nMARTIN Paul"_qs;
    QStringList seven;
    for (int i = 1; i <= 7; ++i)
        seven.append(QStringLiteral("A%1").arg(i));
    QTest::newRow("seven: five shown")
        << seven << u"\r\nA1\r\nA2\r\nA3\r\nA4\r\nA5\r\net 2 autre(s)"_qs;
}

void TstActivityLogWriter::unwrittenOpeningsText()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, list);
    QCOMPARE(
        unwrittenOpeningsMessage(entries, u"/srv/palvoric/"_qs),
        u"Ces ouvertures de dossiers n'ont pas pu être écrites dans "
        u"/srv/palvoric/_JOURNAL.LOG et /srv/palvoric/_DOSSIERS.LOG avant la fermeture :\r\n"_qs +
            list);
}

QTEST_GUILESS_MAIN(TstActivityLogWriter)
#include "tst_activity_log_writer.moc"
