#include "errors/user_error.h"
#include "search/search_history.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace search;
using text::TextEncoding;

Q_DECLARE_METATYPE(text::TextEncoding)

namespace {

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                           : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return bytes;
}

QStringList numbered(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(QStringLiteral("DOSSIER %1").arg(i));
    return entries;
}

const QByteArray kUtf8Mark("\xef\xbb\xbf");

} // namespace

class TstSearchHistory : public QObject
{
    Q_OBJECT

private slots:
    void addToHistoryKeepsOneOfEach();
    void addEmptyTextTakesTheBoxText();
    void mergeKeepsOtherCopiesEntries_data();
    void mergeKeepsOtherCopiesEntries();
    void decode_data();
    void decode();
    void saveRoundTrip_data();
    void saveRoundTrip();
    void saveKeepsTheFilesLines_data();
    void saveKeepsTheFilesLines();
    void trim_data();
    void trim();
    void noFileAtStart();
    void folderIsNoFile();
    void entriesWithLineBreaksStayOneEntry();
    void unreadableFileRaisesAndIsNotLost();
    void saveErrorsKeepOldFile_data();
    void saveErrorsKeepOldFile();
};

void TstSearchHistory::addToHistoryKeepsOneOfEach()
{
    QStringList history;
    QVERIFY(addToHistory(history, QStringLiteral("DUPONT Marie")));
    QVERIFY(!addToHistory(history, QStringLiteral("DUPONT Marie")));
    QCOMPARE(history, QStringList{QStringLiteral("DUPONT Marie")});
    QVERIFY(addToHistory(history, QStringLiteral("MARTIN Paul")));
    // Opened again after others: not brought back to the top.
    QVERIFY(!addToHistory(history, QStringLiteral("dupont marie")));
    QVERIFY(!addToHistory(history, QStringLiteral("DUPONT MARIE")));
    QCOMPARE(history, (QStringList{QStringLiteral("MARTIN Paul"), QStringLiteral("DUPONT Marie")}));
    // Only a to z are folded: Hélène and HÉLÈNE are two entries.
    QVERIFY(addToHistory(history, QStringLiteral("Hélène")));
    QVERIFY(addToHistory(history, QStringLiteral("HÉLÈNE")));
    QVERIFY(!addToHistory(history, QStringLiteral("HéLèNE")));
    QCOMPARE(history.size(), 4);
    QCOMPARE(history.first(), QStringLiteral("HÉLÈNE"));
}

void TstSearchHistory::addEmptyTextTakesTheBoxText()
{
    QStringList history;
    QVERIFY(addToHistory(history, QString(), QStringLiteral("DURAND")));
    QVERIFY(!addToHistory(history, QString(), QStringLiteral("durand")));
    QCOMPARE(history, QStringList{QStringLiteral("DURAND")});
}

void TstSearchHistory::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<TextEncoding>("encoding");

    QTest::newRow("empty") << QByteArray() << QStringList{} << TextEncoding::Ansi;
    QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << QStringList{u"A"_qs, u"B"_qs}
                           << TextEncoding::Ansi;
    QTest::newRow("LF only") << QByteArray("A\nB\n") << QStringList{u"A"_qs, u"B"_qs}
                             << TextEncoding::Ansi;
    QTest::newRow("lone CR") << QByteArray("A\rB") << QStringList{u"A"_qs, u"B"_qs}
                             << TextEncoding::Ansi;
    QTest::newRow("last line without break")
        << QByteArray("A\r\nB") << QStringList{u"A"_qs, u"B"_qs} << TextEncoding::Ansi;
    QTest::newRow("empty lines are entries")
        << QByteArray("A\r\n\r\n\nB\r\n") << QStringList{u"A"_qs, u""_qs, u""_qs, u"B"_qs}
        << TextEncoding::Ansi;
    QTest::newRow("only a break") << QByteArray("\r\n") << QStringList{u""_qs}
                                  << TextEncoding::Ansi;
    QTest::newRow("NUL ends the text") << QByteArray("A\r\nB\0C\r\nD\r\n", 11)
                                       << QStringList{u"A"_qs, u"B"_qs} << TextEncoding::Ansi;
    QTest::newRow("utf-8 mark") << kUtf8Mark + "H\xc3\xa9l\xc3\xa8ne\r\n"
                                << QStringList{u"Hélène"_qs} << TextEncoding::Utf8Bom;
    QTest::newRow("utf-8 without mark is ansi") << QByteArray("H\xc3\xa9l\xc3\xa8ne\r\n")
                                                << QStringList{u"Hélène"_qs} << TextEncoding::Ansi;
    QTest::newRow("windows-1252 from Windows")
        << QByteArray("H\xe9l\xe8ne\r\nC\x9cur\r\n") << QStringList{u"Hélène"_qs, u"Cœur"_qs}
        << TextEncoding::Windows1252;
    QTest::newRow("utf-16le") << QByteArray("\xff\xfe") + utf16(QStringLiteral("É\r\nB"), false)
                              << QStringList{u"É"_qs, u"B"_qs} << TextEncoding::Utf16LeBom;
    QTest::newRow("utf-16be") << QByteArray("\xfe\xff") + utf16(QStringLiteral("É\nB\n"), true)
                              << QStringList{u"É"_qs, u"B"_qs} << TextEncoding::Utf16BeBom;
    QTest::newRow("utf-16le odd byte count")
        << QByteArray("\xff\xfe") + utf16(QStringLiteral("AB"), false) + "C"
        << QStringList{u"AB"_qs} << TextEncoding::Utf16LeBom;
    QTest::newRow("backslashes read as written")
        << QByteArray("A\\nB\r\nD:\\new\\set\r\n") << QStringList{u"A\\nB"_qs, u"D:\\new\\set"_qs}
        << TextEncoding::Ansi;
}

void TstSearchHistory::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QFETCH(TextEncoding, encoding);
    TextEncoding found = TextEncoding::Utf16BeBom;
    QCOMPARE(decodeHistory(bytes, &found), entries);
    QCOMPARE(found, encoding);
}

void TstSearchHistory::saveRoundTrip_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("LF lines come back with CR LF")
        << QByteArray("A\nB\n") << kUtf8Mark + "A\r\nB\r\n";
    QTest::newRow("blank lines kept")
        << QByteArray("A\r\n\r\nB\r\n") << kUtf8Mark + "A\r\n\r\nB\r\n";
    QTest::newRow("utf-8 mark kept") << kUtf8Mark + "\xc3\xa9\r\n" << kUtf8Mark + "\xc3\xa9\r\n";
    QTest::newRow("utf-8 without mark: the ansi code page, utf-8, gets the mark")
        << QByteArray("\xc3\xa9\r\n") << kUtf8Mark + "\xc3\xa9\r\n";
    QTest::newRow("windows-1252 letters are not lost")
        << QByteArray("H\xe9l\xe8ne\r\n") << kUtf8Mark + "H\xc3\xa9l\xc3\xa8ne\r\n";
    QTest::newRow("utf-16le kept")
        << QByteArray("\xff\xfe") + utf16(QStringLiteral("É\r\n"), false)
        << QByteArray("\xff\xfe") + utf16(QStringLiteral("É\r\n"), false);
    QTest::newRow("utf-16be kept") << QByteArray("\xfe\xff") + utf16(QStringLiteral("É\n"), true)
                                   << QByteArray("\xfe\xff") + utf16(QStringLiteral("É\r\n"), true);
}

void TstSearchHistory::saveRoundTrip()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = historyFilePath(dir.path() + u'/');
    QVERIFY(writeFileBytes(path, before));
    QStringList entries;
    HistoryFileState state;
    loadHistory(path, entries, state);
    trimHistory(entries);
    saveHistory(path, entries, state);
    QCOMPARE(readFileBytes(path), after);
}

void TstSearchHistory::saveKeepsTheFilesLines_data()
{
    QTest::addColumn<QByteArray>("loaded");    // the file when the window opened
    QTest::addColumn<QStringList>("opened");   // what the window added, in this order
    QTest::addColumn<QByteArray>("meanwhile"); // the file at the save (empty: as loaded)
    QTest::addColumn<QByteArray>("saved");

    const QByteArray repeated("A\r\n\r\n\r\nB\r\nDUPONT\r\ndupont\r\n");
    QTest::newRow("nothing opened: repeated and empty lines kept")
        << repeated << QStringList() << QByteArray() << kUtf8Mark + repeated;
    QTest::newRow("additions on top of them, the last one first")
        << repeated << QStringList{u"MARTIN"_qs, u"ROY"_qs} << QByteArray()
        << kUtf8Mark + "ROY\r\nMARTIN\r\n" + repeated;
    QTest::newRow("another workstation's lines as they are now")
        << QByteArray("A\r\n") << QStringList{u"MARTIN"_qs} << QByteArray("ROY\r\nROY\r\n\r\nA\r\n")
        << kUtf8Mark + "MARTIN\r\nROY\r\nROY\r\n\r\nA\r\n";
    QTest::newRow("an addition the file now holds in another case")
        << QByteArray("A\r\n") << QStringList{u"martin"_qs, u"ROY"_qs}
        << QByteArray("MARTIN\r\nA\r\n") << kUtf8Mark + "ROY\r\nMARTIN\r\nA\r\n";
    const QByteArray twenty = numbered(20).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    QTest::newRow("20 lines with nothing opened: kept whole")
        << twenty << QStringList() << QByteArray() << kUtf8Mark + twenty;
    QTest::newRow("trimmed to 19 with an addition")
        << twenty << QStringList{u"MARTIN"_qs} << QByteArray()
        << kUtf8Mark + "MARTIN\r\n" + numbered(18).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    QTest::newRow("21 lines with nothing opened: trimmed to 19")
        << twenty + "\r\n"
        << QStringList() << QByteArray()
        << kUtf8Mark + numbered(19).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

void TstSearchHistory::saveKeepsTheFilesLines()
{
    QFETCH(QByteArray, loaded);
    QFETCH(QStringList, opened);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QByteArray, saved);
    QTemporaryDir dir;
    const QString path = historyFilePath(dir.path() + u'/');
    QVERIFY(writeFileBytes(path, loaded));
    QStringList entries;
    HistoryFileState state;
    loadHistory(path, entries, state);
    for (const QString &name : opened)
        addToHistory(entries, name);
    trimHistory(entries);
    if (!meanwhile.isEmpty())
        QVERIFY(writeFileBytes(path, meanwhile));
    saveHistory(path, entries, state);
    QCOMPARE(readFileBytes(path), saved);
}

void TstSearchHistory::trim_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("kept");
    QTest::newRow("19") << 19 << 19;
    QTest::newRow("20 saved whole") << 20 << 20;
    QTest::newRow("21 gives 19") << 21 << 19;
    QTest::newRow("40 gives 19") << 40 << 19;
    QTest::newRow("none") << 0 << 0;
}

void TstSearchHistory::trim()
{
    QFETCH(int, count);
    QFETCH(int, kept);
    QTemporaryDir dir;
    const QString path = historyFilePath(dir.path() + u'/');
    QStringList entries = numbered(count);
    trimHistory(entries);
    QCOMPARE(entries, numbered(kept));
    saveHistory(path, entries, HistoryFileState());
    QStringList loaded;
    HistoryFileState state;
    loadHistory(path, loaded, state);
    QCOMPARE(loaded, numbered(kept));
    QCOMPARE(readFileBytes(path).count("\r\n"), kept);
}

void TstSearchHistory::noFileAtStart()
{
    QTemporaryDir dir;
    const QString path = historyFilePath(dir.path() + u'/');
    QStringList entries{QStringLiteral("stale")};
    HistoryFileState state;
    state.encoding = TextEncoding::Utf16LeBom;
    loadHistory(path, entries, state);
    QVERIFY(entries.isEmpty());
    QCOMPARE(state.encoding, TextEncoding::Ansi);
    QVERIFY(!entryExists(path));
    // The first close writes an empty file: no text, only the mark of the UTF-8 code page.
    saveHistory(path, entries, state);
    QCOMPARE(readFileBytes(path), kUtf8Mark);
}

void TstSearchHistory::folderIsNoFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("liste.txt")));
    QStringList entries;
    HistoryFileState state;
    loadHistory(historyFilePath(dir.path() + u'/'), entries, state);
    QVERIFY(entries.isEmpty());
    QVERIFY(!state.unreadable);
}

void TstSearchHistory::entriesWithLineBreaksStayOneEntry()
{
    QTemporaryDir dir;
    const QString path = historyFilePath(dir.path() + u'/');
    const QStringList entries{QStringLiteral("DUPONT\nMarie"),     QStringLiteral("CR\rONLY"),
                              QString(u'A') + QChar(0) + u'B',     QStringLiteral("C:\\new\\n"),
                              QStringLiteral("x") + QChar(0xDCE9), QStringLiteral("  espaces  ")};
    saveHistory(path, entries, HistoryFileState());
    const QByteArray content = readFileBytes(path);
    QCOMPARE(content.count('\n'), entries.size());
    QCOMPARE(content.count('\r'), entries.size());
    QVERIFY(!content.contains('\0'));
    QStringList loaded;
    HistoryFileState state;
    loadHistory(path, loaded, state);
    // Line breaks and NUL come back as their pictures; the rest as it was.
    QCOMPARE(loaded,
             (QStringList{QStringLiteral("DUPONT␊Marie"), QStringLiteral("CR␍ONLY"),
                          QStringLiteral("A␀B"), QStringLiteral("C:\\new\\n"),
                          QStringLiteral("x") + QChar(0xDCE9), QStringLiteral("  espaces  ")}));
}

void TstSearchHistory::unreadableFileRaisesAndIsNotLost()
{
    QTemporaryDir dir;
    const QString path = historyFilePath(dir.path() + u'/');
    // A pipe stands for a file that cannot be read now.
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    QStringList entries{QStringLiteral("stale")};
    HistoryFileState state;
    QCOMPARE(userErrorOf([&] { loadHistory(path, entries, state); }),
             QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                 .arg(path, qt_error_string(EINVAL)));
    QVERIFY(entries.isEmpty());
    QVERIFY(state.unreadable);

    // Still unreadable at close: replaced by this run's entries.
    addToHistory(entries, QStringLiteral("NOUVEAU"));
    saveHistory(path, entries, state);
    QCOMPARE(readFileBytes(path), kUtf8Mark + "NOUVEAU\r\n");

    // Readable again at close: its entries are kept below this run's, which it does not
    // hold already.
    QVERIFY(writeFileBytes(path, numbered(20).join(QStringLiteral("\r\n")).toUtf8()));
    entries = {QStringLiteral("NOUVEAU"), QStringLiteral("dossier 3")};
    saveHistory(path, entries, state);
    QStringList loaded;
    HistoryFileState reloaded;
    loadHistory(path, loaded, reloaded);
    QCOMPARE(loaded, QStringList{QStringLiteral("NOUVEAU")} + numbered(18));
}

void TstSearchHistory::saveErrorsKeepOldFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("full disk") << QStringLiteral("full");
    QTest::newRow("read-only file system") << QStringLiteral("read-only");
}

void TstSearchHistory::saveErrorsKeepOldFile()
{
    QFETCH(QString, fault);
    SmallTmpfs disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString path = historyFilePath(disk.path() + u'/');
    const QByteArray old = kUtf8Mark + numbered(20).join(QStringLiteral("\r\n")).toUtf8() + "\r\n" +
                           QByteArray(300 * 1024, 'h') + "\r\n";
    QVERIFY(writeFileBytes(path, old));
    QStringList entries;
    HistoryFileState state;
    loadHistory(path, entries, state);
    QCOMPARE(entries.size(), 21);
    if (fault == QLatin1String("full"))
        QVERIFY(disk.fillUpTo(0));
    else
        QVERIFY(disk.remountReadOnly());
    trimHistory(entries);
    const QString error = userErrorOf([&] { saveHistory(path, entries, state); });
    const QString expected =
        QStringLiteral("Impossible de créer le fichier \"%1\". %2")
            .arg(path, qt_error_string(fault == QLatin1String("full") ? ENOSPC : EROFS));
    QCOMPARE(error, expected);
    QCOMPARE(readFileBytes(path), old);
    QVERIFY(entriesOf(disk.path()).filter(QStringLiteral(".palvoric-tmp")).isEmpty());
}

void TstSearchHistory::mergeKeepsOtherCopiesEntries_data()
{
    QTest::addColumn<QStringList>("additions");
    QTest::addColumn<QStringList>("onDisk");
    QTest::addColumn<QStringList>("merged");
    const QStringList disk{QStringLiteral("DUPONT Jean"), QStringLiteral("MARTIN Paul")};
    QTest::newRow("additions on top, in their order")
        << QStringList{QStringLiteral("B"), QStringLiteral("A")} << disk
        << QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("DUPONT Jean"),
                       QStringLiteral("MARTIN Paul")};
    QTest::newRow("an entry the file holds in another case is not added")
        << QStringList{QStringLiteral("martin paul"), QStringLiteral("B")} << disk
        << QStringList{QStringLiteral("B"), QStringLiteral("DUPONT Jean"),
                       QStringLiteral("MARTIN Paul")};
    QTest::newRow("each addition once")
        << QStringList{QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("A")} << disk
        << QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("DUPONT Jean"),
                       QStringLiteral("MARTIN Paul")};
    QTest::newRow("the file's repeated and empty lines kept below")
        << QStringList{QStringLiteral("B")}
        << QStringList{u"A"_qs, u""_qs, u""_qs, u"DUPONT"_qs, u"dupont"_qs, u"A"_qs}
        << QStringList{u"B"_qs, u"A"_qs, u""_qs, u""_qs, u"DUPONT"_qs, u"dupont"_qs, u"A"_qs};
    QTest::newRow("nothing added: the file as it is") << QStringList() << disk << disk;
    QTest::newRow("trimmed like any history")
        << numbered(15)
        << numbered(10).replaceInStrings(QStringLiteral("DOSSIER"), QStringLiteral("PATIENT"))
        << numbered(15) +
               numbered(4).replaceInStrings(QStringLiteral("DOSSIER"), QStringLiteral("PATIENT"));
}

void TstSearchHistory::mergeKeepsOtherCopiesEntries()
{
    QFETCH(QStringList, additions);
    QFETCH(QStringList, onDisk);
    QFETCH(QStringList, merged);
    QCOMPARE(mergeHistory(additions, onDisk), merged);
}

QTEST_GUILESS_MAIN(TstSearchHistory)

#include "tst_search_history.moc"
