#include "store/int_conversion.h"
#include "store/split_string.h"

#include <QTest>

using namespace store;

class TstIniValues : public QObject
{
    Q_OBJECT

private slots:
    void integerConversion_data();
    void integerConversion();
    void splitStringCases_data();
    void splitStringCases();
};

void TstIniValues::integerConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("one") << "1" << true << 1;
    QTest::newRow("two") << "2" << true << 2;
    QTest::newRow("minus one") << "-1" << true << -1;
    QTest::newRow("plus sign") << "+42" << true << 42;
    QTest::newRow("leading spaces") << "   412" << true << 412;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("many leading zeros") << "0000000000000000000000012" << true << 12;
    QTest::newRow("highest") << "2147483647" << true << 2147483647;
    QTest::newRow("lowest") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("above highest") << "2147483648" << false << 0;
    QTest::newRow("below lowest") << "-2147483649" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999" << false << 0;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("x hex") << "x1f" << true << 31;
    QTest::newRow("X hex") << "X10" << true << 16;
    QTest::newRow("0x hex") << "0x0" << true << 0;
    QTest::newRow("0X hex") << "0XfF" << true << 255;
    QTest::newRow("negative hex") << "-$10" << true << -16;
    QTest::newRow("eight hex digits") << "$FFFFFFFF" << true << -1;
    QTest::newRow("lowest in hex") << "$80000000" << true << int(-2147483648LL);
    QTest::newRow("nine hex digits") << "$000000001" << false << 0;
    QTest::newRow("prefix alone") << "$" << false << 0;
    QTest::newRow("0x alone") << "0x" << false << 0;
    QTest::newRow("bad hex digit") << "0x1G" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("spaces only") << "   " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("word") << "oui" << false << 0;
    QTest::newRow("trailing space") << "12 " << false << 0;
    QTest::newRow("space after sign") << "- 1" << false << 0;
    QTest::newRow("two signs") << "--1" << false << 0;
    QTest::newRow("leading tab") << "\t1" << false << 0;
    QTest::newRow("decimal point") << "1.5" << false << 0;
    QTest::newRow("arabic-indic digit") << "\u0661" << false << 0;
    QTest::newRow("fullwidth digit") << "\uff11" << false << 0;
}

void TstIniValues::integerConversion()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto converted = textToInt(text);
    QCOMPARE(converted.has_value(), valid);
    if (valid)
        QCOMPARE(*converted, value);
}

void TstIniValues::splitStringCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("geometry") << "412:187:354:399"
                              << ":" << QStringList{u"412"_qs, u"187"_qs, u"354"_qs, u"399"_qs};
    QTest::newRow("two in a row") << "1::2"
                                  << ":" << QStringList{u"1"_qs, u""_qs, u"2"_qs};
    QTest::newRow("leading") << ":1"
                             << ":" << QStringList{u""_qs, u"1"_qs};
    QTest::newRow("trailing gives no empty piece") << "1:2:"
                                                   << ":" << QStringList{u"1"_qs, u"2"_qs};
    QTest::newRow("only delimiters") << "::"
                                     << ":" << QStringList{u""_qs, u""_qs};
    QTest::newRow("empty text") << ""
                                << ":" << QStringList{};
    QTest::newRow("no delimiter") << "abc"
                                  << ":" << QStringList{u"abc"_qs};
    QTest::newRow("case-sensitive") << "aXbxc"
                                    << "x" << QStringList{u"aXb"_qs, u"c"_qs};
    QTest::newRow("longer delimiter") << "a--b---c"
                                      << "--" << QStringList{u"a"_qs, u"b"_qs, u"-c"_qs};
    QTest::newRow("empty delimiter") << "abc"
                                     << "" << QStringList{u"abc"_qs};
    QTest::newRow("empty delimiter, empty text") << ""
                                                 << "" << QStringList{};
}

void TstIniValues::splitStringCases()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, pieces);
    QCOMPARE(splitString(text, delimiter), pieces);
}

QTEST_GUILESS_MAIN(TstIniValues)

#include "tst_ini_values.moc"
