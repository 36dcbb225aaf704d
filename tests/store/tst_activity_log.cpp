#include "errors/user_error.h"
#include "store/activity_log.h"
#include "store/clock.h"
#include "store/ini_document.h"
#include "store/ini_file.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/store/fixed_clock.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace store;

namespace {

QDateTime at(int day, int hour, int minute, int second)
{
    return QDateTime(QDate(2022, 2, day), QTime(hour, minute, second));
}

quint64 inodeOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// The file a whole rewrite of the journal gives: what every entry must give, in place or
// not. Each entry is a line of its own.
QByteArray rewritten(const QByteArray &bytes, const QString &section, const QString &key,
                     const QString &value)
{
    IniDocument document = IniDocument::fromBytes(bytes);
    document.addValue(section, key, value);
    document.endLastLine();
    return document.toBytes();
}

void appendBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
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

} // namespace

class TstActivityLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void dateAndTimeTexts_data();
    void dateAndTimeTexts();
    void systemClockByDefault();
    void threeOpeningsGiveTheSampleLogs();
    void sameSecondKeepsBothEntries_data();
    void sameSecondKeepsBothEntries();
    void caseOnlyDifferencesShareASection();
    void namesWithLineBreaksStayOnOneLine();
    void writeErrors();
    void entriesAtTheEndAreAppendedInPlace();
    void tornAppendIsReadAndRepaired();
    void followsWhatOtherProgramsWrite();
};

void TstActivityLog::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void TstActivityLog::cleanupTestCase()
{
    QLocale::setDefault(QLocale::system());
}

void TstActivityLog::dateAndTimeTexts_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("timeFormat");
    QTest::newRow("France") << QLocale(QLocale::French, QLocale::France) << "03/02/2022"
                            << "09:14:27"
                            << "HH:mm:ss";
    QTest::newRow("Germany: four-digit year")
        << QLocale(QLocale::German, QLocale::Germany) << "03.02.2022"
        << "09:14:27"
        << "HH:mm:ss";
    QTest::newRow("United States: four-digit year")
        << QLocale(QLocale::English, QLocale::UnitedStates) << "2/3/2022"
        << "9:14:27 AM"
        << "h:mm:ss AP";
    QTest::newRow("C locale: as in France") << QLocale::c() << "03/02/2022"
                                            << "09:14:27"
                                            << "HH:mm:ss";
}

void TstActivityLog::dateAndTimeTexts()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, timeFormat);
    QCOMPARE(longTimeFormatWithoutZone(locale), timeFormat);
    QCOMPARE(logDateText(QDate(2022, 2, 3), locale), date);
    QCOMPARE(logTimeText(QTime(9, 14, 27), locale), time);
}

void TstActivityLog::systemClockByDefault()
{
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = activeClock().now();
    QVERIFY(now >= before);
    QVERIFY(now <= QDateTime::currentDateTime());
    {
        ClockScope scope({at(3, 9, 14, 27), at(3, 9, 14, 28)});
        QCOMPARE(activeClock().now(), at(3, 9, 14, 27));
        QCOMPARE(activeClock().now(), at(3, 9, 14, 28));
        QCOMPARE(activeClock().now(), at(3, 9, 14, 28));
    }
    QVERIFY(activeClock().now() >= before);
}

void TstActivityLog::threeOpeningsGiveTheSampleLogs()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    {
        // Each opening reads the clock twice: once per log.
        ClockScope scope({at(3, 9, 14, 27), at(3, 9, 14, 27), at(3, 9, 20, 3), at(3, 9, 20, 3),
                          at(4, 8, 55, 40), at(4, 8, 55, 40)});
        logOpening(QStringLiteral("EXEMPLE Anne 1975"), exeFolder);
        logOpening(QStringLiteral("MODELE Claire"), exeFolder);
        logOpening(QStringLiteral("MODELE Claire"), exeFolder);
    }
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)), QByteArray("[03/02/2022]\r\n"
                                                                  "09:14:27=EXEMPLE Anne 1975\r\n"
                                                                  "09:20:03=MODELE Claire\r\n"
                                                                  "[04/02/2022]\r\n"
                                                                  "08:55:40=MODELE Claire\r\n"));
    QCOMPARE(readFileBytes(folderLogPath(exeFolder)), QByteArray("[EXEMPLE Anne 1975]\r\n"
                                                                 "03/02/2022=09:14:27\r\n"
                                                                 "[MODELE Claire]\r\n"
                                                                 "03/02/2022=09:20:03\r\n"
                                                                 "04/02/2022=08:55:40\r\n"));
    QCOMPARE(journalLogPath(exeFolder), dir.path() + QStringLiteral("/_JOURNAL.LOG"));
    QCOMPARE(folderLogPath(exeFolder), dir.path() + QStringLiteral("/_DOSSIERS.LOG"));
}

void TstActivityLog::sameSecondKeepsBothEntries_data()
{
    QTest::addColumn<QByteArray>("before"); // the journal before the openings
    QTest::addColumn<QStringList>("names"); // opened in this order, all at 09:14:27
    QTest::addColumn<bool>("tidy");         // the tidy pass runs after them
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QByteArray>("folderLog");

    const QByteArray dupont = "[DUPONT Marie]\r\n03/02/2022=09:14:27\r\n";
    const QByteArray martin = "[MARTIN Paul]\r\n03/02/2022=09:14:27\r\n";
    QTest::newRow("two workstations, two folders")
        << QByteArray() << QStringList{u"DUPONT Marie"_qs, u"MARTIN Paul"_qs} << false
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n09:14:27=MARTIN Paul\r\n")
        << dupont + martin;
    // The folder log keeps one key per day, holding the last time.
    QTest::newRow("two workstations, the same folder")
        << QByteArray() << QStringList{u"DUPONT Marie"_qs, u"DUPONT Marie"_qs} << false
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n09:14:27=DUPONT Marie\r\n")
        << dupont;
    QTest::newRow("three in the same second")
        << QByteArray("[03/02/2022]\r\n09:00:00=ROY Léa\r\n")
        << QStringList{u"DUPONT Marie"_qs, u"MARTIN Paul"_qs, u"ROY Léa"_qs} << false
        << QByteArray("[03/02/2022]\r\n09:00:00=ROY Léa\r\n09:14:27=DUPONT Marie\r\n"
                      "09:14:27=MARTIN Paul\r\n09:14:27=ROY Léa\r\n")
        << dupont + martin + "[ROY Léa]\r\n03/02/2022=09:14:27\r\n";
    // A workstation whose clock is a day behind writes into a section before the last.
    QTest::newRow("same second in an earlier day")
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n\r\n[04/02/2022]\r\n"
                      "08:00:00=ROY Léa\r\n")
        << QStringList{u"MARTIN Paul"_qs} << false
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n09:14:27=MARTIN Paul\r\n\r\n"
                      "[04/02/2022]\r\n08:00:00=ROY Léa\r\n")
        << martin;
    QTest::newRow("then tidied") << QByteArray("[02/02/2022]\r\n18:00:00=ROY Léa\r\n")
                                 << QStringList{u"DUPONT Marie"_qs, u"MARTIN Paul"_qs} << true
                                 << QByteArray(
                                        "[02/02/2022]\r\n18:00:00=ROY Léa\r\n\r\n[03/02/2022]\r\n"
                                        "09:14:27=DUPONT Marie\r\n09:14:27=MARTIN Paul\r\n")
                                 << dupont + "\r\n" + martin;
}

void TstActivityLog::sameSecondKeepsBothEntries()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, names);
    QFETCH(bool, tidy);
    QFETCH(QByteArray, journal);
    QFETCH(QByteArray, folderLog);
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    if (!before.isEmpty())
        QVERIFY(writeFileBytes(journalLogPath(exeFolder), before));
    ClockScope scope({at(3, 9, 14, 27)});
    for (const QString &name : names)
        logOpening(name, exeFolder);
    if (tidy)
        tidyActivityLogs(exeFolder);
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)), journal);
    QCOMPARE(readFileBytes(folderLogPath(exeFolder)), folderLog);
}

void TstActivityLog::caseOnlyDifferencesShareASection()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    ClockScope scope({at(3, 9, 0, 0), at(3, 9, 0, 0), at(4, 10, 0, 0), at(4, 10, 0, 0)});
    logOpening(QStringLiteral("Dupont Éric"), exeFolder);
    logOpening(QStringLiteral("DUPONT ÉRIC"), exeFolder);
    QCOMPARE(
        readFileBytes(folderLogPath(exeFolder)),
        QStringLiteral("[Dupont Éric]\r\n03/02/2022=09:00:00\r\n04/02/2022=10:00:00\r\n").toUtf8());
}

void TstActivityLog::namesWithLineBreaksStayOnOneLine()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    ClockScope scope({at(3, 9, 0, 0)});
    const QString name = QStringLiteral("DUPONT\n[04/02/2022]\r\n10:00:00=faux");
    logOpening(name, exeFolder);
    // Each break shows as its picture: one line, readable, never a new section or key.
    QCOMPARE(
        readFileBytes(journalLogPath(exeFolder)),
        QStringLiteral("[03/02/2022]\r\n09:00:00=DUPONT␊[04/02/2022]␍␊10:00:00=faux\r\n").toUtf8());
    QCOMPARE(
        readFileBytes(folderLogPath(exeFolder)),
        QStringLiteral("[DUPONT␊[04/02/2022]␍␊10:00:00=faux]\r\n03/02/2022=09:00:00\r\n").toUtf8());
    QCOMPARE(iniReadString(QStringLiteral("03/02/2022"), QStringLiteral("09:00:00"), QString(),
                           journalLogPath(exeFolder)),
             QStringLiteral("DUPONT␊[04/02/2022]␍␊10:00:00=faux"));
    QCOMPARE(iniReadString(name, QStringLiteral("03/02/2022"), QString(), folderLogPath(exeFolder)),
             QStringLiteral("09:00:00"));
}

void TstActivityLog::writeErrors()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    ClockScope scope({at(3, 9, 0, 0)});
    // The folder log cannot be written (a folder holds its name): the journal entry stays.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("_DOSSIERS.LOG")));
    QCOMPARE(userErrorOf([&] { logOpening(QStringLiteral("DUPONT Marie"), exeFolder); }),
             QStringLiteral("Impossible d'écrire dans %1").arg(folderLogPath(exeFolder)));
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)),
             QByteArray("[03/02/2022]\r\n09:00:00=DUPONT Marie\r\n"));

    // A full disk stops at the journal; both logs keep their content. The journal ends
    // 10 bytes short of a page: the new entry's first bytes fit there, the rest finds no
    // room, and the file is cut back to what it held.
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString full = disk.path() + u'/';
    const QByteArray header = "[01/02/2022]\r\n";
    const QByteArray journal =
        header + QByteArray(200 * 1024 - 10 - header.size() - 4, 'j') + "=x\r\n";
    QVERIFY(writeFileBytes(journalLogPath(full), journal));
    QVERIFY(disk.fillUpTo(0));
    QCOMPARE(userErrorOf([&] { logOpening(QStringLiteral("DUPONT Marie"), full); }),
             QStringLiteral("Impossible d'écrire dans %1").arg(journalLogPath(full)));
    QCOMPARE(readFileBytes(journalLogPath(full)), journal);
    QVERIFY(!entryExists(folderLogPath(full)));
}

void TstActivityLog::entriesAtTheEndAreAppendedInPlace()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    const QString journal = journalLogPath(exeFolder);
    const QString folderLog = folderLogPath(exeFolder);
    ClockScope scope({at(3, 9, 0, 0), at(3, 9, 0, 1), at(3, 9, 5, 0), at(3, 9, 5, 1),
                      at(4, 8, 0, 0), at(4, 8, 0, 1), at(4, 8, 0, 0), at(4, 8, 0, 2)});
    logOpening(QStringLiteral("DUPONT Marie"), exeFolder);
    const quint64 journalInode = inodeOf(journal);
    const quint64 folderLogInode = inodeOf(folderLog);

    // Today's section is the journal's last one; a folder opened for the first time gets
    // a new section at the end of the folder log: both grow in place.
    logOpening(QStringLiteral("MARTIN Luc"), exeFolder);
    QCOMPARE(readFileBytes(journal),
             QByteArray("[03/02/2022]\r\n09:00:00=DUPONT Marie\r\n09:05:00=MARTIN Luc\r\n"));
    QCOMPARE(readFileBytes(folderLog), QByteArray("[DUPONT Marie]\r\n03/02/2022=09:00:01\r\n"
                                                  "[MARTIN Luc]\r\n03/02/2022=09:05:01\r\n"));
    QCOMPARE(inodeOf(journal), journalInode);
    QCOMPARE(inodeOf(folderLog), folderLogInode);

    // A folder logged before gets its line in its own section: the folder log is
    // replaced, the journal still grows in place.
    logOpening(QStringLiteral("DUPONT Marie"), exeFolder);
    QCOMPARE(readFileBytes(journal),
             QByteArray("[03/02/2022]\r\n09:00:00=DUPONT Marie\r\n09:05:00=MARTIN Luc\r\n"
                        "[04/02/2022]\r\n08:00:00=DUPONT Marie\r\n"));
    QCOMPARE(readFileBytes(folderLog),
             QByteArray("[DUPONT Marie]\r\n03/02/2022=09:00:01\r\n04/02/2022=08:00:01\r\n"
                        "[MARTIN Luc]\r\n03/02/2022=09:05:01\r\n"));
    QCOMPARE(inodeOf(journal), journalInode);
    QVERIFY(inodeOf(folderLog) != folderLogInode);

    // Another workstation's opening in the same second: a line of its own, still added
    // in place.
    logOpening(QStringLiteral("MARTIN Luc"), exeFolder);
    QCOMPARE(readFileBytes(journal),
             QByteArray("[03/02/2022]\r\n09:00:00=DUPONT Marie\r\n09:05:00=MARTIN Luc\r\n"
                        "[04/02/2022]\r\n08:00:00=DUPONT Marie\r\n08:00:00=MARTIN Luc\r\n"));
    QCOMPARE(inodeOf(journal), journalInode);
}

void TstActivityLog::tornAppendIsReadAndRepaired()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    const QString journal = journalLogPath(exeFolder);
    // A crash cut the last entry in the middle of its "É".
    QVERIFY(writeFileBytes(journal, "[03/02/2022]\r\n09:00:00=HÉLÈNE Marie\r\n09:01:00=H\xc3"));
    QCOMPARE(iniReadString(u"03/02/2022"_qs, u"09:00:00"_qs, QString(), journal),
             u"HÉLÈNE Marie"_qs);

    // In the folder log, a new section was cut short; the next entry goes elsewhere.
    const QString folderLog = folderLogPath(exeFolder);
    QVERIFY(writeFileBytes(folderLog,
                           "[ÉLODIE Roy]\r\n02/02/2022=08:00:00\r\n[MARTIN Luc]\r\n02/02/20"));

    ClockScope scope({at(3, 9, 2, 0), at(3, 9, 2, 1)});
    logOpening(QStringLiteral("ÉLODIE Roy"), exeFolder);
    QCOMPARE(readFileBytes(folderLog),
             QByteArray("[ÉLODIE Roy]\r\n02/02/2022=08:00:00\r\n03/02/2022=09:02:01\r\n"
                        "[MARTIN Luc]\r\n02/02/20\r\n"));
    // The cut line gets its line end (its cut byte read as the character it stands for in
    // Windows-1252), the new entry follows, and the whole file is UTF-8.
    QCOMPARE(readFileBytes(journal),
             u"[03/02/2022]\r\n09:00:00=HÉLÈNE Marie\r\n09:01:00=HÃ\r\n09:02:00=ÉLODIE Roy\r\n"_qs
                 .toUtf8());
}

void TstActivityLog::followsWhatOtherProgramsWrite()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    const QString journal = journalLogPath(exeFolder);
    ClockScope scope({at(3, 9, 0, 0), at(3, 9, 0, 1), at(3, 9, 40, 0), at(3, 9, 40, 1),
                      at(4, 8, 10, 0), at(4, 8, 10, 1), at(4, 8, 20, 0), at(4, 8, 20, 1),
                      at(4, 8, 30, 0), at(4, 8, 30, 1)});
    const auto opening = [&](const QString &name, const QDateTime &when) {
        const QByteArray before = readFileBytes(journal);
        logOpening(name, exeFolder);
        QCOMPARE(readFileBytes(journal),
                 rewritten(before, logDateText(when.date()), logTimeText(when.time()), name));
    };
    logOpening(QStringLiteral("DUPONT Marie"), exeFolder);

    // Another instance appends an entry, then starts the next day.
    appendBytes(journal, "09:30:00=MARTIN Luc\r\n");
    opening(u"PETIT Jean"_qs, at(3, 9, 40, 0));
    appendBytes(journal, "[04/02/2022]\r\n08:00:00=MARTIN Luc\r\n");
    opening(u"PETIT Jean"_qs, at(4, 8, 10, 0));
    QCOMPARE(readFileBytes(journal).count("[04/02/2022]"), 1);

    // An editor changes the last day in place, the size unchanged.
    QByteArray edited = readFileBytes(journal);
    edited.replace("[04/02/2022]", "[05/02/2022]");
    {
        QFile file(journal);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write(edited), edited.size());
    }
    opening(u"ROY Léa"_qs, at(4, 8, 20, 0));

    // Another program replaces the file.
    QVERIFY(writeFileBytes(journal + u".new"_qs, "[04/02/2022]\r\n"));
    QVERIFY(QFile::remove(journal));
    QVERIFY(QFile::rename(journal + u".new"_qs, journal));
    opening(u"ROY Léa"_qs, at(4, 8, 30, 0));
    QCOMPARE(readFileBytes(journal), QByteArray("[04/02/2022]\r\n08:30:00=ROY Léa\r\n"));
}

QTEST_GUILESS_MAIN(TstActivityLog)

#include "tst_activity_log.moc"
