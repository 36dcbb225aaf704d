#include "text/code_page.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using namespace text;

Q_DECLARE_METATYPE(text::TextEncoding)

class TstCodePage : public QObject
{
    Q_OBJECT

private slots:
    void codeSetNames_data();
    void codeSetNames();
    void ansiIsTheLocaleSet();
    void decodeText_data();
    void decodeText();
    void encodeText_data();
    void encodeText();
    void windows1252CoversEveryByte();
    void windows1252RefusesMissingCharacters();
    void rewriteEncoding_data();
    void rewriteEncoding();
    void utf8CheckAgreesWithQt();
};

void TstCodePage::codeSetNames_data()
{
    QTest::addColumn<QByteArray>("codeSet");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("utf-8") << QByteArray("UTF-8") << QByteArray("UTF-8");
    QTest::newRow("lower case") << QByteArray("utf8") << QByteArray("UTF-8");
    QTest::newRow("C locale") << QByteArray("ANSI_X3.4-1968") << QByteArray("UTF-8");
    QTest::newRow("none") << QByteArray() << QByteArray("UTF-8");
    QTest::newRow("latin-9") << QByteArray("iso-8859-15") << QByteArray("ISO-8859-15");
}

void TstCodePage::codeSetNames()
{
    QFETCH(QByteArray, codeSet);
    QFETCH(QByteArray, expected);
    QCOMPARE(normalisedCodeSet(codeSet), expected);
}

void TstCodePage::ansiIsTheLocaleSet()
{
    // The tests run under fr_FR.UTF-8 (or the C locale where it is not installed).
    QVERIFY(ansiIsUtf8());
    QCOMPARE(encodeAnsi(u"Hélène"), QByteArray("H\xc3\xa9l\xc3\xa8ne"));
}

void TstCodePage::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");

    QTest::newRow("empty") << QByteArray() << QString() << TextEncoding::Ansi;
    QTest::newRow("ascii") << QByteArray("DUPONT\r\n") << QStringLiteral("DUPONT\r\n")
                           << TextEncoding::Ansi;
    QTest::newRow("utf-8 without mark")
        << QByteArray("H\xc3\xa9l\xc3\xa8ne") << QStringLiteral("Hélène") << TextEncoding::Ansi;
    QTest::newRow("windows-1252 from a Windows machine")
        << QByteArray("H\xe9l\xe8ne \x80 \x9c\x8c") << QStringLiteral("Hélène € œŒ")
        << TextEncoding::Windows1252;
    QTest::newRow("one bad byte makes the whole file windows-1252")
        << QByteArray("\xc3\xa9 \xe9 ") << QStringLiteral("Ã© é ") << TextEncoding::Windows1252;
    // An append cut short leaves part of a character at the very end: the file stays UTF-8.
    QTest::newRow("utf-8 whose last character is cut")
        << QByteArray("DUPONT\r\nH\xc3\xa9l\xc3") << QStringLiteral("DUPONT\r\nHélÃ")
        << TextEncoding::Ansi;
    QTest::newRow("cut three-byte character")
        << QByteArray("\xe2\x82\xac \xe2\x82") << QStringLiteral("€ â‚") << TextEncoding::Ansi;
    QTest::newRow("a cut that is no valid start is windows-1252")
        << QByteArray("\xc3\xa9 \xe0\x80") << QStringLiteral("Ã© à€") << TextEncoding::Windows1252;
    QTest::newRow("undefined windows-1252 bytes")
        << QByteArray("\x81\x8d\x8f\x90\x9d") << QStringLiteral("\u0081\u008d\u008f\u0090\u009d")
        << TextEncoding::Windows1252;
    QTest::newRow("encoded surrogate is invalid utf-8")
        << QByteArray("\xed\xa0\x80") << QStringLiteral("í\u00a0€") << TextEncoding::Windows1252;
    QTest::newRow("utf-8 mark") << QByteArray("\xef\xbb\xbf\xc3\xa9") << QStringLiteral("é")
                                << TextEncoding::Utf8Bom;
    QTest::newRow("utf-8 mark twice keeps the second")
        << QByteArray("\xef\xbb\xbf\xef\xbb\xbfx") << QStringLiteral("\ufeffx")
        << TextEncoding::Utf8Bom;
    QTest::newRow("utf-8 mark, damaged inside") << QByteArray("\xef\xbb\xbf\xc3\xa9-\xe9-\xc3")
                                                << QStringLiteral("é-é-Ã") << TextEncoding::Utf8Bom;
    QTest::newRow("utf-16le mark") << QByteArray("\xff\xfe\xe9\x00\x0d\x00", 6)
                                   << QStringLiteral("é\r") << TextEncoding::Utf16LeBom;
    QTest::newRow("utf-16le odd byte count")
        << QByteArray("\xff\xfe\x41\x00\x42", 5) << QStringLiteral("A") << TextEncoding::Utf16LeBom;
    QTest::newRow("utf-16le mark alone")
        << QByteArray("\xff\xfe") << QString() << TextEncoding::Utf16LeBom;
    QTest::newRow("utf-16le lone surrogate kept")
        << QByteArray("\xff\xfe\x00\xd8\x41\x00", 6) << QString(QChar(0xD800)) + u'A'
        << TextEncoding::Utf16LeBom;
    QTest::newRow("utf-16be mark")
        << QByteArray("\xfe\xff\x00\xe9", 4) << QStringLiteral("é") << TextEncoding::Utf16BeBom;
    QTest::newRow("NUL stays a character")
        << QByteArray("a\0b", 3) << QStringView(u"a\0b", 3).toString() << TextEncoding::Ansi;
}

void TstCodePage::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    const DecodedText decoded = text::decodeText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.encoding, encoding);
    QVERIFY(!decoded.text.contains(QChar::ReplacementCharacter));
}

void TstCodePage::encodeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ansi") << QStringLiteral("é") << TextEncoding::Ansi << QByteArray("\xc3\xa9");
    QTest::newRow("utf-8 mark") << QStringLiteral("é") << TextEncoding::Utf8Bom
                                << QByteArray("\xef\xbb\xbf\xc3\xa9");
    QTest::newRow("utf-16le") << QStringLiteral("é") << TextEncoding::Utf16LeBom
                              << QByteArray("\xff\xfe\xe9\x00", 4);
    QTest::newRow("utf-16be") << QStringLiteral("é") << TextEncoding::Utf16BeBom
                              << QByteArray("\xfe\xff\x00\xe9", 4);
    QTest::newRow("windows-1252") << QStringLiteral("é€") << TextEncoding::Windows1252
                                  << QByteArray("\xe9\x80");
    QTest::newRow("windows-1252 lacking a character moves to the ANSI code page")
        << QStringLiteral("é Łukasz") << TextEncoding::Windows1252
        << QByteArray("\xc3\xa9 \xc5\x81ukasz");
}

void TstCodePage::encodeText()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, bytes);
    QCOMPARE(text::encodeText(text, encoding), bytes);
}

void TstCodePage::windows1252CoversEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = decodeWindows1252(all);
    QCOMPARE(text.size(), 256);
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
    QByteArray back;
    QVERIFY(encodeWindows1252(text, &back));
    QCOMPARE(back, all);
    // A file of these bytes is not UTF-8: it comes back byte for byte.
    const DecodedText decoded = text::decodeText(all.mid(1));
    QCOMPARE(decoded.encoding, TextEncoding::Windows1252);
    QCOMPARE(text::encodeText(decoded.text, decoded.encoding), all.mid(1));
}

void TstCodePage::windows1252RefusesMissingCharacters()
{
    QByteArray out;
    QVERIFY(!encodeWindows1252(u"Ł", &out));
    QVERIFY(!encodeWindows1252(u"\u0100", &out));
    QVERIFY(encodeWindows1252(u"\u0081", &out));
    QCOMPARE(out, QByteArray("\x81"));
}

void TstCodePage::rewriteEncoding_data()
{
    QTest::addColumn<TextEncoding>("found");
    QTest::addColumn<TextEncoding>("written");
    QTest::newRow("ansi gets the utf-8 mark") << TextEncoding::Ansi << TextEncoding::Utf8Bom;
    QTest::newRow("windows-1252 too") << TextEncoding::Windows1252 << TextEncoding::Utf8Bom;
    QTest::newRow("utf-16le stays") << TextEncoding::Utf16LeBom << TextEncoding::Utf16LeBom;
    QTest::newRow("utf-16be stays") << TextEncoding::Utf16BeBom << TextEncoding::Utf16BeBom;
    QTest::newRow("utf-8 stays") << TextEncoding::Utf8Bom << TextEncoding::Utf8Bom;
}

void TstCodePage::rewriteEncoding()
{
    QFETCH(TextEncoding, found);
    QFETCH(TextEncoding, written);
    QCOMPARE(ansiRewriteEncoding(found), written);
}

namespace {

bool qtDecodesWithoutError(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decoding happens when the text is made
    Q_UNUSED(text);
    return !decoder.hasError();
}

} // namespace

// The quick check must say "valid" exactly when Qt decodes without error, and "cut at the
// end" exactly when some bytes added at the end would make it valid: checked on byte
// strings built from the bytes where UTF-8 has its limits, at every alignment.
void TstCodePage::utf8CheckAgreesWithQt()
{
    static const QByteArray pieces[] = {
        "a",
        "abcdefgh",
        "\x7f",
        "\x80",
        "\xbf",
        "\xc0\x80",
        "\xc2\x80",
        "\xdf\xbf",
        "\xe0\xa0\x80",
        "\xe0\x9f\x80",
        "\xed\x9f\xbf",
        "\xed\xa0\x80",
        "\xef\xbf\xbf",
        "\xf0\x90\x80\x80",
        "\xf0\x8f\xbf\xbf",
        "\xf4\x8f\xbf\xbf",
        "\xf4\x90\x80\x80",
        "\xf5\x80\x80\x80",
        "\xff",
        "\xc3",
        "\xe2\x82",
        "\xf0\x9f\x98",
    };
    QRandomGenerator random(1210);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int count = int(random.bounded(8));
        for (int i = 0; i < count; ++i)
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        const Utf8Validity validity = checkUtf8(bytes);
        QVERIFY2((validity == Utf8Validity::Valid) == qtDecodesWithoutError(bytes),
                 bytes.toHex().constData());
        bool completes = false;
        for (const QByteArray &end :
             {QByteArray("\x80"), QByteArray("\x80\x80"), QByteArray("\x80\x80\x80"),
              QByteArray("\xa0\x80"), QByteArray("\x90\x80\x80"), QByteArray("\x80")}) {
            completes = completes || qtDecodesWithoutError(bytes + end);
        }
        QCOMPARE(validity == Utf8Validity::CutAtEnd, validity != Utf8Validity::Valid && completes);
    }
}

QTEST_GUILESS_MAIN(TstCodePage)

#include "tst_code_page.moc"
