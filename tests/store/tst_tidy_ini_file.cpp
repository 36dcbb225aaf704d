#include "errors/user_error.h"
#include "store/activity_log.h"
#include "store/tidy_ini_file.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace store;

namespace {

QByteArray utf16le(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

const QByteArray kJournal("[03/02/2022]\r\n"
                          "09:14:27=EXEMPLE Anne 1975\r\n"
                          "09:20:03=MODELE Claire\r\n"
                          "[04/02/2022]\r\n"
                          "08:55:40=MODELE Claire\r\n");
const QByteArray kTidyJournal("[03/02/2022]\r\n"
                              "09:14:27=EXEMPLE Anne 1975\r\n"
                              "09:20:03=MODELE Claire\r\n"
                              "\r\n"
                              "[04/02/2022]\r\n"
                              "08:55:40=MODELE Claire\r\n");

} // namespace

class TstTidyIniFile : public QObject
{
    Q_OBJECT

private slots:
    void tidies_data();
    void tidies();
    void secondPassChangesNothing_data();
    void secondPassChangesNothing();
    void missingFileOrFolderIsLeftAlone();
    void unreadableFileRaises();
    void unwritableFileRaisesAndKeepsContent_data();
    void unwritableFileRaisesAndKeepsContent();
    void logsTidiedJournalFirst();
    void newSectionsAfterAPass();
};

void TstTidyIniFile::tidies_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("journal sample") << kJournal << kTidyJournal;
    QTest::newRow("folder log sample")
        << QByteArray("[EXEMPLE Anne 1975]\r\n03/02/2022=09:14:27\r\n[MODELE Claire]\r\n"
                      "03/02/2022=09:20:03\r\n04/02/2022=08:55:40\r\n")
        << QByteArray("[EXEMPLE Anne 1975]\r\n03/02/2022=09:14:27\r\n\r\n[MODELE Claire]\r\n"
                      "03/02/2022=09:20:03\r\n04/02/2022=08:55:40\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("only empty lines") << QByteArray("\r\n\n\r\r\n") << QByteArray();
    QTest::newRow("LF line ends") << QByteArray("[A]\nk=1\n[B]\nk=2\n")
                                  << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n");
    QTest::newRow("no line break at the end")
        << QByteArray("[A]\r\nk=1\r\n[B]\r\nk=2") << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n");
    QTest::newRow("lone CR line ends")
        << QByteArray("[A]\rk=1\r[B]") << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\n");
    QTest::newRow("one empty line before keeps one")
        << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\n") << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\n");
    QTest::newRow("two keep two") << QByteArray("[A]\r\nk=1\r\n\r\n\r\n[B]\r\n")
                                  << QByteArray("[A]\r\nk=1\r\n\r\n\r\n[B]\r\n");
    QTest::newRow("three keep three") << QByteArray("[A]\r\nk=1\r\n\r\n\r\n\r\n[B]\r\n")
                                      << QByteArray("[A]\r\nk=1\r\n\r\n\r\n\r\n[B]\r\n");
    QTest::newRow("four keep three") << QByteArray("[A]\r\nk=1\r\n\r\n\r\n\r\n\r\n[B]\r\n")
                                     << QByteArray("[A]\r\nk=1\r\n\r\n\r\n\r\n[B]\r\n");
    QTest::newRow("empty lines at the start go")
        << QByteArray("\r\n\r\n[A]\r\nk=1\r\n") << QByteArray("[A]\r\nk=1\r\n");
    QTest::newRow("brackets in a value stay on their line")
        << QByteArray("[03/02/2022]\r\n09:14:27=NOM Pr\xc3\xa9nom [2]\r\n[04/02/2022]\r\n")
        << QByteArray("[03/02/2022]\r\n09:14:27=NOM Pr\xc3\xa9nom [2]\r\n\r\n[04/02/2022]\r\n");
    QTest::newRow("header text repeated in a value")
        << QByteArray("[A]\r\nk=[B]\r\n[B]\r\nk=[B] [A]\r\n")
        << QByteArray("[A]\r\nk=[B]\r\n\r\n[B]\r\nk=[B] [A]\r\n");
    QTest::newRow("section named with brackets")
        << QByteArray("[X]\r\nd=1\r\n[NOM Pr\xc3\xa9nom [2]]\r\nd=2\r\n")
        << QByteArray("[X]\r\nd=1\r\n\r\n[NOM Pr\xc3\xa9nom [2]]\r\nd=2\r\n");
    QTest::newRow("too short to be a header")
        << QByteArray("k=1\r\n[]\r\n[A]\r\n") << QByteArray("k=1\r\n[]\r\n\r\n[A]\r\n");
    QTest::newRow("bracket without end")
        << QByteArray("k=1\r\n[A\r\n") << QByteArray("k=1\r\n[A\r\n");
    QTest::newRow("unicode line separator ends the match")
        << QStringLiteral("k=1\r\n[A\u2028]\r\n[B]\u2029x\r\n").toUtf8()
        << QStringLiteral("k=1\r\n[A\u2028]\r\n\r\n[B]\u2029x\r\n").toUtf8();
    QTest::newRow("10 MB line of brackets")
        << QByteArray("k=1\r\n") + QByteArray(10 * 1024 * 1024, '[') + "\r\n]\r\n"
        << QByteArray("k=1\r\n") + QByteArray(10 * 1024 * 1024, '[') + "\r\n]\r\n";

    // The file keeps the encoding it was found in.
    const QString text = QStringLiteral("[A]\r\nk=Hélène\r\n[B]\r\n");
    const QString tidy = QStringLiteral("[A]\r\nk=Hélène\r\n\r\n[B]\r\n");
    QTest::newRow("utf-8 mark") << QByteArray("\xef\xbb\xbf") + text.toUtf8()
                                << QByteArray("\xef\xbb\xbf") + tidy.toUtf8();
    QTest::newRow("utf-16le mark")
        << QByteArray("\xff\xfe") + utf16le(text) << QByteArray("\xff\xfe") + utf16le(tidy);
    QTest::newRow("ansi (utf-8), no mark") << text.toUtf8() << tidy.toUtf8();
    QTest::newRow("windows-1252 from a Windows machine")
        << QByteArray("[A]\r\nk=H\xe9l\xe8ne \x80\r\n[B]\r\n")
        << QByteArray("[A]\r\nk=H\xe9l\xe8ne \x80\r\n\r\n[B]\r\n");
}

void TstTidyIniFile::tidies()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_JOURNAL.LOG"));
    QVERIFY(writeFileBytes(path, before));
    tidyIniFile(path);
    QCOMPARE(readFileBytes(path), after);
}

void TstTidyIniFile::secondPassChangesNothing_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::newRow("journal") << kJournal;
    QTest::newRow("single section") << QByteArray("[A]\r\nk=1\r\n");
    QTest::newRow("many sections") << QByteArray("[A]\r\n[B]\r\n[C]\r\nk=1\r\n[D]\r\n");
    QTest::newRow("key before first section") << QByteArray("k=1\r\n[A]\r\nj=2\r\n");
}

void TstTidyIniFile::secondPassChangesNothing()
{
    QFETCH(QByteArray, log);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_DOSSIERS.LOG"));
    QVERIFY(writeFileBytes(path, log));
    tidyIniFile(path);
    const QByteArray once = readFileBytes(path);
    QVERIFY(once != log || !log.contains("\r\n["));
    tidyIniFile(path);
    QCOMPARE(readFileBytes(path), once);
}

void TstTidyIniFile::missingFileOrFolderIsLeftAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_JOURNAL.LOG"));
    tidyIniFile(path);
    QVERIFY(!entryExists(path));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("_JOURNAL.LOG")));
    tidyIniFile(path);
    QVERIFY(QFileInfo(path).isDir());
}

void TstTidyIniFile::unreadableFileRaises()
{
    QTemporaryDir dir;
    // A pipe cannot be read as a file (and must not make the pass wait for a writer).
    const QString path = dir.filePath(QStringLiteral("_JOURNAL.LOG"));
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    QCOMPARE(userErrorOf([&] { tidyIniFile(path); }),
             QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                 .arg(path, qt_error_string(EINVAL)));
}

void TstTidyIniFile::unwritableFileRaisesAndKeepsContent_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("full disk") << QStringLiteral("full");
    QTest::newRow("read-only file system") << QStringLiteral("read-only");
}

void TstTidyIniFile::unwritableFileRaisesAndKeepsContent()
{
    QFETCH(QString, fault);
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString path = disk.path() + QStringLiteral("/_JOURNAL.LOG");
    QByteArray log;
    for (int day = 1; log.size() < 300 * 1024; ++day)
        log += "[" + QByteArray::number(day) + "/02/2022]\r\n09:14:27=EXEMPLE Anne 1975\r\n";
    QVERIFY(writeFileBytes(path, log));
    if (fault == QLatin1String("full"))
        QVERIFY(disk.fillUpTo(0));
    else
        QVERIFY(disk.remountReadOnly());
    const QString error = userErrorOf([&] { tidyIniFile(path); });
    QVERIFY2(error.startsWith(QStringLiteral("Impossible de créer le fichier \"%1\". ").arg(path)),
             qPrintable(error));
    QVERIFY(error.size() >
            QStringLiteral("Impossible de créer le fichier \"%1\". ").arg(path).size());
    QCOMPARE(readFileBytes(path), log);
    QVERIFY(entriesOf(disk.path()).filter(QStringLiteral(".palvoric-tmp")).isEmpty());
}

void TstTidyIniFile::logsTidiedJournalFirst()
{
    QTemporaryDir dir;
    const QString exeFolder = dir.path() + u'/';
    QVERIFY(writeFileBytes(journalLogPath(exeFolder), kJournal));
    // The folder log cannot be read: the journal is tidied all the same, before it.
    QCOMPARE(mkfifo(QFile::encodeName(folderLogPath(exeFolder)).constData(), 0644), 0);
    QVERIFY(!userErrorOf([&] { tidyActivityLogs(exeFolder); }).isEmpty());
    QCOMPARE(readFileBytes(journalLogPath(exeFolder)), kTidyJournal);
}

void TstTidyIniFile::newSectionsAfterAPass()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_JOURNAL.LOG"));
    QVERIFY(writeFileBytes(path, kTidyJournal + "[05/02/2022]\r\n10:00:00=DUPONT\r\n"));
    tidyIniFile(path);
    QCOMPARE(readFileBytes(path), kTidyJournal + "\r\n[05/02/2022]\r\n10:00:00=DUPONT\r\n");
}

QTEST_GUILESS_MAIN(TstTidyIniFile)

#include "tst_tidy_ini_file.moc"
