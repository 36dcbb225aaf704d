// The search texts the three filters derive from a line, and the splitting rule behind
// the first-name filter.
#include "search/result_filters.h"

#include <QTest>

using namespace search;

class TestResultFilters : public QObject
{
    Q_OBJECT

private slots:
    void derivedTexts_data();
    void derivedTexts();
    void pieces_data();
    void pieces();
};

void TestResultFilters::derivedTexts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("surnameAndFirstName");
    QTest::addColumn<QString>("firstName"); // null: nothing happens

    // The worked examples.
    QTest::newRow("DUPONT Marie 2019")
        << u"DUPONT Marie 2019"_qs << u"DUPONT"_qs << u"DUPONT Marie"_qs << u"* Marie"_qs;
    QTest::newRow("DUPONT Marie") << u"DUPONT Marie"_qs << u"DUPONT"_qs << u"DUPONT Marie"_qs
                                  << u"* Marie"_qs;
    QTest::newRow("DUPONT") << u"DUPONT"_qs << u"DUPONT"_qs << u"DUPONT"_qs << QString();
    QTest::newRow("LE GALL Yann") << u"LE GALL Yann"_qs << u"LE"_qs << u"LE GALL"_qs
                                  << u"* GALL"_qs;
    QTest::newRow("DUPONT,Marie") << u"DUPONT,Marie"_qs << u"DUPONT,Marie"_qs << u"DUPONT,Marie"_qs
                                  << u"* Marie"_qs;
    QTest::newRow("DUPONT,,Marie")
        << u"DUPONT,,Marie"_qs << u"DUPONT,,Marie"_qs << u"DUPONT,,Marie"_qs << u"* "_qs;

    // Blanks where names do not usually have them.
    QTest::newRow("two spaces") << u"DUPONT  Marie"_qs << u"DUPONT"_qs << u"DUPONT "_qs
                                << u"* Marie"_qs;
    QTest::newRow("leading space")
        << u" DUPONT Marie"_qs << QString() << u" DUPONT"_qs << u"* Marie"_qs;
    QTest::newRow("trailing space") << u"DUPONT "_qs << u"DUPONT"_qs << u"DUPONT "_qs << QString();
    QTest::newRow("tab: a blank for the first name only")
        << u"DUPONT\tMarie"_qs << u"DUPONT\tMarie"_qs << u"DUPONT\tMarie"_qs << u"* Marie"_qs;
    QTest::newRow("line break in the name") << u"DUPONT\nMarie Léa"_qs << u"DUPONT\nMarie"_qs
                                            << u"DUPONT\nMarie Léa"_qs << u"* Marie"_qs;
    QTest::newRow("comma with blanks: one separator")
        << u"DUPONT , Marie"_qs << u"DUPONT"_qs << u"DUPONT ,"_qs << u"* Marie"_qs;
    QTest::newRow("comma at the end: empty last piece")
        << u"DUPONT,"_qs << u"DUPONT,"_qs << u"DUPONT,"_qs << u"* "_qs;
    QTest::newRow("double quote is a character")
        << u"O\"BRIEN \"Jo\""_qs << u"O\"BRIEN"_qs << u"O\"BRIEN \"Jo\""_qs << u"* \"Jo\""_qs;
    QTest::newRow("accents and a compound first name")
        << u"HÉLÈNE Anne-Marie 1975"_qs << u"HÉLÈNE"_qs << u"HÉLÈNE Anne-Marie"_qs
        << u"* Anne-Marie"_qs;
    QTest::newRow("one letter") << u"D"_qs << u"D"_qs << u"D"_qs << QString();
    QTest::newRow("empty") << QString() << QString() << QString() << QString();
}

void TestResultFilters::derivedTexts()
{
    QFETCH(QString, line);
    QFETCH(QString, surname);
    QFETCH(QString, surnameAndFirstName);
    QFETCH(QString, firstName);
    QCOMPARE(sameSurnameText(line), surname);
    QCOMPARE(sameSurnameAndFirstNameText(line), surnameAndFirstName);
    const std::optional<QString> derived = sameFirstNameText(line);
    QCOMPARE(derived.has_value(), !firstName.isNull());
    if (derived)
        QCOMPARE(*derived, firstName);
}

void TestResultFilters::pieces_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("words") << u"LE GALL Yann"_qs << QStringList{u"LE"_qs, u"GALL"_qs, u"Yann"_qs};
    QTest::newRow("runs of blanks") << u"  A \t\r\n B  "_qs << QStringList{u"A"_qs, u"B"_qs};
    QTest::newRow("empty piece between commas")
        << u"A, ,B"_qs << QStringList{u"A"_qs, QString(), u"B"_qs};
    QTest::newRow("leading comma") << u",A"_qs << QStringList{QString(), u"A"_qs};
    QTest::newRow("lone comma") << u","_qs << QStringList{QString(), QString()};
    QTest::newRow("comma then blanks at the end") << u"A, "_qs << QStringList{u"A"_qs};
    QTest::newRow("blanks only") << u" \t "_qs << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
}

void TestResultFilters::pieces()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(splitPieces(line), expected);
}

QTEST_GUILESS_MAIN(TestResultFilters)
#include "tst_result_filters.moc"
