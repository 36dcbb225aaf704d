#include "errors/user_error.h"
#include "store/form_geometry.h"
#include "store/ini_file.h"
#include "store/window_settings.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace store;

namespace {

QList<bool> asList(const WindowOptions &options)
{
    return {options.beginsWith, options.stayOnTop, options.showStartFolder, options.tidyLogs,
            options.ignoreAccents};
}

const QRect kWorkArea(0, 0, 1920, 1040);

} // namespace

class TstWindowSettings : public QObject
{
    Q_OBJECT

private slots:
    void geometryBounds_data();
    void geometryBounds();
    void geometryErrorKeepsAppliedPieces_data();
    void geometryErrorKeepsAppliedPieces();
    void geometryRoundTrip();
    void loadOptions_data();
    void loadOptions();
    void sampleFileByteForByte();
    void firstStartGivesDefaults();
    void loadStopsAtBadGeometry();
    void startFolderEmptyValueIsNotDefault();
    void practiceDefaultsUnderUserSettings_data();
    void practiceDefaultsUnderUserSettings();
    void saveStopsAtFirstFailure();
};

void TstWindowSettings::geometryBounds_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QRect>("before");
    QTest::addColumn<QRect>("after");

    QTest::newRow("left past the work area")
        << "5000:100:400:300" << QRect(10, 10, 354, 399) << QRect(1566, 100, 400, 300);
    QTest::newRow("bigger than the work area")
        << "-8:-20:3000:2000" << QRect(10, 10, 354, 399) << QRect(-8, 0, 1920, 1040);
    QTest::newRow("left equal to the work-area width stays")
        << "1920:5:354:399" << QRect(0, 0, 100, 100) << QRect(1920, 5, 354, 399);
    QTest::newRow("top below the work area stays")
        << "10:5000:354:399" << QRect(0, 0, 1, 1) << QRect(10, 5000, 354, 399);
    QTest::newRow("sample") << "412:187:354:399" << QRect(0, 0, 1, 1) << QRect(412, 187, 354, 399);
    QTest::newRow("hex and spaces")
        << " $10: +2:0x20:x30" << QRect(0, 0, 1, 1) << QRect(16, 2, 32, 48);
    QTest::newRow("fewer pieces keep the current values")
        << "100:50" << QRect(7, 8, 354, 399) << QRect(100, 50, 354, 399);
    QTest::newRow("extra pieces ignored")
        << "1:2:3:4:junk" << QRect(0, 0, 1, 1) << QRect(1, 2, 3, 4);
    QTest::newRow("no piece: current geometry, bounds applied")
        << "" << QRect(3000, -5, 2500, 50) << QRect(-580, 0, 1920, 50);
    QTest::newRow("extreme values cannot overflow")
        << "-2147483648:2147483647:2147483647:-2147483648" << QRect(0, 0, 10, 10)
        << QRect(-(1 << 28), 1 << 28, 1920, -(1 << 28));
}

void TstWindowSettings::geometryBounds()
{
    QFETCH(QString, stored);
    QFETCH(QRect, before);
    QFETCH(QRect, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    iniWriteString(QStringLiteral("Palvoric"), QStringLiteral("Form1"), stored, path);
    QRect geometry = before;
    loadWindowGeometry(QStringLiteral("Palvoric"), QStringLiteral("Form1"), geometry, kWorkArea,
                       path);
    QCOMPARE(geometry, after);
}

void TstWindowSettings::geometryErrorKeepsAppliedPieces_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QRect>("after");
    QTest::newRow("bad first") << "abc:1:2:3"
                               << "''abc'' n'est pas une valeur entière valide"
                               << QRect(10, 20, 354, 399);
    QTest::newRow("empty third") << "100:200::3"
                                 << "'''' n'est pas une valeur entière valide"
                                 << QRect(100, 200, 354, 399);
    QTest::newRow("bad last") << "100:200:300:4x"
                              << "''4x'' n'est pas une valeur entière valide"
                              << QRect(100, 200, 300, 399);
}

void TstWindowSettings::geometryErrorKeepsAppliedPieces()
{
    QFETCH(QString, stored);
    QFETCH(QString, error);
    QFETCH(QRect, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    iniWriteString(QStringLiteral("Palvoric"), QStringLiteral("Form1"), stored, path);
    QRect geometry(10, 20, 354, 399);
    QCOMPARE(userErrorOf([&] {
                 loadWindowGeometry(QStringLiteral("Palvoric"), QStringLiteral("Form1"), geometry,
                                    kWorkArea, path);
             }),
             error);
    QCOMPARE(geometry, after);
}

void TstWindowSettings::geometryRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    saveWindowGeometry(QStringLiteral("Palvoric"), QStringLiteral("Form1"), QRect(-8, 12, 354, 399),
                       path);
    QCOMPARE(readFileBytes(path), QByteArray("[Palvoric]\r\nForm1=-8:12:354:399\r\n"));
    QRect geometry(0, 0, 100, 100);
    loadWindowGeometry(QStringLiteral("Palvoric"), QStringLiteral("Form1"), geometry, kWorkArea,
                       path);
    QCOMPARE(geometry, QRect(-8, 12, 354, 399));
}

void TstWindowSettings::loadOptions_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<bool>>("states");
    const QByteArray header("[CASES_A_COCHER]\r\n");
    QTest::newRow("no file: first-start values")
        << QByteArray() << QList<bool>{true, false, true, true, false};
    QTest::newRow("all stored")
        << header +
               "chk_DEBUT=0\r\nchk_StayOnTop=1\r\nchk_DOSSIER=0\r\nchk_LOG=0\r\nchk_ACCENTS=1\r\n"
        << QList<bool>{false, true, false, false, true};
    QTest::newRow("a file from before the accents option: unchecked")
        << header + "chk_DEBUT=0\r\nchk_StayOnTop=1\r\nchk_DOSSIER=0\r\nchk_LOG=0\r\n"
        << QList<bool>{false, true, false, false, false};
    QTest::newRow("any integer but 0 is checked, anything else keeps the value")
        << header + "chk_DEBUT=2\r\nchk_StayOnTop=-1\r\nchk_DOSSIER=0x0\r\nchk_LOG=oui\r\n"
                    "chk_ACCENTS=$1\r\n"
        << QList<bool>{true, true, false, true, true};
    QTest::newRow("empty value keeps the value, keys in any case")
        << header + "chk_LOG=\r\nchk_dossier=0\r\nchk_accents=1\r\n"
        << QList<bool>{true, false, false, true, true};
}

void TstWindowSettings::loadOptions()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<bool>, states);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    if (!file.isEmpty())
        QVERIFY(writeFileBytes(path, file));
    WindowSettings settings;
    loadWindowSettings(settings, QStringLiteral("Palvoric"), kWorkArea, QStringLiteral("/opt/"),
                       path);
    QCOMPARE(asList(settings.options), states);
}

void TstWindowSettings::sampleFileByteForByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    WindowSettings settings;
    settings.geometry = QRect(412, 187, 354, 399);
    settings.startFolder = QStringLiteral("D:\\Patients");
    saveWindowSettings(settings, QStringLiteral("Palvoric"), path);
    const QByteArray sample("[Palvoric]\r\n"
                            "Form1=412:187:354:399\r\n"
                            "[CASES_A_COCHER]\r\n"
                            "chk_DEBUT=1\r\n"
                            "chk_StayOnTop=0\r\n"
                            "chk_DOSSIER=1\r\n"
                            "chk_LOG=1\r\n"
                            "chk_ACCENTS=0\r\n"
                            "[DOSSIER]\r\n"
                            "DATA=D:\\Patients\r\n"
                            "[AFFICHER]\r\n"
                            "DOSSIER=1\r\n");
    QCOMPARE(readFileBytes(path), sample);

    // Saved again with changes: the same layout, the values replaced in place.
    settings.options.beginsWith = false;
    settings.options.showStartFolder = false;
    settings.options.ignoreAccents = true;
    settings.startFolder = QStringLiteral("/home/cabinet/Patients");
    saveWindowSettings(settings, QStringLiteral("Palvoric"), path);
    QByteArray changed = sample;
    changed.replace("chk_DEBUT=1", "chk_DEBUT=0");
    changed.replace("chk_DOSSIER=1", "chk_DOSSIER=0");
    changed.replace("chk_ACCENTS=0", "chk_ACCENTS=1");
    changed.replace("D:\\Patients", "/home/cabinet/Patients");
    changed.replace("[AFFICHER]\r\nDOSSIER=1", "[AFFICHER]\r\nDOSSIER=0");
    QCOMPARE(readFileBytes(path), changed);

    // And it all comes back.
    WindowSettings loaded;
    loaded.geometry = QRect(0, 0, 100, 100);
    loadWindowSettings(loaded, QStringLiteral("Palvoric"), kWorkArea,
                       QStringLiteral("/opt/palvoric/"), path);
    QCOMPARE(loaded.geometry, settings.geometry);
    QCOMPARE(loaded.startFolder, settings.startFolder);
    QCOMPARE(asList(loaded.options), asList(settings.options));
}

void TstWindowSettings::firstStartGivesDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    WindowSettings settings;
    settings.geometry = QRect(2500, -10, 354, 399);
    loadWindowSettings(settings, QStringLiteral("Palvoric"), kWorkArea,
                       QStringLiteral("/opt/palvoric/"), path);
    QCOMPARE(settings.geometry, QRect(1920 - 354, 0, 354, 399));
    QCOMPARE(settings.startFolder, QStringLiteral("/opt/palvoric/"));
    QCOMPARE(asList(settings.options), asList(WindowOptions()));
    QVERIFY(!entryExists(path)); // reads create nothing
}

void TstWindowSettings::loadStopsAtBadGeometry()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(writeFileBytes(path,
                           "[Palvoric]\r\nForm1=300:oops:1:1\r\n[CASES_A_COCHER]\r\nchk_LOG=0\r\n"
                           "[DOSSIER]\r\nDATA=/data\r\n"));
    WindowSettings settings;
    settings.geometry = QRect(0, 0, 354, 399);
    settings.startFolder = QStringLiteral("c:\\");
    QCOMPARE(userErrorOf([&] {
                 loadWindowSettings(settings, QStringLiteral("Palvoric"), kWorkArea,
                                    QStringLiteral("/opt/"), path);
             }),
             QStringLiteral("''oops'' n'est pas une valeur entière valide"));
    QCOMPARE(settings.geometry, QRect(300, 0, 354, 399));
    QCOMPARE(settings.options.tidyLogs, true); // not loaded
    QCOMPARE(settings.startFolder, QStringLiteral("c:\\"));
}

void TstWindowSettings::startFolderEmptyValueIsNotDefault()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(writeFileBytes(path, "[DOSSIER]\r\nDATA=\r\n[AFFICHER]\r\nDOSSIER=0\r\n"));
    WindowSettings settings;
    loadWindowSettings(settings, QStringLiteral("Palvoric"), kWorkArea, QStringLiteral("/opt/"),
                       path);
    QCOMPARE(settings.startFolder, QString());
    QCOMPARE(settings.options.showStartFolder, true); // "AFFICHER" is not read
}

// The practice's defaults give a user his start folder and options until he saves his
// own; his own settings win key by key; the geometry is never the practice's.
void TstWindowSettings::practiceDefaultsUnderUserSettings_data()
{
    QTest::addColumn<QByteArray>("defaults"); // empty: no defaults file
    QTest::addColumn<QByteArray>("user");     // empty: no settings file yet
    QTest::addColumn<QString>("startFolder");
    QTest::addColumn<QList<bool>>("states");
    QTest::addColumn<QRect>("geometry");

    const QList<bool> firstStart{true, false, true, true, false};
    const QRect before(10, 10, 354, 399);
    const QByteArray practice("[Palvoric]\r\nForm1=1:2:300:300\r\n"
                              "[CASES_A_COCHER]\r\nchk_DEBUT=0\r\nchk_ACCENTS=1\r\n"
                              "[DOSSIER]\r\nDATA=/srv/patients\r\n"
                              "[PARTAGE]\r\nDOSSIER=/srv/palvoric\r\n");
    QTest::newRow("no defaults, first start")
        << QByteArray() << QByteArray() << u"/home/marie/"_qs << firstStart << before;
    QTest::newRow("defaults, first start") << practice << QByteArray() << u"/srv/patients"_qs
                                           << QList<bool>{false, false, true, true, true} << before;
    QTest::newRow("defaults without a start folder")
        << QByteArray("[CASES_A_COCHER]\r\nchk_LOG=0\r\n") << QByteArray() << u"/home/marie/"_qs
        << QList<bool>{true, false, true, false, false} << before;
    QTest::newRow("defaults, the user's own saved")
        << practice
        << QByteArray("[Palvoric]\r\nForm1=20:30:354:399\r\n[CASES_A_COCHER]\r\n"
                      "chk_DEBUT=1\r\nchk_StayOnTop=0\r\nchk_DOSSIER=1\r\nchk_LOG=1\r\n"
                      "chk_ACCENTS=0\r\n[DOSSIER]\r\nDATA=/home/marie/Patients\r\n")
        << u"/home/marie/Patients"_qs << firstStart << QRect(20, 30, 354, 399);
    QTest::newRow("defaults, the user's own from an older copy")
        << practice << QByteArray("[CASES_A_COCHER]\r\nchk_DEBUT=1\r\n") << u"/srv/patients"_qs
        << QList<bool>{true, false, true, true, true} << before;
    QTest::newRow("defaults naming an empty start folder")
        << QByteArray("[DOSSIER]\r\nDATA=\r\n") << QByteArray() << QString() << firstStart
        << before;
    QTest::newRow("defaults that are no settings")
        << QByteArray("\x89PNG\r\n\x1a\n") << QByteArray() << u"/home/marie/"_qs << firstStart
        << before;
}

void TstWindowSettings::practiceDefaultsUnderUserSettings()
{
    QFETCH(QByteArray, defaults);
    QFETCH(QByteArray, user);
    QFETCH(QString, startFolder);
    QFETCH(QList<bool>, states);
    QFETCH(QRect, geometry);
    QTemporaryDir dir;
    const QString defaultsPath = dir.filePath(QStringLiteral("etc/Palvoric.INI"));
    const QString userPath = dir.filePath(QStringLiteral("Palvoric.INI"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("etc")));
    if (!defaults.isEmpty())
        QVERIFY(writeFileBytes(defaultsPath, defaults));
    if (!user.isEmpty())
        QVERIFY(writeFileBytes(userPath, user));
    const QByteArray defaultsBefore = readFileBytes(defaultsPath);

    WindowSettings settings;
    settings.geometry = QRect(10, 10, 354, 399);
    loadWindowDefaults(settings, QStringLiteral("/home/marie/"),
                       defaults.isEmpty() ? QString() : defaultsPath);
    const QString defaultStartFolder = settings.startFolder;
    loadWindowSettings(settings, QStringLiteral("Palvoric"), kWorkArea, defaultStartFolder,
                       userPath);
    QCOMPARE(settings.startFolder, startFolder);
    QCOMPARE(asList(settings.options), states);
    QCOMPARE(settings.geometry, geometry);
    // Reading writes nothing, the practice's file least of all.
    QCOMPARE(readFileBytes(defaultsPath), defaultsBefore);
    QCOMPARE(entryExists(userPath), !user.isEmpty());
}

void TstWindowSettings::saveStopsAtFirstFailure()
{
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString path = disk.path() + QStringLiteral("/Palvoric.INI");
    const QByteArray old("[Palvoric]\r\nForm1=1:2:3:4\r\n");
    QVERIFY(writeFileBytes(path, old));
    QVERIFY(disk.remountReadOnly());
    WindowSettings settings;
    settings.geometry = QRect(5, 6, 7, 8);
    QCOMPARE(userErrorOf([&] { saveWindowSettings(settings, QStringLiteral("Palvoric"), path); }),
             QStringLiteral("Impossible d'écrire dans %1").arg(path));
    QCOMPARE(readFileBytes(path), old);
}

QTEST_GUILESS_MAIN(TstWindowSettings)

#include "tst_window_settings.moc"
