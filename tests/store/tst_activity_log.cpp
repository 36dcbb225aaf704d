#include "errors/user_error.h"
#include "store/activity_log.h"
#include "store/clock.h"
#include "store/ini_file.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/store/fixed_clock.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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
    void sameSecondKeepsTheLaterName();
    void caseOnlyDifferencesShareASection();
    void namesWithLineBreaksStayOnOneLine();
    void writeErrors();
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

void TstActivityLog::sameSecondKeepsTheLaterName()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    ClockScope scope({at(3, 9, 14, 27)});
    logOpening(QStringLiteral("DUPONT Marie"), exeFolder);
    logOpening(QStringLiteral("MARTIN Paul"), exeFolder);
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)),
             QByteArray("[03/02/2022]\r\n09:14:27=MARTIN Paul\r\n"));
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

    // A full disk stops at the journal; both logs keep their content.
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString full = disk.path() + u'/';
    const QByteArray journal = "[01/02/2022]\r\n" + QByteArray(200 * 1024, 'j') + "=x\r\n";
    QVERIFY(writeFileBytes(journalLogPath(full), journal));
    QVERIFY(disk.fillUpTo(0));
    QCOMPARE(userErrorOf([&] { logOpening(QStringLiteral("DUPONT Marie"), full); }),
             QStringLiteral("Impossible d'écrire dans %1").arg(journalLogPath(full)));
    QCOMPARE(readFileBytes(journalLogPath(full)), journal);
    QVERIFY(!entryExists(folderLogPath(full)));
}

QTEST_GUILESS_MAIN(TstActivityLog)

#include "tst_activity_log.moc"
