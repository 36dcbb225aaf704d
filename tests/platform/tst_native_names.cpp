#include "platform/native_names.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using platform::decodeFileName;
using platform::encodeFileName;
using platform::encodePath;

class TestNativeNames : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void validUtf8DecodesAsUtf8_data();
    void validUtf8DecodesAsUtf8();
    void invalidBytesBecomeLoneSurrogates_data();
    void invalidBytesBecomeLoneSurrogates();
    void invalidNamesStayDistinct();
    void everyShortByteStringRoundTripsAndStaysDistinct();
    void randomByteStringsRoundTrip();
    void textWithoutBytes_data();
    void textWithoutBytes();
    void encodePathRefusesNul();
};

void TestNativeNames::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("ascii") << QByteArray("DUPONT Marie 2019");
    QTest::newRow("accented NFC") << QByteArray("Lef\xC3\xA8vre \xC3\x89lo\xC3\xAFse");
    QTest::newRow("accented NFD") << QByteArray("Lefe\xCC\x80vre E\xCC\x81lo\xC3\xAFse");
    QTest::newRow("emoji") << QByteArray("MARTIN \xF0\x9F\x98\x80 Paul");
    QTest::newRow("latin-1 grave") << QByteArray("Lef\xE8vre");
    QTest::newRow("lone continuation") << QByteArray("\x80");
    QTest::newRow("byte FF") << QByteArray("\xFF\xFE");
    QTest::newRow("overlong NUL") << QByteArray("a\xC0\x80z");
    QTest::newRow("overlong slash") << QByteArray("\xE0\x80\xAF");
    QTest::newRow("encoded high surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("encoded escape surrogate") << QByteArray("\xED\xB2\x80");
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("truncated at end") << QByteArray("abc\xE2\x82");
    QTest::newRow("truncated before ascii") << QByteArray("\xE2\x82"
                                                          "abc");
    QTest::newRow("truncated before valid") << QByteArray("\xF0\x9F\x98\xF0\x9F\x98\x80");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "DUPONT");
    QTest::newRow("two byte order marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF");
    QTest::newRow("byte order mark after invalid") << QByteArray("\xE8\xEF\xBB\xBF"
                                                                 "a");
    QTest::newRow("real replacement char") << QByteArray("\xEF\xBF\xBD");
    QTest::newRow("noncharacter") << QByteArray("\xEF\xBF\xBF");
    QTest::newRow("line break and tab") << QByteArray("DUPONT\nMarie\tJean\r");
    QTest::newRow("wildcards") << QByteArray("DU*PONT ?");
    QTest::newRow("nul and slash") << QByteArray("a\0b/c", 5);
    QTest::newRow("255 bytes mixed")
        << (QByteArray("\xC3\xA9", 2).repeated(100) + "\xE9" + QByteArray(54, 'x'));
    QByteArray allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes.append(char(b));
    QTest::newRow("every byte") << allBytes;
}

void TestNativeNames::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeFileName(decodeFileName(bytes)), bytes);
}

void TestNativeNames::validUtf8DecodesAsUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("MARTIN Paul") << u"MARTIN Paul"_qs;
    QTest::newRow("accented") << QByteArray("Gu\xC3\xA9rin L\xC3\xA9\x61") << u"Guérin Léa"_qs;
    QTest::newRow("decomposed") << QByteArray("Le\xCC\x81\x61") << u"Le\u0301a"_qs;
    QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80") << u"\U0001F600"_qs;
    QTest::newRow("replacement char") << QByteArray("\xEF\xBF\xBD") << u"\uFFFD"_qs;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "A")
                                     << u"\uFEFFA"_qs;
}

void TestNativeNames::validUtf8DecodesAsUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeFileName(bytes), text);
    QCOMPARE(encodeFileName(text), bytes);
}

void TestNativeNames::invalidBytesBecomeLoneSurrogates_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("latin-1") << QByteArray("Lef\xE8vre") << u"Lef\xDCE8vre"_qs;
    QTest::newRow("encoded surrogate")
        << QByteArray("\xED\xB2\x80") << QString::fromUtf16(u"\xDCED\xDCB2\xDC80");
    QTest::newRow("truncated then valid")
        << QByteArray("\xC3\xC3\xA9") << QString::fromUtf16(u"\xDCC3\x00E9");
}

void TestNativeNames::invalidBytesBecomeLoneSurrogates()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeFileName(bytes), text);
}

void TestNativeNames::invalidNamesStayDistinct()
{
    // A plain UTF-8 decoder turns all of these into U+FFFD: an action on one line would
    // then reach another file, or none.
    const QList<QByteArray> names = {"DUPONT \xE8", "DUPONT \xE9", "DUPONT \xFF",
                                     "DUPONT \xEF\xBF\xBD"};
    QCOMPARE(QString::fromUtf8(names[0]), QString::fromUtf8(names[1]));
    QSet<QString> decoded;
    for (const QByteArray &name : names)
        decoded.insert(decodeFileName(name));
    QCOMPARE(decoded.size(), names.size());
    QVERIFY(!decodeFileName(names[0]).contains(QChar::ReplacementCharacter));
}

void TestNativeNames::everyShortByteStringRoundTripsAndStaysDistinct()
{
    QSet<QString> decoded;
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const QByteArray bytes = QByteArray(1, char(first)) + char(second);
            const QString text = decodeFileName(bytes);
            if (encodeFileName(text) != bytes)
                QFAIL(qPrintable(u"no round trip for "_qs + QString::fromLatin1(bytes.toHex())));
            decoded.insert(text);
        }
    }
    QCOMPARE(decoded.size(), 256 * 256);
}

void TestNativeNames::randomByteStringsRoundTrip()
{
    // Mostly bytes that lead or continue multi-byte sequences, where the decoder's
    // boundaries matter.
    QRandomGenerator random(20240611);
    const QByteArray alphabet(
        "\x41\x80\x8F\x90\x9F\xA0\xBF\xC2\xC3\xDF\xE0\xE1\xED\xEF\xF0\xF4\xF5");
    for (int n = 0; n < 200000; ++n) {
        QByteArray bytes;
        const int length = 1 + random.bounded(8);
        for (int i = 0; i < length; ++i)
            bytes.append(alphabet[random.bounded(alphabet.size())]);
        if (encodeFileName(decodeFileName(bytes)) != bytes)
            QFAIL(qPrintable(u"no round trip for "_qs + QString::fromLatin1(bytes.toHex())));
    }
}

void TestNativeNames::textWithoutBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("lone high surrogate") << QString::fromUtf16(u"DUPONT \xD800");
    QTest::newRow("high surrogate then ascii") << QString::fromUtf16(u"\xD83D"
                                                                     "a");
    QTest::newRow("low surrogate below escapes") << QString::fromUtf16(u"a\xDC7F");
    QTest::newRow("low surrogate above escapes") << QString::fromUtf16(u"a\xDD00");
    QTest::newRow("swapped pair") << QString::fromUtf16(u"\xDE00\xD83D");
}

void TestNativeNames::textWithoutBytes()
{
    QFETCH(QString, text);
    QVERIFY(encodeFileName(text).isEmpty());
    QVERIFY(encodePath(u"/tmp/"_qs + text).isEmpty());
}

void TestNativeNames::encodePathRefusesNul()
{
    QCOMPARE(encodePath(u"/tmp/DUPONT"_qs), QByteArray("/tmp/DUPONT"));
    QCOMPARE(encodePath(u"/tmp/Lef\xDCE8vre"_qs), QByteArray("/tmp/Lef\xE8vre"));
    QVERIFY(encodePath(QString::fromUtf16(u"/tmp/a\0/../etc", 14)).isEmpty());
}

QTEST_GUILESS_MAIN(TestNativeNames)
#include "tst_native_names.moc"
