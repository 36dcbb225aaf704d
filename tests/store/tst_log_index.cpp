#include "store/ini_document.h"
#include "store/log_index.h"

#include <QRandomGenerator>
#include <QTest>

// The quick append of a log entry must give, byte for byte, the file a whole rewrite
// gives: checked against IniDocument on many generated files, then on the cases where
// the quick path must be taken for an entry to cost O(entry).

using namespace store;

namespace {

QString expectedRewrite(QByteArrayView bytes, const QString &section, const QString &key,
                        const QString &value, IniKeyRule rule, bool *changed)
{
    IniDocument document = IniDocument::fromBytes(bytes);
    *changed = document.writeValue(section, key, value, rule);
    return QString::fromLatin1(document.toBytes().toHex());
}

// A file of lines drawn from the shapes that matter: headers in several spellings (case,
// blanks, signs that fold to other letters: Kelvin "K", long "ſ", final "ς"; "ß", a
// decomposed "é", an escaped byte), key
// lines, blank lines, a "[" inside a value, a "[" without "]"; any line end, any mark.
struct GeneratedFile
{
    QByteArray bytes;
    QList<qsizetype> lineStarts; // where a line begins, for splitting the file in two
};

GeneratedFile generateFile(QRandomGenerator &random)
{
    static const QStringList lines = {
        u"[A]"_qs,       u"[a]"_qs,          u" [ b ] "_qs, u"[K]"_qs,    u"[\u212a]"_qs,
        u"[ß]"_qs,       u"[ss]"_qs,         u"[é]"_qs,     u"[É]"_qs,    u"[e\u0301]"_qs,
        u"[\\uDC80]"_qs, u"[DUPONT [2]]"_qs, u"k=1"_qs,     u" K = 2"_qs, u"x=DUPONT [2]"_qs,
        u"y="_qs,        u"\u212a=3"_qs,     u""_qs,        u"  "_qs,     u"[sans fin"_qs,
        u"texte"_qs,     u"é=Hélène"_qs,     u"[ſ]"_qs,     u"[Σ]"_qs,
    };
    static const QList<QByteArray> ends = {"\r\n", "\n", "\r"};
    const int encoding = int(random.bounded(10)); // 0-5 UTF-8, 6 mark, 7 1252, 8 UTF-16, 9 CP
    GeneratedFile file;
    if (encoding == 6)
        file.bytes = "\xEF\xBB\xBF";
    if (encoding == 8)
        file.bytes = "\xFF\xFE";
    const QByteArray &end = ends[int(random.bounded(ends.size()))];
    const int count = int(random.bounded(12));
    for (int i = 0; i < count; ++i) {
        file.lineStarts.append(file.bytes.size());
        const QString line = lines[int(random.bounded(lines.size()))];
        if (encoding == 7) {
            QByteArray latin = line.toLatin1();
            latin.replace('?', "\xE9"); // what Latin-1 lacks becomes a Windows-1252 byte
            file.bytes += latin;
        } else if (encoding == 8) {
            file.bytes += QByteArray(reinterpret_cast<const char *>(line.utf16()), line.size() * 2);
        } else {
            file.bytes += line.toUtf8();
        }
        // Mostly the file's own line end; sometimes another, or none at the very end.
        const bool last = i == count - 1;
        if (!(last && random.bounded(4) == 0)) {
            file.bytes += random.bounded(8) == 0 ? ends[int(random.bounded(ends.size()))] : end;
            if (encoding == 8)
                file.bytes += '\0';
        }
    }
    if (encoding == 9)
        file.bytes += "H\xC3"; // an append cut in the middle of a character
    return file;
}

} // namespace

Q_DECLARE_METATYPE(store::IniKeyRule)

class TstLogIndex : public QObject
{
    Q_OBJECT

private slots:
    void appendIsWhatARewriteGives_data();
    void appendIsWhatARewriteGives();
    void quickPathTaken_data();
    void quickPathTaken();
    void followsWhatOthersAppend_data();
    void followsWhatOthersAppend();
};

void TstLogIndex::appendIsWhatARewriteGives_data()
{
    QTest::addColumn<IniKeyRule>("rule");
    QTest::newRow("a value replaced (settings, folder log)") << IniKeyRule::ReplaceValue;
    QTest::newRow("a line of its own (journal)") << IniKeyRule::AddLine;
}

void TstLogIndex::appendIsWhatARewriteGives()
{
    QFETCH(IniKeyRule, rule);
    static const QStringList sections = {
        u"A"_qs,      u"a"_qs,        u"b"_qs,          u"k"_qs,      u"K"_qs, u"ß"_qs, u"é"_qs,
        u"\u00c9"_qs, u"nouvelle"_qs, u"DUPONT [2]"_qs, u"Łukasz"_qs, u"s"_qs, u"ς"_qs};
    static const QStringList keys = {u"k"_qs, u"K"_qs, u"x"_qs, u"z"_qs, u"\u212a"_qs};
    QRandomGenerator random(20261210);
    int appended = 0, rewrites = 0, followedRewrites = 0;
    for (int round = 0; round < 20000; ++round) {
        const GeneratedFile file = generateFile(random);
        const QString section = sections[int(random.bounded(sections.size()))];
        const QString key = keys[int(random.bounded(keys.size()))];
        const QString value = random.bounded(2) ? u"v"_qs : u"Hélène"_qs;
        LogIndex index;
        // Read whole, or in two parts, as when another instance appended since.
        qsizetype split = 0;
        if (!file.lineStarts.isEmpty() && random.bounded(2))
            split = file.lineStarts[int(random.bounded(file.lineStarts.size()))];
        index.reset(QByteArrayView(file.bytes).first(split), {});
        if (!index.extend(QByteArrayView(file.bytes).sliced(split), {}))
            index.reset(file.bytes, {});

        bool changed = false;
        const QString expected = expectedRewrite(file.bytes, section, key, value, rule, &changed);
        const std::optional<QByteArray> lines = index.appendedLines(section, key, value, rule);
        const QByteArray context =
            QByteArray(file.bytes.toHex() + ' ' + section.toUtf8() + ' ' + key.toUtf8());
        if (lines) {
            ++appended;
            QVERIFY2(changed, context.constData());
            QVERIFY2(QString::fromLatin1(QByteArray(file.bytes + *lines).toHex()) == expected,
                     context.constData());
            continue;
        }
        ++rewrites;
        if (!changed || !index.changeLeavesIndexValid(section))
            continue;
        // After such a rewrite the index follows without reading the file again: it then
        // decides as an index of the new file would.
        ++followedRewrites;
        IniDocument document = IniDocument::fromBytes(file.bytes);
        document.writeValue(section, key, value, rule);
        const QByteArray rewritten = document.toBytes();
        index.rebase(rewritten, {});
        LogIndex fresh;
        fresh.reset(rewritten, {});
        for (const QString &next : sections) {
            QVERIFY2(index.appendedLines(next, u"z"_qs, u"v"_qs, rule) ==
                         fresh.appendedLines(next, u"z"_qs, u"v"_qs, rule),
                     QByteArray(context + " then " + next.toUtf8()).constData());
        }
    }
    // Each way must have been taken often for the comparison to mean something.
    QVERIFY2(appended > 2000 && rewrites > 2000 && followedRewrites > 500,
             qPrintable(u"%1 %2 %3"_qs.arg(appended).arg(rewrites).arg(followedRewrites)));
}

void TstLogIndex::quickPathTaken_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("appended"); // empty: the file is rewritten
    QTest::addColumn<IniKeyRule>("rule");
    const IniKeyRule replace = IniKeyRule::ReplaceValue;
    const IniKeyRule add = IniKeyRule::AddLine;

    const QByteArray journal = "[02/02/2022]\r\n09:00:00=MARTIN Luc\r\n\r\n"
                               "[03/02/2022]\r\n09:14:27=DUPONT Marie\r\n";
    QTest::newRow("today's section last") << journal << u"03/02/2022"_qs << u"10:00:00"_qs
                                          << QByteArray("10:00:00=Hélène\r\n") << replace;
    QTest::newRow("a new day") << journal << u"04/02/2022"_qs << u"08:00:00"_qs
                               << QByteArray("[04/02/2022]\r\n08:00:00=Hélène\r\n") << replace;
    QTest::newRow("same second again")
        << journal << u"03/02/2022"_qs << u"09:14:27"_qs << QByteArray() << replace;
    QTest::newRow("an earlier day")
        << journal << u"02/02/2022"_qs << u"10:00:00"_qs << QByteArray() << replace;
    QTest::newRow("blank line ends the file")
        << journal + "\r\n"
        << u"03/02/2022"_qs << u"10:00:00"_qs << QByteArray() << replace;
    QTest::newRow("torn last line")
        << journal + "10:00" << u"03/02/2022"_qs << u"11:00:00"_qs << QByteArray() << replace;
    const QByteArray folderLog = "[DUPONT [2]]\r\n03/02/2022=09:14:27\r\n";
    QTest::newRow("a bracket in a folder name") << folderLog << u"DUPONT [2]"_qs << u"04/02/2022"_qs
                                                << QByteArray("04/02/2022=Hélène\r\n") << replace;
    QTest::newRow("unix line ends") << QByteArray("[A]\nx=1\n") << u"B"_qs << u"k"_qs
                                    << QByteArray("[B]\nk=Hélène\n") << replace;
    QTest::newRow("windows-1252 log") << QByteArray("[CAF\xc9]\r\nx=1\r\n") << u"café"_qs << u"k"_qs
                                      << QByteArray("k=H\xe9l\xe8ne\r\n") << replace;
    // A journal entry gets a line of its own, the same second's included; it goes at the
    // end only when its section is the last one and no blank line ends it.
    QTest::newRow("same second again, a line of its own")
        << journal << u"03/02/2022"_qs << u"09:14:27"_qs << QByteArray("09:14:27=Hélène\r\n")
        << add;
    QTest::newRow("a new second, a line of its own")
        << journal << u"03/02/2022"_qs << u"10:00:00"_qs << QByteArray("10:00:00=Hélène\r\n")
        << add;
    QTest::newRow("a new day, a line of its own")
        << journal << u"04/02/2022"_qs << u"08:00:00"_qs
        << QByteArray("[04/02/2022]\r\n08:00:00=Hélène\r\n") << add;
    QTest::newRow("same second in an earlier day, a line of its own")
        << journal << u"02/02/2022"_qs << u"09:00:00"_qs << QByteArray() << add;
    QTest::newRow("blank line ends the file, a line of its own")
        << journal + "\r\n"
        << u"03/02/2022"_qs << u"09:14:27"_qs << QByteArray() << add;
    QTest::newRow("utf-16 log") << QByteArray("\xff\xfe[\0A\0]\0\r\0\n\0", 12) << u"A"_qs << u"k"_qs
                                << QByteArray() << replace;
}

void TstLogIndex::quickPathTaken()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, appended);
    QFETCH(IniKeyRule, rule);
    LogIndex index;
    index.reset(file, {});
    const std::optional<QByteArray> lines = index.appendedLines(section, key, u"Hélène"_qs, rule);
    QCOMPARE(lines.value_or(QByteArray()), appended);
}

void TstLogIndex::followsWhatOthersAppend_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("added");
    QTest::addColumn<bool>("follows");

    QTest::newRow("lines") << QByteArray("[A]\r\nx=1\r\n") << QByteArray("[B]\r\ny=2\r\n") << true;
    // "\r" then "\n" across the seam are one line end: the index cannot count lines.
    QTest::newRow("line end across the seam")
        << QByteArray("[A]\rx=1\r") << QByteArray("\ny=2\r") << false;
    QTest::newRow("bytes that make the file windows-1252")
        << QByteArray("[A]\r\nx=1\r\n") << QByteArray("y=\xe9\r\n") << false;
    QTest::newRow("after a torn line") << QByteArray("[A]\r\nx=1") << QByteArray("\r\n") << false;
}

void TstLogIndex::followsWhatOthersAppend()
{
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, added);
    QFETCH(bool, follows);
    LogIndex index;
    index.reset(read, {});
    QCOMPARE(index.extend(added, {}), follows);
    if (!follows)
        return;
    LogIndex whole;
    whole.reset(QByteArray(read + added), {});
    // A key the added lines hold ("y") and one no line holds ("z").
    for (const IniKeyRule rule : {IniKeyRule::ReplaceValue, IniKeyRule::AddLine}) {
        for (const QString &section : {u"A"_qs, u"B"_qs, u"C"_qs}) {
            for (const QString &key : {u"y"_qs, u"z"_qs})
                QCOMPARE(index.appendedLines(section, key, u"v"_qs, rule),
                         whole.appendedLines(section, key, u"v"_qs, rule));
        }
    }
}

QTEST_GUILESS_MAIN(TstLogIndex)

#include "tst_log_index.moc"
