// Where the program keeps its files: beside a portable copy, in the user's folders for an
// installed one. The rule as a table of facts, then the facts as the system gives them,
// then the folders an installed copy makes at its first start.
#include "errors/system_error_text.h"
#include "platform/exe_identity.h"
#include "store/program_folders.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QTest>

#include <cerrno>

#include <sys/stat.h>

using namespace store;

Q_DECLARE_METATYPE(store::ProgramFolderFacts)

namespace {

ProgramFolderFacts factsOf(const QString &exePath, bool writable, bool settingsPresent,
                           bool inInstallFolder, const QString &configHome = QString(),
                           const QString &dataHome = QString(),
                           const QString &home = QStringLiteral("/home/marie"))
{
    ProgramFolderFacts facts;
    facts.exePath = exePath;
    facts.exeFolderWritable = writable;
    facts.settingsFilePresent = settingsPresent;
    facts.inInstallFolder = inInstallFolder;
    facts.packageDataFolder = QStringLiteral("/usr/share/palvoric");
    facts.home = home;
    facts.configHome = configHome;
    facts.dataHome = dataHome;
    return facts;
}

ProgramFolderFacts withDefaults(ProgramFolderFacts facts, const QString &defaultsFile,
                                const QString &sharedFolder = QString())
{
    facts.defaultsFile = defaultsFile;
    facts.sharedFolder = sharedFolder;
    return facts;
}

} // namespace

class TestProgramFolders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void rule_data();
    void rule();
    void writtenFolders_data();
    void writtenFolders();
    void practiceDefaults_data();
    void practiceDefaults();
    void defaultsFileCandidates_data();
    void defaultsFileCandidates();

    void factsOfThisCopy();
    void factsReadTheEnvironment();
    void factsFindThePracticeDefaults();
    void readOnlyFolderMakesAnInstalledCopy();
    void decisionFollowsTheExecutable();

    void installedFoldersAreCreatedPrivate();
    void portableCopyCreatesNothing();
    void folderThatCannotBeMadeIsNamed();
    void sharedFolderIsThePracticesToMake();
};

void TestProgramFolders::cleanup()
{
    platform::overrideExecutablePath(QString());
}

void TestProgramFolders::rule_data()
{
    QTest::addColumn<ProgramFolderFacts>("facts");
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("settingsFile");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<QString>("startFolder");
    QTest::addColumn<QString>("notesFolder");

    const QString shared = QStringLiteral("/srv/cabinet/");
    const QString sharedExe = shared + QStringLiteral("Palvoric");
    const QString sharedIni = shared + QStringLiteral("Palvoric.INI");
    const QString usrBin = QStringLiteral("/usr/bin/");
    const QString usrBinExe = usrBin + QStringLiteral("Palvoric");
    const QString configIni = QStringLiteral("/home/marie/.config/palvoric/Palvoric.INI");
    const QString data = QStringLiteral("/home/marie/.local/share/palvoric/");
    const QString home = QStringLiteral("/home/marie/");
    const QString notes = QStringLiteral("/usr/share/palvoric/");

    // Portable: everything beside the executable, as the practices' shared folders have it.
    QTest::newRow("writable folder, no settings yet")
        << factsOf(sharedExe, true, false, false) << true << sharedIni << shared << shared
        << shared;
    QTest::newRow("writable folder with its settings")
        << factsOf(sharedExe, true, true, false) << true << sharedIni << shared << shared << shared;
    QTest::newRow("unwritable folder that holds its settings")
        << factsOf(sharedExe, false, true, false) << true << sharedIni << shared << shared
        << shared;
    QTest::newRow("another name, another settings file")
        << factsOf(shared + QStringLiteral("Cabinet.bin"), true, false, false) << true
        << shared + QStringLiteral("Cabinet.INI") << shared << shared << shared;
    QTest::newRow("install folder that holds a settings file")
        << factsOf(usrBinExe, true, true, true) << true << usrBin + QStringLiteral("Palvoric.INI")
        << usrBin << usrBin << usrBin;

    // Installed: the user's folders, below home when the variables are unset.
    QTest::newRow("installed, variables unset")
        << factsOf(usrBinExe, false, false, true) << false << configIni << data << home << notes;
    QTest::newRow("unwritable folder elsewhere")
        << factsOf(QStringLiteral("/opt/palvoric/bin/Palvoric"), false, false, false) << false
        << configIni << data << home << notes;
    QTest::newRow("root in the install folder it may write")
        << factsOf(usrBinExe, true, false, true, {}, {}, QStringLiteral("/root")) << false
        << QStringLiteral("/root/.config/palvoric/Palvoric.INI")
        << QStringLiteral("/root/.local/share/palvoric/") << QStringLiteral("/root/") << notes;
    QTest::newRow("variables set")
        << factsOf(usrBinExe, false, false, true, QStringLiteral("/srv/conf"),
                   QStringLiteral("/srv/donnees"))
        << false << QStringLiteral("/srv/conf/palvoric/Palvoric.INI")
        << QStringLiteral("/srv/donnees/palvoric/") << home << notes;
    QTest::newRow("variables ending with slashes")
        << factsOf(usrBinExe, false, false, true, QStringLiteral("/srv/conf/"),
                   QStringLiteral("/srv/donnees//"))
        << false << QStringLiteral("/srv/conf/palvoric/Palvoric.INI")
        << QStringLiteral("/srv/donnees/palvoric/") << home << notes;
    QTest::newRow("relative variables count as unset")
        << factsOf(usrBinExe, false, false, true, QStringLiteral("conf"),
                   QStringLiteral("./donnees"))
        << false << configIni << data << home << notes;
    QTest::newRow("home ending with a slash")
        << factsOf(usrBinExe, false, false, true, {}, {}, QStringLiteral("/home/marie/")) << false
        << configIni << data << home << notes;
    QTest::newRow("home at the root")
        << factsOf(usrBinExe, false, false, true, {}, {}, QStringLiteral("/")) << false
        << QStringLiteral("/.config/palvoric/Palvoric.INI")
        << QStringLiteral("/.local/share/palvoric/") << QStringLiteral("/") << notes;
}

void TestProgramFolders::rule()
{
    QFETCH(ProgramFolderFacts, facts);
    QFETCH(bool, portable);
    QFETCH(QString, settingsFile);
    QFETCH(QString, dataFolder);
    QFETCH(QString, startFolder);
    QFETCH(QString, notesFolder);

    const ProgramFolders folders = programFoldersFor(facts);
    QCOMPARE(folders.portable, portable);
    QCOMPARE(folders.settingsFile, settingsFile);
    QCOMPARE(folders.dataFolder, dataFolder);
    QCOMPARE(folders.defaultStartFolder, startFolder);
    QCOMPARE(folders.revisionNotesFolder, notesFolder);
}

void TestProgramFolders::writtenFolders_data()
{
    QTest::addColumn<ProgramFolderFacts>("facts");
    QTest::addColumn<QStringList>("folders");

    const QString usrBinExe = QStringLiteral("/usr/bin/Palvoric");
    QTest::newRow("portable: the executable's folder")
        << factsOf(QStringLiteral("/srv/cabinet/Palvoric"), true, false, false)
        << QStringList{QStringLiteral("/srv/cabinet/")};
    QTest::newRow("installed: settings, then data")
        << factsOf(usrBinExe, false, false, true)
        << QStringList{QStringLiteral("/home/marie/.config/palvoric/"),
                       QStringLiteral("/home/marie/.local/share/palvoric/")};
    QTest::newRow("installed, one folder for both")
        << factsOf(usrBinExe, false, false, true, QStringLiteral("/srv/tout"),
                   QStringLiteral("/srv/tout/"))
        << QStringList{QStringLiteral("/srv/tout/palvoric/")};
}

void TestProgramFolders::writtenFolders()
{
    QFETCH(ProgramFolderFacts, facts);
    QFETCH(QStringList, folders);
    QCOMPARE(programFoldersFor(facts).writtenFolders(), folders);
}

// The practice's defaults serve installed copies only; the program folder they name
// takes the history, the logs, the lock and the move records, never the settings.
void TestProgramFolders::practiceDefaults_data()
{
    QTest::addColumn<ProgramFolderFacts>("facts");
    QTest::addColumn<QString>("defaultsFile");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<bool>("shared");

    const QString usrBinExe = QStringLiteral("/usr/bin/Palvoric");
    const QString defaults = QStringLiteral("/etc/xdg/palvoric/Palvoric.INI");
    const QString ownData = QStringLiteral("/home/marie/.local/share/palvoric/");
    const ProgramFolderFacts installed = factsOf(usrBinExe, false, false, true);
    QTest::newRow("installed, no defaults") << installed << QString() << ownData << false;
    QTest::newRow("installed, defaults without a program folder")
        << withDefaults(installed, defaults) << defaults << ownData << false;
    QTest::newRow("installed, a program folder")
        << withDefaults(installed, defaults, u"/srv/palvoric"_qs) << defaults
        << u"/srv/palvoric/"_qs << true;
    QTest::newRow("installed, a program folder written loosely")
        << withDefaults(installed, defaults, u"/srv//cabinet/../palvoric/"_qs) << defaults
        << u"/srv/palvoric/"_qs << true;
    QTest::newRow("installed, a relative program folder is none")
        << withDefaults(installed, defaults, u"srv/palvoric"_qs) << defaults << ownData << false;
    QTest::newRow("portable: the folder beside it, defaults or not")
        << withDefaults(factsOf(u"/srv/cabinet/Palvoric"_qs, true, false, false), defaults,
                        u"/srv/palvoric"_qs)
        << QString() << u"/srv/cabinet/"_qs << false;
}

void TestProgramFolders::practiceDefaults()
{
    QFETCH(ProgramFolderFacts, facts);
    QFETCH(QString, defaultsFile);
    QFETCH(QString, dataFolder);
    QFETCH(bool, shared);
    const ProgramFolders folders = programFoldersFor(facts);
    QCOMPARE(folders.defaultsFile, defaultsFile);
    QCOMPARE(folders.dataFolder, dataFolder);
    QCOMPARE(folders.sharedDataFolder, shared);
    // The settings stay the user's own, or the portable copy's.
    QCOMPARE(folders.settingsFile, programFoldersFor(withDefaults(facts, QString())).settingsFile);
    QCOMPARE(folders.writtenFolders().last(), dataFolder);
}

void TestProgramFolders::defaultsFileCandidates_data()
{
    QTest::addColumn<QString>("configDirs");
    QTest::addColumn<QStringList>("candidates");
    const QString etc = QStringLiteral("/etc/xdg/palvoric/Palvoric.INI");
    QTest::newRow("unset") << QString() << QStringList{etc};
    QTest::newRow("one folder") << u"/opt/cabinet/etc"_qs
                                << QStringList{u"/opt/cabinet/etc/palvoric/Palvoric.INI"_qs};
    QTest::newRow("in order, slashes and empty entries taken out")
        << u"/etc/xdg/xdg-ubuntu::/etc/xdg/"_qs
        << QStringList{u"/etc/xdg/xdg-ubuntu/palvoric/Palvoric.INI"_qs, etc};
    QTest::newRow("relative folders are left out")
        << u"etc:./xdg:/srv/conf"_qs << QStringList{u"/srv/conf/palvoric/Palvoric.INI"_qs};
    QTest::newRow("nothing absolute: the default") << u"etc:xdg"_qs << QStringList{etc};
}

void TestProgramFolders::defaultsFileCandidates()
{
    QFETCH(QString, configDirs);
    QFETCH(QStringList, candidates);
    QCOMPARE(store::defaultsFileCandidates(configDirs, QStringLiteral("Palvoric.INI")), candidates);
}

void TestProgramFolders::factsOfThisCopy()
{
    TestDir dir;
    dir.createDir(QStringLiteral("bin"));
    const QString exe = dir.filePath(QStringLiteral("bin/Palvoric"));
    platform::overrideExecutablePath(exe);

    ProgramFolderFacts facts = currentProgramFolderFacts();
    QCOMPARE(facts.exePath, exe);
    QVERIFY(facts.exeFolderWritable);
    QVERIFY(!facts.settingsFilePresent);
    QVERIFY(!facts.inInstallFolder);
    // The installed files lie beside bin/, as the install rules put them.
    QCOMPARE(facts.packageDataFolder, dir.filePath(QStringLiteral("share/palvoric")));

    // A folder of the settings file's name is no settings file.
    dir.createDir(QStringLiteral("bin/Palvoric.INI"));
    QVERIFY(!currentProgramFolderFacts().settingsFilePresent);
    QVERIFY(QDir(dir.filePath(QStringLiteral("bin"))).rmdir(QStringLiteral("Palvoric.INI")));
    dir.createFile(QStringLiteral("bin/Palvoric.INI"));
    QVERIFY(currentProgramFolderFacts().settingsFilePresent);

    // The folder the install rules use, however it is written.
    platform::overrideExecutablePath(QStringLiteral(PALVORIC_INSTALL_BINDIR "/Palvoric"));
    QVERIFY(currentProgramFolderFacts().inInstallFolder);
    platform::overrideExecutablePath(QStringLiteral(PALVORIC_INSTALL_BINDIR "/../bin/Palvoric"));
    QVERIFY(currentProgramFolderFacts().inInstallFolder);
}

void TestProgramFolders::factsReadTheEnvironment()
{
    const EnvironmentScope home("HOME", "/home/marie");
    const EnvironmentScope config("XDG_CONFIG_HOME", "/srv/conf");
    const EnvironmentScope data("XDG_DATA_HOME", QByteArray());
    const ProgramFolderFacts facts = currentProgramFolderFacts();
    QCOMPARE(facts.home, QStringLiteral("/home/marie"));
    QCOMPARE(facts.configHome, QStringLiteral("/srv/conf"));
    QCOMPARE(facts.dataHome, QString());
}

void TestProgramFolders::factsFindThePracticeDefaults()
{
    TestDir dir;
    dir.createDirs({u"first/palvoric"_qs, u"second/palvoric"_qs});
    platform::overrideExecutablePath(QStringLiteral("/usr/bin/Palvoric"));
    const QString first = dir.filePath(QStringLiteral("first/palvoric/Palvoric.INI"));
    const QString second = dir.filePath(QStringLiteral("second/palvoric/Palvoric.INI"));
    const EnvironmentScope configDirs(
        "XDG_CONFIG_DIRS",
        QFile::encodeName(dir.filePath(u"first"_qs) + u':' + dir.filePath(u"second"_qs)));

    QCOMPARE(currentProgramFolderFacts().defaultsFile, QString());

    dir.createFile(QStringLiteral("second/palvoric/Palvoric.INI"),
                   "[PARTAGE]\r\nDOSSIER=/srv/palvoric\r\n");
    ProgramFolderFacts facts = currentProgramFolderFacts();
    QCOMPARE(facts.defaultsFile, second);
    QCOMPARE(facts.sharedFolder, QStringLiteral("/srv/palvoric"));

    // The first folder that holds one wins, whatever the others say.
    dir.createFile(QStringLiteral("first/palvoric/Palvoric.INI"), "[DOSSIER]\r\nDATA=/srv\r\n");
    facts = currentProgramFolderFacts();
    QCOMPARE(facts.defaultsFile, first);
    QCOMPARE(facts.sharedFolder, QString());

    // Named after the executable, as the user's own settings are.
    platform::overrideExecutablePath(QStringLiteral("/usr/bin/Cabinet"));
    QCOMPARE(currentProgramFolderFacts().defaultsFile, QString());
}

void TestProgramFolders::readOnlyFolderMakesAnInstalledCopy()
{
    // A folder nobody may write, root included: a file system mounted read-only.
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QVERIFY(QDir(disk.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(disk.remountReadOnly());
    TestDir home;
    const EnvironmentScope homeVariable("HOME", QFile::encodeName(home.path()));
    const EnvironmentScope config("XDG_CONFIG_HOME", QByteArray());
    const EnvironmentScope data("XDG_DATA_HOME", QByteArray());
    platform::overrideExecutablePath(disk.path() + QStringLiteral("/bin/Palvoric"));

    const ProgramFolders folders = programFolders();
    QVERIFY(!folders.portable);
    QCOMPARE(folders.settingsFile, home.filePath(QStringLiteral(".config/palvoric/Palvoric.INI")));
    QCOMPARE(folders.dataFolder, home.filePath(QStringLiteral(".local/share/palvoric/")));
    QCOMPARE(folders.defaultStartFolder, home.path() + u'/');
    QCOMPARE(folders.revisionNotesFolder, disk.path() + QStringLiteral("/share/palvoric/"));
}

void TestProgramFolders::decisionFollowsTheExecutable()
{
    TestDir dir;
    dir.createDirs({QStringLiteral("a"), QStringLiteral("b")});
    platform::overrideExecutablePath(dir.filePath(QStringLiteral("a/Palvoric")));
    QCOMPARE(programFolders().dataFolder, dir.filePath(QStringLiteral("a/")));
    // Kept while the program runs: a folder that goes away does not move the files.
    QVERIFY(QDir(dir.filePath(QStringLiteral("a"))).removeRecursively());
    QCOMPARE(programFolders().dataFolder, dir.filePath(QStringLiteral("a/")));
    // Decided again for another executable.
    platform::overrideExecutablePath(dir.filePath(QStringLiteral("b/Palvoric")));
    QCOMPARE(programFolders().settingsFile, dir.filePath(QStringLiteral("b/Palvoric.INI")));
}

void TestProgramFolders::installedFoldersAreCreatedPrivate()
{
    TestDir dir;
    dir.createDir(QStringLiteral("home"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("home"))).constData(), 0755) ==
            0);
    const ProgramFolders folders =
        programFoldersFor(factsOf(QStringLiteral("/usr/bin/Palvoric"), false, false, true, {}, {},
                                  dir.filePath(QStringLiteral("home"))));

    createProgramFolders(folders);
    for (const char *created : {"home/.config", "home/.config/palvoric", "home/.local",
                                "home/.local/share", "home/.local/share/palvoric"}) {
        QCOMPARE(dir.permissions(QString::fromLatin1(created)), 0700);
    }
    // What was there keeps its rights; a second start finds everything made.
    QCOMPARE(dir.permissions(QStringLiteral("home")), 0755);
    dir.createFile(QStringLiteral("home/.config/palvoric/Palvoric.INI"), "[DOSSIER]\r\n");
    createProgramFolders(folders);
    QCOMPARE(readFileBytes(folders.settingsFile), QByteArray("[DOSSIER]\r\n"));
}

void TestProgramFolders::portableCopyCreatesNothing()
{
    TestDir dir;
    const ProgramFolders folders =
        programFoldersFor(factsOf(dir.filePath(QStringLiteral("absent/Palvoric")), false, true,
                                  false, {}, {}, dir.filePath(QStringLiteral("home"))));
    QVERIFY(folders.portable);
    createProgramFolders(folders);
    QCOMPARE(entriesOf(dir.path()), QStringList());
}

void TestProgramFolders::folderThatCannotBeMadeIsNamed()
{
    TestDir dir;
    // A file where the data folder's parent should be.
    dir.createFile(QStringLiteral("home/.local"), "not a folder");
    const ProgramFolders folders =
        programFoldersFor(factsOf(QStringLiteral("/usr/bin/Palvoric"), false, false, true, {}, {},
                                  dir.filePath(QStringLiteral("home"))));
    QCOMPARE(userErrorOf([&] { createProgramFolders(folders); }),
             QStringLiteral("Impossible de créer le dossier \"%1\". %2")
                 .arg(folders.dataFolder, errors::systemErrorText(ENOTDIR)));
    // The settings folder, made first, is there.
    QCOMPARE(dir.permissions(QStringLiteral("home/.config/palvoric")), 0700);
}

void TestProgramFolders::sharedFolderIsThePracticesToMake()
{
    TestDir dir;
    dir.createDir(QStringLiteral("home"));
    const QString defaults = QStringLiteral("/etc/xdg/palvoric/Palvoric.INI");
    const ProgramFolders folders =
        programFoldersFor(withDefaults(factsOf(QStringLiteral("/usr/bin/Palvoric"), false, false,
                                               true, {}, {}, dir.filePath(QStringLiteral("home"))),
                                       defaults, dir.filePath(QStringLiteral("srv/palvoric"))));

    // Missing: named, with the file that names it; the user's own folder is made.
    QCOMPARE(userErrorOf([&] { createProgramFolders(folders); }),
             QStringLiteral("Impossible d'ouvrir le dossier partagé \"%1\" nommé dans %2. %3")
                 .arg(folders.dataFolder, defaults, errors::systemErrorText(ENOENT)));
    QVERIFY(!entryExists(dir.filePath(QStringLiteral("srv"))));
    QCOMPARE(dir.permissions(QStringLiteral("home/.config/palvoric")), 0700);
    QVERIFY(!entryExists(dir.filePath(QStringLiteral("home/.local"))));

    // A file in its place is no folder.
    dir.createFile(QStringLiteral("srv/palvoric"), "");
    QCOMPARE(userErrorOf([&] { createProgramFolders(folders); }),
             QStringLiteral("Impossible d'ouvrir le dossier partagé \"%1\" nommé dans %2. %3")
                 .arg(folders.dataFolder, defaults, errors::systemErrorText(ENOTDIR)));

    // There: used as the practice made it, its rights untouched.
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("srv/palvoric"))));
    dir.createDir(QStringLiteral("srv/palvoric"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("srv/palvoric"))).constData(),
                    02775) == 0);
    createProgramFolders(folders);
    QCOMPARE(dir.permissions(QStringLiteral("srv/palvoric")), 02775);
    QVERIFY(!entryExists(dir.filePath(QStringLiteral("home/.local"))));
}

QTEST_GUILESS_MAIN(TestProgramFolders)
#include "tst_program_folders.moc"
