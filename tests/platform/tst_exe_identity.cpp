#include "platform/command_line.h"
#include "platform/exe_identity.h"
#include "platform/locale_texts.h"

#include <QTest>

class TestExeIdentity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void paths_data();
    void paths();
    void overrideAndRestore();
    void commandLine_data();
    void commandLine();
    void dateTexts_data();
    void dateTexts();
};

void TestExeIdentity::paths_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("programTitle");

    QTest::newRow("plain") << "/opt/Palvoric/Palvoric"
                           << "/opt/Palvoric/"
                           << "Palvoric"
                           << "/opt/Palvoric/Palvoric.INI"
                           << "Palvoric";
    // The folder keeps its letter case: the file system is case-sensitive.
    QTest::newRow("folder case kept") << "/Home/Cabinet/PALVORIC.EXE"
                                      << "/Home/Cabinet/"
                                      << "PALVORIC"
                                      << "/Home/Cabinet/PALVORIC.INI"
                                      << "Palvoric";
    QTest::newRow("two dots") << "/x/palvoric.old.exe"
                              << "/x/"
                              << "palvoric.old"
                              << "/x/palvoric.old.INI"
                              << "palvoric";
    QTest::newRow("dot in folder only") << "/a.b/Palvoric"
                                        << "/a.b/"
                                        << "Palvoric"
                                        << "/a.b/Palvoric.INI"
                                        << "Palvoric";
    QTest::newRow("accented name") << "/x/élan.bin"
                                   << "/x/"
                                   << "élan"
                                   << "/x/élan.INI"
                                   << "élan";
    QTest::newRow("empty") << ""
                           << "/"
                           << ""
                           << ""
                           << "";
}

void TestExeIdentity::paths()
{
    QFETCH(QString, exe);
    QFETCH(QString, folder);
    QFETCH(QString, baseName);
    QFETCH(QString, settings);
    QFETCH(QString, programTitle);
    QCOMPARE(platform::exeFolderFromPath(exe), folder);
    QCOMPARE(platform::exeBaseNameFromPath(exe), baseName);
    QCOMPARE(platform::replaceExtension(exe, QStringLiteral(".INI")), settings);
    QCOMPARE(platform::programTitleFromPath(exe), programTitle);
}

void TestExeIdentity::overrideAndRestore()
{
    const QString real = platform::executablePath();
    QVERIFY(real.endsWith(QStringLiteral("/tst_exe_identity")));
    platform::overrideExecutablePath(QStringLiteral("/tmp/cabinet/Palvoric"));
    QCOMPARE(platform::exeFolder(), QStringLiteral("/tmp/cabinet/"));
    QCOMPARE(platform::exeBaseName(), QStringLiteral("Palvoric"));
    platform::overrideExecutablePath(QString());
    QCOMPARE(platform::executablePath(), real);
}

void TestExeIdentity::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QStringList() << "";
    QTest::newRow("two words") << QStringList{u"DUPONT"_qs, u"Jean"_qs} << "DUPONT Jean";
    QTest::newRow("quoted blanks stay") << QStringList{u"DUPONT  Jean"_qs} << "DUPONT  Jean";
    QTest::newRow("leading blank trimmed") << QStringList{u" DUPONT"_qs} << "DUPONT";
    QTest::newRow("one character") << QStringList{u"D"_qs} << "D";
    QTest::newRow("empty argument adds nothing") << QStringList{u""_qs, u"DU"_qs, u""_qs} << "DU";
    QTest::newRow("control characters trimmed") << QStringList{u"\tDU\n"_qs} << "DU";
}

void TestExeIdentity::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, text);
    QCOMPARE(platform::commandLineText(arguments), text);
}

void TestExeIdentity::dateTexts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("France") << "fr_FR"
                            << "03/02/2022";
    QTest::newRow("Germany") << "de_DE"
                             << "03.02.2022";
    QTest::newRow("Netherlands") << "nl_NL"
                                 << "03-02-2022";
}

void TestExeIdentity::dateTexts()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QDate date(2022, 2, 3);
    QCOMPARE(platform::formatDatePattern(date, QStringLiteral("dd/mm/yyyy"), QLocale(locale)),
             text);
}

QTEST_GUILESS_MAIN(TestExeIdentity)
#include "tst_exe_identity.moc"
