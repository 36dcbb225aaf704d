#include "store/ini_file.h"
#include "tests/support/child_process.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"

#include <QTemporaryDir>
#include <QTest>

// Writes of the settings file and the logs that fail for real: the error is raised and
// the file keeps its former content, byte for byte.

using namespace store;

namespace {

// Child step: "write PATH SECTION KEY VALUE" (or "append", as a log entry is written)
// prints the error, or "ok".
int childMain(const QStringList &args)
{
    const auto write = args.value(0) == u"append" ? iniAppendString : iniWriteString;
    const QString error =
        userErrorOf([&] { write(args.value(2), args.value(3), args.value(4), args.value(1)); });
    printf("%s\n", error.isEmpty() ? "ok" : error.toUtf8().constData());
    return error.isEmpty() ? 0 : 1;
}

} // namespace

class TstIniFileFaults : public QObject
{
    Q_OBJECT

private slots:
    void writeErrors_data();
    void writeErrors();
    void failedDataSyncRaisesAndKeepsFile_data();
    void failedDataSyncRaisesAndKeepsFile();
};

void TstIniFileFaults::writeErrors_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("full disk") << QStringLiteral("full");
    QTest::newRow("read-only file system") << QStringLiteral("read-only");
    QTest::newRow("missing folder") << QStringLiteral("missing folder");
    QTest::newRow("path is a folder") << QStringLiteral("folder");
}

void TstIniFileFaults::writeErrors()
{
    QFETCH(QString, fault);
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QString path = disk.path() + QStringLiteral("/Palvoric.INI");
    const QByteArray old = QByteArray("[Palvoric]\r\nForm1=412:187:354:399\r\n[DOSSIER]\r\nDATA=") +
                           QByteArray(300 * 1024, 'p') + "\r\n";
    QVERIFY(writeFileBytes(path, old));
    if (fault == QLatin1String("full"))
        QVERIFY(disk.fillUpTo(0));
    else if (fault == QLatin1String("read-only"))
        QVERIFY(disk.remountReadOnly());
    else if (fault == QLatin1String("missing folder"))
        path = disk.path() + QStringLiteral("/missing/Palvoric.INI");
    else
        path = disk.path();
    const QString error = userErrorOf([&] {
        iniWriteString(QStringLiteral("DOSSIER"), QStringLiteral("DATA"), QStringLiteral("/new"),
                       path);
    });
    QCOMPARE(error, QStringLiteral("Impossible d'écrire dans %1").arg(path));
    QCOMPARE(readFileBytes(disk.path() + QStringLiteral("/Palvoric.INI")), old);
    const QStringList entries = entriesOf(disk.path());
    QVERIFY2(entries.filter(QStringLiteral(".palvoric-tmp")).isEmpty(),
             qPrintable(entries.join(u',')));
}

void TstIniFileFaults::failedDataSyncRaisesAndKeepsFile_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("file replaced") << QStringLiteral("write");
    // A new section goes at the end of the log: added in place, then cut back.
    QTest::newRow("entry appended") << QStringLiteral("append");
}

void TstIniFileFaults::failedDataSyncRaisesAndKeepsFile()
{
    QFETCH(QString, step);
    if (faultLibraryPath().isEmpty())
        QFAIL("the fault library (tests/support/faults) was not built with the tests");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_DOSSIERS.LOG"));
    const QByteArray old("[EXEMPLE Anne 1975]\r\n03/02/2022=09:14:27\r\n");
    QVERIFY(writeFileBytes(path, old));
    const ChildResult result = runChild({step, path, QStringLiteral("MODELE Claire"),
                                         QStringLiteral("03/02/2022"), QStringLiteral("09:20:03")},
                                        faultEnvironment(QStringLiteral("fdatasync")));
    QVERIFY(result.finished);
    QVERIFY(result.standardError.contains("palvoric-faults: fdatasync failed"));
    QCOMPARE(QString::fromUtf8(result.standardOutput).trimmed(),
             QStringLiteral("Impossible d'écrire dans %1").arg(path));
    QCOMPARE(readFileBytes(path), old);
    // No temporary file left beside the log and the lock file.
    QCOMPARE(entriesOf(dir.path()),
             (QStringList{QStringLiteral(".palvoric.lock"), QStringLiteral("_DOSSIERS.LOG")}));
}

PALVORIC_TEST_MAIN_WITH_CHILD(TstIniFileFaults, childMain)

#include "tst_ini_file_faults.moc"
