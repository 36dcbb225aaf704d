// Opening a folder or a file through xdg-open, observed with a fake xdg-open first on
// PATH that records the arguments it was given, byte for byte.
#include "platform/desktop_launch.h"
#include "platform/native_names.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_helpers.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes each argument to its own file, then the count, then "done".
const QByteArray kRecordingScript = "#!/bin/sh\n"
                                    "i=0\n"
                                    "for a in \"$@\"; do\n"
                                    "    i=$((i + 1))\n"
                                    "    printf '%s' \"$a\" > \"$PALVORIC_XDG_RECORD/arg$i\"\n"
                                    "done\n"
                                    "printf '%s' \"$#\" > \"$PALVORIC_XDG_RECORD/count\"\n"
                                    ": > \"$PALVORIC_XDG_RECORD/done\"\n";

} // namespace

class TestDesktopLaunch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pathIsOneArgument_data();
    void pathIsOneArgument();
    void relativePathMadeAbsolute();
    void noXdgOpen();
    void xdgOpenThatCannotStart_data();
    void xdgOpenThatCannotStart();

private:
    void installXdgOpen(const QByteArray &script, unsigned mode);
    QByteArray record(const QByteArray &name) const { return m_dir->nativePath("record/" + name); }

    QString m_oldCurrent;
    std::unique_ptr<TestDir> m_dir;
    std::unique_ptr<EnvironmentScope> m_path;
    std::unique_ptr<EnvironmentScope> m_record;
};

void TestDesktopLaunch::initTestCase()
{
    m_oldCurrent = QDir::currentPath();
}

void TestDesktopLaunch::init()
{
    m_dir = std::make_unique<TestDir>();
    m_dir->createDirs({u"bin"_qs, u"record"_qs, u"patients"_qs});
    m_path = std::make_unique<EnvironmentScope>("PATH",
                                                m_dir->nativePath("bin") + ':' + qgetenv("PATH"));
    m_record =
        std::make_unique<EnvironmentScope>("PALVORIC_XDG_RECORD", m_dir->nativePath("record"));
}

void TestDesktopLaunch::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    m_record.reset();
    m_path.reset(); // also undoes the tests' own changes of PATH
    m_dir.reset();
}

void TestDesktopLaunch::installXdgOpen(const QByteArray &script, unsigned mode)
{
    m_dir->createFile(u"bin/xdg-open"_qs, script);
    m_dir->setPermissions(u"bin/xdg-open"_qs, mode);
}

void TestDesktopLaunch::pathIsOneArgument_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("textFile");
    QTest::newRow("patient") << QByteArray("DUPONT Marie 2019") << false;
    QTest::newRow("spaces") << QByteArray("  DUPONT   Marie  ") << false;
    QTest::newRow("quotes") << QByteArray("O'BRIEN \"Jo\"") << false;
    QTest::newRow("dollar and command")
        << QByteArray("$HOME $(touch pwned) `touch pwned`") << false;
    QTest::newRow("semicolon") << QByteArray("DUPONT; touch pwned") << false;
    QTest::newRow("leading dash") << QByteArray("--help") << false;
    QTest::newRow("line break") << QByteArray("DUPONT\nMarie") << false;
    QTest::newRow("glob") << QByteArray("*") << false;
    QTest::newRow("not UTF-8") << QByteArray("DUPONT \xe9ric") << false;
    QTest::newRow("text file") << QByteArray("_REVISIONS.TXT") << true;
    QTest::newRow("text file, shell characters") << QByteArray("notes; $(touch pwned).txt") << true;
}

void TestDesktopLaunch::pathIsOneArgument()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, textFile);
    installXdgOpen(kRecordingScript, 0755);
    QDir::setCurrent(m_dir->path());
    const QByteArray target = m_dir->nativePath("patients/" + name);
    const QString path = platform::decodeFileName(target);
    QVERIFY(textFile ? platform::openFileInTextEditor(path)
                     : platform::openFolderInFileBrowser(path));
    QTRY_VERIFY(entryExists(record("done")));
    QCOMPARE(readFileBytes(record("count")), QByteArray("1"));
    QCOMPARE(readFileBytes(record("arg1")), target);
    // Nothing was run by a shell on the way.
    QVERIFY(!entryExists(m_dir->nativePath("pwned")));
    QVERIFY(!entryExists(m_dir->nativePath("patients/pwned")));
}

void TestDesktopLaunch::relativePathMadeAbsolute()
{
    installXdgOpen(kRecordingScript, 0755);
    QVERIFY(QDir::setCurrent(m_dir->filePath(u"patients"_qs)));
    QVERIFY(platform::openFolderInFileBrowser(u"-rf"_qs));
    QTRY_VERIFY(entryExists(record("done")));
    QCOMPARE(readFileBytes(record("arg1")), m_dir->nativePath("patients/-rf"));
}

void TestDesktopLaunch::noXdgOpen()
{
    // Only the empty bin folder on PATH: no xdg-open anywhere.
    qputenv("PATH", m_dir->nativePath("bin"));
    QVERIFY(!platform::openFolderInFileBrowser(m_dir->filePath(u"patients"_qs)));
    QVERIFY(!platform::openFileInTextEditor(m_dir->filePath(u"patients"_qs)));
}

void TestDesktopLaunch::xdgOpenThatCannotStart_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<unsigned>("mode");
    QTest::newRow("not executable") << kRecordingScript << 0644u;
    QTest::newRow("missing interpreter")
        << QByteArray("#!/nonexistent/interpreter\n") + kRecordingScript << 0755u;
    QTest::newRow("not a program") << QByteArray("\x7f"
                                                 "ELF garbage")
                                   << 0755u;
}

void TestDesktopLaunch::xdgOpenThatCannotStart()
{
    QFETCH(QByteArray, script);
    QFETCH(unsigned, mode);
    qputenv("PATH", m_dir->nativePath("bin"));
    installXdgOpen(script, mode);
    QVERIFY(!platform::openFolderInFileBrowser(m_dir->filePath(u"patients"_qs)));
    QVERIFY(!entryExists(record("done")));
}

QTEST_GUILESS_MAIN(TestDesktopLaunch)
#include "tst_desktop_launch.moc"
