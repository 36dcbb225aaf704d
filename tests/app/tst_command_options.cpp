// The command line's own requests: which arguments ask for the help or the version, and
// the program answering them on a terminal without any display.
#include "app/command_options.h"

#include <QProcess>
#include <QTest>

Q_DECLARE_METATYPE(CommandRequest)

class TestCommandOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void request_data();
    void request();
    void texts();
    void programWithoutDisplay_data();
    void programWithoutDisplay();
};

void TestCommandOptions::request_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandRequest>("expected");
    QTest::newRow("none") << QStringList() << CommandRequest::Window;
    QTest::newRow("a name") << QStringList{u"DUPONT"_qs} << CommandRequest::Window;
    QTest::newRow("help") << QStringList{u"--help"_qs} << CommandRequest::Help;
    QTest::newRow("version") << QStringList{u"--version"_qs} << CommandRequest::Version;
    QTest::newRow("help, then more")
        << QStringList{u"--help"_qs, u"DUPONT"_qs} << CommandRequest::Help;
    // Only as the first argument, and only these spellings: anything else is searched.
    QTest::newRow("after a name") << QStringList{u"DUPONT"_qs, u"--version"_qs}
                                  << CommandRequest::Window;
    QTest::newRow("other option") << QStringList{u"--aide"_qs} << CommandRequest::Window;
    QTest::newRow("capitals") << QStringList{u"--HELP"_qs} << CommandRequest::Window;
    QTest::newRow("with a blank") << QStringList{u"--version "_qs} << CommandRequest::Window;
}

void TestCommandOptions::request()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandRequest, expected);
    QCOMPARE(commandRequest(arguments), expected);
}

void TestCommandOptions::texts()
{
    QVERIFY(commandHelpText(u"/usr/bin/palvoric"_qs)
                .startsWith(u"Utilisation : palvoric [TEXTE...]\n"_qs));
    QVERIFY(commandHelpText(u"Palvoric"_qs).startsWith(u"Utilisation : Palvoric [TEXTE...]\n"_qs));
    const QString version = commandVersionText(u"22.2.3.0"_qs);
    QVERIFY(version.startsWith(u"Palvoric 22.2.3.0\n"_qs));
    QVERIFY(version.contains(u"GNU GPL version 3 ou ultérieure"_qs));
}

// The built program itself, as a terminal starts it where there is no display: it answers
// and ends at once, whatever platform Qt would have found.
void TestCommandOptions::programWithoutDisplay_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("alsoSays");
    QTest::newRow("help") << u"--help"_qs << u"Utilisation : Palvoric [TEXTE...]"_qs
                          << u"affiche la version et la licence"_qs;
    QTest::newRow("version") << u"--version"_qs << QStringLiteral("Palvoric " PALVORIC_VERSION)
                             << u"Licence GPLv3+"_qs;
}

void TestCommandOptions::programWithoutDisplay()
{
    QFETCH(QString, argument);
    QFETCH(QString, firstLine);
    QFETCH(QString, alsoSays);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(PALVORIC_PROGRAM), {argument});
    QVERIFY2(program.waitForFinished(30000), qPrintable(program.errorString()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString output = QString::fromUtf8(program.readAllStandardOutput());
    QCOMPARE(output.section(u'\n', 0, 0), firstLine);
    QVERIFY2(output.contains(alsoSays), qPrintable(output));
    QCOMPARE(program.readAllStandardError(), QByteArray());
}

QTEST_GUILESS_MAIN(TestCommandOptions)
#include "tst_command_options.moc"
