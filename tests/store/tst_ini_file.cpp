#include "errors/user_error.h"
#include "store/ini_file.h"
#include "tests/support/file_helpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace store;

namespace {

QByteArray utf16le(const QString &text)
{
    return QByteArray("\xff\xfe", 2) +
           QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

class TstIniFile : public QObject
{
    Q_OBJECT

private slots:
    void writes_data();
    void writes();
    void addsALineOfItsOwn_data();
    void addsALineOfItsOwn();
    void reads_data();
    void reads();
    void readLimit();
    void emptyPathIsTheSettingsFile();
    void createsMissingFile();
    void sameValueLeavesFileAlone();
    void bools_data();
    void bools();
    void namesWithLineBreaksStayOnOneLine_data();
    void namesWithLineBreaksStayOnOneLine();
    void damagedFiles_data();
    void damagedFiles();
};

void TstIniFile::writes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty file") << QByteArray() << "S"
                                << "k"
                                << "v" << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("replace in place, case-insensitive")
        << QByteArray("[Sec]\r\nKey=old\r\nOther=1\r\n") << "SEC"
        << "key"
        << "new" << QByteArray("[Sec]\r\nKey=new\r\nOther=1\r\n");
    QTest::newRow("missing key added to its section")
        << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2\r\n") << "a"
        << "z"
        << "26" << QByteArray("[A]\r\na=1\r\nz=26\r\n[B]\r\nb=2\r\n");
    QTest::newRow("missing key goes before the section's empty lines")
        << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\n") << "A"
        << "z"
        << "26" << QByteArray("[A]\r\na=1\r\nz=26\r\n\r\n[B]\r\n");
    QTest::newRow("missing key in an empty last section") << QByteArray("[A]\r\n") << "A"
                                                          << "k"
                                                          << "v" << QByteArray("[A]\r\nk=v\r\n");
    QTest::newRow("missing section at the end")
        << QByteArray("; comment\r\n[A]\r\na=1\r\n") << "B"
        << "b"
        << "2" << QByteArray("; comment\r\n[A]\r\na=1\r\n[B]\r\nb=2\r\n");
    QTest::newRow("no line end at the end") << QByteArray("[A]\r\na=1") << "B"
                                            << "b"
                                            << "2" << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2\r\n");
    QTest::newRow("file keeps its LF line ends") << QByteArray("[A]\na=1\n") << "A"
                                                 << "b"
                                                 << "2" << QByteArray("[A]\na=1\nb=2\n");
    QTest::newRow("odd lines, comments and spaces kept byte for byte")
        << QByteArray("garbage line\r\n[A]  ; note\r\n  x = 1 \r\n; c=3\r\n\r\n[B]\r\nb=2\r\n")
        << "a"
        << "x"
        << "9"
        << QByteArray("garbage line\r\n[A]  ; note\r\n  x =9\r\n; c=3\r\n\r\n[B]\r\nb=2\r\n");
    QTest::newRow("first of duplicate sections and keys")
        << QByteArray("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n") << "A"
        << "K"
        << "x" << QByteArray("[A]\r\nk=x\r\nk=2\r\n[a]\r\nk=3\r\n");
    QTest::newRow("empty value") << QByteArray("[A]\r\nk=1\r\n") << "A"
                                 << "k"
                                 << "" << QByteArray("[A]\r\nk=\r\n");
    QTest::newRow("sample section")
        << QByteArray("[DOSSIER]\r\nDATA=D:\\Patients\r\n") << "DOSSIER"
        << "DATA"
        << "/home/cabinet/Patients" << QByteArray("[DOSSIER]\r\nDATA=/home/cabinet/Patients\r\n");
    QTest::newRow("folder log with brackets in names")
        << QByteArray("[NOM Prénom [2]]\r\n03/02/2022=09:14:27\r\n") << "nom prénom [2]"
        << "04/02/2022"
        << "08:55:40"
        << QByteArray("[NOM Prénom [2]]\r\n03/02/2022=09:14:27\r\n04/02/2022=08:55:40\r\n");
    QTest::newRow("keys before any section belong to none")
        << QByteArray("k=1\r\n") << ""
        << "k"
        << "2" << QByteArray("k=1\r\n[]\r\nk=2\r\n");
}

void TstIniFile::writes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    if (!before.isEmpty())
        QVERIFY(writeFileBytes(path, before));
    iniWriteString(section, key, value, path);
    QCOMPARE(readFileBytes(path), after);
    QCOMPARE(iniReadString(section, key, QStringLiteral("<default>"), path), value);
}

void TstIniFile::addsALineOfItsOwn_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty file") << QByteArray() << u"03/02/2022"_qs << u"09:14:27"_qs
                                << u"DUPONT Marie"_qs
                                << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n");
    QTest::newRow("same key in the last section")
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n") << u"03/02/2022"_qs
        << u"09:14:27"_qs << u"MARTIN Paul"_qs
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n09:14:27=MARTIN Paul\r\n");
    QTest::newRow("same key and value")
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n") << u"03/02/2022"_qs
        << u"09:14:27"_qs << u"DUPONT Marie"_qs
        << QByteArray("[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n09:14:27=DUPONT Marie\r\n");
    QTest::newRow("same key in an earlier section, before its empty lines")
        << QByteArray("[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\nk=3\r\n") << u"a"_qs << u"K"_qs << u"4"_qs
        << QByteArray("[A]\r\nk=1\r\nj=2\r\nK=4\r\n\r\n[B]\r\nk=3\r\n");
    QTest::newRow("first of duplicate sections")
        << QByteArray("[A]\r\nk=1\r\n[B]\r\n[A]\r\nk=2\r\n") << u"A"_qs << u"k"_qs << u"3"_qs
        << QByteArray("[A]\r\nk=1\r\nk=3\r\n[B]\r\n[A]\r\nk=2\r\n");
    QTest::newRow("blank lines end the last section")
        << QByteArray("[A]\r\nk=1\r\n\r\n") << u"A"_qs << u"k"_qs << u"2"_qs
        << QByteArray("[A]\r\nk=1\r\nk=2\r\n\r\n");
    QTest::newRow("torn last line gets its line end")
        << QByteArray("[A]\r\nk=1") << u"A"_qs << u"k"_qs << u"2"_qs
        << QByteArray("[A]\r\nk=1\r\nk=2\r\n");
    QTest::newRow("file keeps its LF line ends") << QByteArray("[A]\nk=1\n") << u"A"_qs << u"k"_qs
                                                 << u"2"_qs << QByteArray("[A]\nk=1\nk=2\n");
}

void TstIniFile::addsALineOfItsOwn()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("_JOURNAL.LOG"));
    if (!before.isEmpty())
        QVERIFY(writeFileBytes(path, before));
    iniAddString(section, key, value, path);
    QCOMPARE(readFileBytes(path), after);
}

void TstIniFile::reads_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray sample("[Palvoric]\r\nForm1=412:187:354:399\r\n[DOSSIER]\r\nDATA=\r\n"
                            "[Spaced]\r\n  key = value with spaces  \r\n");
    QTest::newRow("value") << sample << "palvoric"
                           << "FORM1"
                           << "412:187:354:399";
    QTest::newRow("empty value is not the default") << sample << "DOSSIER"
                                                    << "DATA"
                                                    << "";
    QTest::newRow("missing key") << sample << "DOSSIER"
                                 << "OTHER"
                                 << "<default>";
    QTest::newRow("missing section") << sample << "NONE"
                                     << "DATA"
                                     << "<default>";
    QTest::newRow("spaces around key and value") << sample << "Spaced"
                                                 << "key"
                                                 << "value with spaces";
    QTest::newRow("missing file") << QByteArray("<no file>") << "A"
                                  << "k"
                                  << "<default>";
    QTest::newRow("utf-16le file") << utf16le(QStringLiteral("[Sé]\r\nk=Hélène\r\n")) << "SÉ"
                                   << "k"
                                   << "Hélène";
    QTest::newRow("windows-1252 file") << QByteArray("[A]\r\nk=H\xe9l\xe8ne\r\n") << "A"
                                       << "k"
                                       << "Hélène";
    QTest::newRow("utf-8 mark") << QByteArray("\xef\xbb\xbf[A]\r\nk=\xc3\xa9\r\n") << "A"
                                << "k"
                                << "é";
    QTest::newRow("header after spaces") << QByteArray("  [A]\r\nk=1\r\n") << "A"
                                         << "k"
                                         << "1";
    QTest::newRow("no closing bracket is no header") << QByteArray("[A]\r\n[B\r\nk=1\r\n") << "A"
                                                     << "k"
                                                     << "1";
    QTest::newRow("first of duplicates") << QByteArray("[A]\r\nk=1\r\nk=2\r\n[A]\r\nj=3\r\n") << "A"
                                         << "k"
                                         << "1";
    QTest::newRow("duplicate section is not searched")
        << QByteArray("[A]\r\nk=1\r\n[A]\r\nj=3\r\n") << "A"
        << "j"
        << "<default>";
    QTest::newRow("lone CR line ends") << QByteArray("[A]\rk=1\rj=2") << "A"
                                       << "j"
                                       << "2";
    QTest::newRow("equals in the value") << QByteArray("[A]\r\nk=a=b\r\n") << "A"
                                         << "k"
                                         << "a=b";
}

void TstIniFile::reads()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    if (content != "<no file>")
        QVERIFY(writeFileBytes(path, content));
    QCOMPARE(iniReadString(section, key, QStringLiteral("<default>"), path), expected);
}

void TstIniFile::readLimit()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    const QString longValue = QString(3000, u'x');
    iniWriteString(QStringLiteral("A"), QStringLiteral("k"), longValue, path);
    QCOMPARE(iniReadString(QStringLiteral("A"), QStringLiteral("k"), QString(), path),
             QString(2047, u'x'));
    QCOMPARE(iniReadString(QStringLiteral("A"), QStringLiteral("none"), longValue, path).size(),
             2047);
    // The file keeps the whole value.
    QVERIFY(readFileBytes(path).contains(longValue.toUtf8()));
    // A surrogate pair across the limit is not cut in half.
    const QString emoji = QString(2046, u'y') + QStringLiteral("😀");
    iniWriteString(QStringLiteral("A"), QStringLiteral("e"), emoji, path);
    QCOMPARE(iniReadString(QStringLiteral("A"), QStringLiteral("e"), QString(), path),
             QString(2046, u'y'));
}

void TstIniFile::emptyPathIsTheSettingsFile()
{
    // The test program's settings file lies next to it: use a section no one else uses.
    const QString settings = iniFilePath(QString());
    QVERIFY(settings.endsWith(QStringLiteral("/tst_ini_file.INI")));
    QCOMPARE(settingsFilePath(), settings);
    QFile::remove(settings);
    iniWriteString(QStringLiteral("TEST"), QStringLiteral("k"), QStringLiteral("v"));
    QCOMPARE(readFileBytes(settings), QByteArray("[TEST]\r\nk=v\r\n"));
    QCOMPARE(iniReadString(QStringLiteral("TEST"), QStringLiteral("k"), QString()),
             QStringLiteral("v"));
    QVERIFY(QFile::remove(settings));
}

void TstIniFile::createsMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.ini"));
    iniWriteString(QStringLiteral("Sé"), QStringLiteral("clé"), QStringLiteral("été"), path);
    // The ANSI code page (UTF-8 here), no mark, "\r\n".
    QCOMPARE(readFileBytes(path), QByteArray("[S\xc3\xa9]\r\ncl\xc3\xa9=\xc3\xa9t\xc3\xa9\r\n"));
}

void TstIniFile::sameValueLeavesFileAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QVERIFY(writeFileBytes(path, "[A]\r\nk=1\r\n"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    // Nothing to change: no write, so no error for the read-only file.
    iniWriteString(QStringLiteral("a"), QStringLiteral("K"), QStringLiteral("1"), path);
    QCOMPARE(userErrorOf([&] { iniWriteString(u"A"_qs, u"k"_qs, u"2"_qs, path); }),
             QStringLiteral("Impossible d'écrire dans %1").arg(path));
    QCOMPARE(readFileBytes(path), QByteArray("[A]\r\nk=1\r\n"));
}

void TstIniFile::bools_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");
    QTest::newRow("1 checks") << "1" << false << true;
    QTest::newRow("0 unchecks") << "0" << true << false;
    QTest::newRow("2 checks") << "2" << false << true;
    QTest::newRow("-1 checks") << "-1" << false << true;
    QTest::newRow("0x0 unchecks") << "0x0" << true << false;
    QTest::newRow("oui keeps the default, true") << "oui" << true << true;
    QTest::newRow("oui keeps the default, false") << "oui" << false << false;
    QTest::newRow("empty keeps the default") << "" << true << true;
    QTest::newRow("missing keeps the default") << "<missing>" << false << false;
}

void TstIniFile::bools()
{
    QFETCH(QString, stored);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    if (stored != QLatin1String("<missing>"))
        iniWriteString(QStringLiteral("CASES_A_COCHER"), QStringLiteral("chk_LOG"), stored, path);
    QCOMPARE(iniReadBool(QStringLiteral("CASES_A_COCHER"), QStringLiteral("chk_LOG"), defaultValue,
                         path),
             expected);
}

void TstIniFile::namesWithLineBreaksStayOnOneLine_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("value with a new section") << "DOSSIER"
                                              << "DATA"
                                              << "/data/x\r\n[CASES_A_COCHER]\r\nchk_LOG=0"
                                              << "/data/x␍␊[CASES_A_COCHER]␍␊chk_LOG=0";
    QTest::newRow("section with line feed") << "NOM\nPrénom"
                                            << "03/02/2022"
                                            << "09:14:27"
                                            << "09:14:27";
    QTest::newRow("key with a bracket inside") << "S"
                                               << "a[1]"
                                               << "v"
                                               << "v";
    QTest::newRow("NUL and CR") << QStringView(u"A\0B", 3).toString() << "k"
                                << "a\rb"
                                << "a␍b";
    QTest::newRow("edge spaces and tabs") << " S "
                                          << "\tk"
                                          << "  v\t"
                                          << "  v␉";
    QTest::newRow("backslashes as written") << "a\\nb"
                                            << "k\\"
                                            << "C:\\temp\\new"
                                            << "C:\\temp\\new";
    QTest::newRow("quotes kept") << "S"
                                 << "k"
                                 << "'Dupont'"
                                 << "'Dupont'";
}

void TstIniFile::namesWithLineBreaksStayOnOneLine()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, readBack);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QVERIFY(writeFileBytes(path, "[CASES_A_COCHER]\r\nchk_LOG=1\r\n"));
    iniWriteString(section, key, value, path);
    const QByteArray content = readFileBytes(path);
    // Two lines were there, two are added: the section and the key.
    QCOMPARE(content.count("\r\n"), 4);
    QCOMPARE(content.count('\n'), 4);
    QCOMPARE(content.count('\r'), 4);
    QVERIFY(!content.contains('\0'));
    QVERIFY(!content.contains('\t'));
    QCOMPARE(iniReadString(section, key, QString(), path), readBack);
    QCOMPARE(
        iniReadString(QStringLiteral("CASES_A_COCHER"), QStringLiteral("chk_LOG"), QString(), path),
        QStringLiteral("1"));
    // Written again with the same value: found, not added twice.
    iniWriteString(section, key, value, path);
    QCOMPARE(readFileBytes(path), content);
}

void TstIniFile::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary += char((i * 7919) % 256);
    QTest::newRow("binary garbage") << binary;
    QTest::newRow("10 MB line") << QByteArray(10 * 1024 * 1024, '[');
    QTest::newRow("10 MB value") << QByteArray("[A]\r\nk=") + QByteArray(10 * 1024 * 1024, 'v');
    QTest::newRow("utf-16 odd byte count") << QByteArray("\xff\xfe[\x00"
                                                         "A\x00]\x00\r",
                                                         9);
    QTest::newRow("utf-16 lone surrogates") << QByteArray("\xff\xfe\x00\xdc[\x00\x00\xd8", 8);
    QTest::newRow("NULs") << QByteArray("[A]\0\r\nk\0=1\r\n\0\0", 14);
    QTest::newRow("only line ends") << QByteArray("\r\r\n\n\n\r");
    QTest::newRow("brackets everywhere") << QByteArray("[[[]]]\r\n]=[\r\n[=]\r\n[\r\n]\r\n");
}

void TstIniFile::damagedFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QVERIFY(writeFileBytes(path, content));
    QCOMPARE(iniReadString(QStringLiteral("NEW"), QStringLiteral("k"), QStringLiteral("d"), path),
             QStringLiteral("d"));
    iniWriteString(QStringLiteral("NEW"), QStringLiteral("k"), QStringLiteral("v"), path);
    QCOMPARE(iniReadString(QStringLiteral("NEW"), QStringLiteral("k"), QString(), path),
             QStringLiteral("v"));
    // What was there is still there, at the start of the file (a UTF-16 file with an odd
    // byte count loses its last, unreadable byte).
    const QByteArray after = readFileBytes(path);
    const qsizetype kept = content.startsWith("\xff\xfe") ? content.size() & ~1 : content.size();
    QVERIFY(after.startsWith(content.left(kept)));
}

QTEST_GUILESS_MAIN(TstIniFile)

#include "tst_ini_file.moc"
