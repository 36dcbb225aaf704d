#include "platform/native_names.h"
#include "platform/wildcard_matcher.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBoundaryFinder>

#include <vector>

using platform::WildcardMatcher;
using ByteAnswer = platform::WildcardMatcher::ByteAnswer;

namespace {

// Reference: the characters as the user sees them, each in its canonical composed form
// and case-folded, matched by dynamic programming.
QStringList characters(const QString &text, bool ignoreAccents)
{
    QString canonical;
    if (ignoreAccents) {
        for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
            if (c.category() == QChar::Mark_NonSpacing)
                continue;
            const QHash<QChar, QString> ligatures = {
                {u'œ', u"oe"_qs}, {u'Œ', u"OE"_qs}, {u'æ', u"ae"_qs}, {u'Æ', u"AE"_qs}};
            canonical += ligatures.value(c, QString(c));
        }
    }
    canonical =
        (ignoreAccents ? canonical : text).normalized(QString::NormalizationForm_C).toCaseFolded();
    QStringList result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, canonical);
    for (qsizetype begin = 0, end = finder.toNextBoundary(); end > 0;
         begin = end, end = finder.toNextBoundary()) {
        // An ASCII character stands alone, as in a name's bytes ("\r\n" is two).
        qsizetype from = begin;
        for (qsizetype i = begin + 1; i <= end; ++i) {
            if (i == end || canonical[i].unicode() < 0x80) {
                result << canonical.mid(from, i - from);
                from = i;
            }
        }
    }
    return result;
}

bool referenceMatch(QStringView patternText, QStringView nameText, bool ignoreAccents = false)
{
    const QStringList pattern = characters(patternText.toString(), ignoreAccents);
    const QStringList name = characters(nameText.toString(), ignoreAccents);
    const qsizetype m = pattern.size(), n = name.size();
    std::vector<std::vector<char>> ok(m + 1, std::vector<char>(n + 1, 0));
    ok[0][0] = 1;
    for (qsizetype i = 1; i <= m; ++i) {
        const QString &p = pattern[i - 1];
        for (qsizetype j = 0; j <= n; ++j) {
            if (p == u"*")
                ok[i][j] = ok[i - 1][j] || (j > 0 && ok[i][j - 1]);
            else if (j > 0)
                ok[i][j] = ok[i - 1][j - 1] && (p == u"?" || p == name[j - 1]);
        }
    }
    return ok[m][n];
}

} // namespace

class TestWildcardMatcher : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void bytesAgreeWithText_data();
    void bytesAgreeWithText();
    void randomPatternsAgreeWithReference();
    void starsOnlyMatchEverything_data();
    void starsOnlyMatchEverything();
    void manyStarsOnLongNames();
    void ignoresAccents_data();
    void ignoresAccents();
};

void TestWildcardMatcher::matches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("begins with, case") << u"du*"_qs << u"DUPONT Marie"_qs << true;
    QTest::newRow("begins with, mixed case") << u"DU*"_qs << u"Dupont"_qs << true;
    QTest::newRow("begins with, exact") << u"du*"_qs << u"du"_qs << true;
    QTest::newRow("begins with, not inside") << u"mar*"_qs << u"DUMARTIN Luc"_qs << false;
    QTest::newRow("begins with, too short") << u"du*"_qs << u"d"_qs << false;
    QTest::newRow("contains, inside") << u"*mar*"_qs << u"DUMARTIN Luc"_qs << true;
    QTest::newRow("contains, at end") << u"*ar*"_qs << u"RICHARD"_qs.left(5) + u"AR"_qs << true;
    QTest::newRow("contains, absent") << u"*ar*"_qs << u"DUPONT Marie"_qs.left(6) << false;
    QTest::newRow("question mark") << u"D?P*"_qs << u"DEPRAZ Anne"_qs << true;
    QTest::newRow("question mark, one unit") << u"D?P*"_qs << u"DUUPONT"_qs << false;
    QTest::newRow("accent folds") << u"é*"_qs << u"Éloïse"_qs << true;
    QTest::newRow("accent in name, ascii text") << u"l*"_qs << u"Léa"_qs << true;
    QTest::newRow("accent differs from base") << u"le*"_qs << u"Léa"_qs << false;
    QTest::newRow("decomposed letter is not its base") << u"le*"_qs << u"Le\u0301a"_qs << false;
    QTest::newRow("typed composed, stored decomposed") << u"lé*"_qs << u"Le\u0301a"_qs << true;
    QTest::newRow("typed decomposed, stored composed") << u"le\u0301*"_qs << u"Léa"_qs << true;
    QTest::newRow("capital decomposed") << u"*lé*"_qs << u"NOE\u0308L LE\u0301A"_qs << true;
    QTest::newRow("question mark over a decomposed letter")
        << u"l?a*"_qs << u"Le\u0301a"_qs << true;
    QTest::newRow("two marks, one character") << u"?"_qs << u"e\u0323\u0302"_qs << true;
    QTest::newRow("marks in another order") << u"\u1EC7"_qs << u"e\u0302\u0323"_qs << true;
    QTest::newRow("mark without composition is one character")
        << u"??"_qs << u"q\u0301x"_qs << true;
    QTest::newRow("plain letter is not a letter with a mark")
        << u"q*"_qs << u"q\u0301x"_qs << false;
    QTest::newRow("kelvin sign folds to k") << u"k*"_qs << u"\u212Aelvin"_qs << true;
    QTest::newRow("long s folds to s") << u"*s*"_qs << u"Wei\u017F"_qs << true;
    QTest::newRow("sharp s is its own letter") << u"*ss*"_qs << u"Weiß"_qs << false;
    QTest::newRow("letter beyond the BMP folds") << u"\U00010428*"_qs << u"\U00010400x"_qs << true;
    QTest::newRow("emoji is one character") << u"?"_qs << u"\U0001F600"_qs << true;
    QTest::newRow("emoji is not two") << u"??"_qs << u"\U0001F600"_qs << false;
    QTest::newRow("joined emoji is one character")
        << u"a?b"_qs << u"a\U0001F469\u200D\U0001F467b"_qs << true;
    QTest::newRow("greek question mark is a semicolon") << u"*;*"_qs << u"a\u037Eb"_qs << true;
    QTest::newRow("line end is two characters") << u"a??b"_qs << u"a\r\nb"_qs << true;
    QTest::newRow("number sign does not take the letter") << u"*a*"_qs << u"\u0600a"_qs << true;
    QTest::newRow("star literal in name") << u"DU*"_qs << u"DU*PONT"_qs << true;
    QTest::newRow("question literal in name") << u"*?"_qs << u"Qui ?"_qs << true;
    QTest::newRow("two units at least") << u"??*"_qs << u"a"_qs << false;
    QTest::newRow("star question star, empty") << u"*?*"_qs << QString() << false;
    QTest::newRow("star question star") << u"*?*"_qs << u"x"_qs << true;
    QTest::newRow("trailing literal") << u"*ne"_qs << u"DEPRAZ Anne"_qs << true;
    QTest::newRow("trailing literal missing") << u"*ne"_qs << u"Anne Marie"_qs << false;
    QTest::newRow("line break in name") << u"*ar*"_qs << u"DUPONT\nMarie"_qs << true;
    QTest::newRow("escaped byte") << u"lef*"_qs << u"Lef\xDCE8vre"_qs << true;
}

void TestWildcardMatcher::matches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(referenceMatch(pattern, name), expected); // the row itself is right
    QCOMPARE(WildcardMatcher(pattern).matches(name), expected);
}

void TestWildcardMatcher::bytesAgreeWithText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("mayBeUndecided");

    QTest::newRow("ascii name") << u"du*"_qs << QByteArray("DUPONT Marie") << false;
    QTest::newRow("accent after prefix")
        << u"du*"_qs << QByteArray("DUPONT H\xC3\xA9l\xC3\xA8ne") << false;
    QTest::newRow("accent first") << u"du*"_qs << QByteArray("\xC3\x89ric DUPONT") << false;
    QTest::newRow("contains across accent") << u"*ar*"_qs << QByteArray("L\xC3\xA9onard") << false;
    QTest::newRow("contains after accent") << u"*ar*"_qs << QByteArray("\xC3\x89RARD") << false;
    QTest::newRow("contains, invalid bytes") << u"*ar*"_qs
                                             << QByteArray("\xE8\xFF"
                                                           "ar")
                                             << false;
    QTest::newRow("question mark meets accent")
        << u"l?a*"_qs << QByteArray("L\xC3\xA9\x61") << true;
    QTest::newRow("kelvin sign may be k") << u"k*"_qs
                                          << QByteArray("\xE2\x84\xAA"
                                                        "elvin")
                                          << true;
    QTest::newRow("long s may be s") << u"*s*"_qs << QByteArray("Wei\xC5\xBF") << true;
    QTest::newRow("accented text") << u"l\u00E9*"_qs << QByteArray("L\xC3\x89\x41") << true;
    QTest::newRow("accented text, ascii name") << u"l\u00E9*"_qs << QByteArray("LEA") << false;
    QTest::newRow("decomposed") << u"*e*"_qs
                                << QByteArray("Le\xCC\x81"
                                              "a")
                                << true;
    QTest::newRow("decomposed after the prefix")
        << u"du*"_qs << QByteArray("DUPONT He\xCC\x81le\xCC\x80ne") << false;
    QTest::newRow("decomposed, prefix short of the mark") << u"le*"_qs
                                                          << QByteArray("Le\xCC\x81"
                                                                        "a")
                                                          << true;
    QTest::newRow("decomposed, typed composed") << u"l\u00E9*"_qs
                                                << QByteArray("Le\xCC\x81"
                                                              "a")
                                                << true;
    QTest::newRow("mark on the last letter") << u"*e"_qs << QByteArray("Rene\xCC\x81") << true;
    QTest::newRow("greek question mark") << u"*;*"_qs << QByteArray("a\xCD\xBE") << true;
    QTest::newRow("trailing literal after accent")
        << u"*ne"_qs << QByteArray("H\xC3\xA9l\xC3\xA8ne") << false;
}

void TestWildcardMatcher::bytesAgreeWithText()
{
    QFETCH(QString, pattern);
    QFETCH(QByteArray, name);
    QFETCH(bool, mayBeUndecided);
    const WildcardMatcher matcher(pattern);
    const bool expected = matcher.matches(platform::decodeFileName(name));
    const ByteAnswer answer = matcher.matchesBytes(name);
    if (!mayBeUndecided)
        QVERIFY(answer != ByteAnswer::Undecided);
    if (answer != ByteAnswer::Undecided)
        QCOMPARE(answer == ByteAnswer::Match, expected);
}

void TestWildcardMatcher::randomPatternsAgreeWithReference()
{
    // Pieces that stress folding, units versus bytes, and star backtracking.
    const QList<QByteArray> namePieces = {"a",
                                          "A",
                                          "r",
                                          "s",
                                          "K",
                                          "k",
                                          "e",
                                          "E",
                                          "\xC3\xA9",
                                          "\xC3\x89",
                                          "\xCC\x81",
                                          "\xCC\x82",
                                          ";",
                                          "\r",
                                          "\n",
                                          "\xCD\xBE",
                                          "\xE2\x84\xAA",
                                          "\xC5\xBF",
                                          "\xF0\x9F\x98\x80",
                                          "\xE2\x80\x8D",
                                          "\xE8",
                                          "\xFF",
                                          "*",
                                          "?",
                                          " "};
    const QList<QString> patternPieces = {
        u"*"_qs, u"?"_qs, u"a"_qs,       u"R"_qs, u"s"_qs,      u"k"_qs, u"e"_qs,
        u"é"_qs, u"É"_qs, u"e\u0301"_qs, u" "_qs, u"\u212A"_qs, u";"_qs, u"\U0001F600"_qs};
    QRandomGenerator random(7);
    for (int round = 0; round < 20000; ++round) {
        QString pattern;
        for (int i = 0, n = random.bounded(1, 6); i < n; ++i)
            pattern += patternPieces[random.bounded(patternPieces.size())];
        QByteArray bytes;
        for (int i = 0, n = random.bounded(0, 7); i < n; ++i)
            bytes += namePieces[random.bounded(namePieces.size())];
        const QString name = platform::decodeFileName(bytes);
        const bool ignoreAccents = random.bounded(2) == 1;
        const WildcardMatcher matcher(pattern, ignoreAccents ? WildcardMatcher::Accents::Ignored
                                                             : WildcardMatcher::Accents::Kept);
        const bool expected = referenceMatch(pattern, name, ignoreAccents);
        const ByteAnswer answer = matcher.matchesBytes(bytes);
        const bool consistent =
            matcher.matches(name) == expected &&
            (answer == ByteAnswer::Undecided || (answer == ByteAnswer::Match) == expected);
        if (!consistent)
            QFAIL(qPrintable(u"pattern \""_qs + pattern + u"\", name bytes "_qs +
                             QString::fromLatin1(bytes.toHex()) +
                             (ignoreAccents ? u", accents ignored"_qs : QString())));
    }
}

void TestWildcardMatcher::starsOnlyMatchEverything_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("one") << u"*"_qs;
    QTest::newRow("two") << u"**"_qs;
    QTest::newRow("contains two stars") << u"****"_qs;
}

void TestWildcardMatcher::starsOnlyMatchEverything()
{
    QFETCH(QString, pattern);
    const WildcardMatcher matcher(pattern);
    QVERIFY(matcher.matchesEverything());
    for (const QByteArray &name : {QByteArray("."), QByteArray(".."), QByteArray("x"),
                                   QByteArray("\xFF\xFE"), QByteArray(255, 'z')}) {
        QVERIFY(matcher.matches(platform::decodeFileName(name)));
        QCOMPARE(matcher.matchesBytes(name), ByteAnswer::Match);
    }
    QVERIFY(!WildcardMatcher(u"??"_qs).matchesEverything());
    QVERIFY(!WildcardMatcher(u"*?*"_qs).matchesEverything());
}

void TestWildcardMatcher::manyStarsOnLongNames()
{
    // A recursive matcher takes exponential time here; the walk answers at once.
    const QString pattern = u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"_qs;
    const QString name(255, u'a');
    QVERIFY(!WildcardMatcher(pattern).matches(name));
    QCOMPARE(WildcardMatcher(pattern).matchesBytes(name.toLatin1()), ByteAnswer::NoMatch);
    QVERIFY(WildcardMatcher(pattern).matches(QString(name + u'B')));
}

void TestWildcardMatcher::ignoresAccents_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArray>("name"); // as stored
    QTest::addColumn<bool>("ignored");    // the option
    QTest::addColumn<bool>("expected");
    // The raw bytes decide alone: Latin letters with accents, composed or decomposed, are
    // read without decoding the name.
    QTest::addColumn<bool>("fromBytes");
    QTest::newRow("typed plain, stored accented")
        << u"helene*"_qs << QByteArray("H\xC3\x89L\xC3\x88NE Marie") << true << true << true;
    QTest::newRow("option off: as before")
        << u"helene*"_qs << QByteArray("H\xC3\x89L\xC3\x88NE Marie") << false << false << true;
    QTest::newRow("stored decomposed")
        << u"helene*"_qs << QByteArray("HE\xCC\x81LE\xCC\x80NE") << true << true << true;
    QTest::newRow("typed accented, stored plain")
        << u"dupr\u00E9*"_qs << QByteArray("Dupre Luc") << true << true << true;
    QTest::newRow("capitals with accents")
        << u"*cote*"_qs << QByteArray("C\xC3\x94T\xC3\x89") << true << true << true;
    QTest::newRow("other accented letters")
        << u"*cote*"_qs << QByteArray("\xC3\x87\xC3\x94T\xC3\x8B") << true << true << true;
    QTest::newRow("ligature oe") << u"coeur*"_qs << QByteArray("C\xC5\x92UR Paul") << true << true
                                 << true;
    QTest::newRow("ligature ae") << u"aelis*"_qs << QByteArray("\xC3\x86LIS") << true << true
                                 << true;
    QTest::newRow("ligature typed")
        << u"c\u0153ur*"_qs << QByteArray("COEUR") << true << true << true;
    QTest::newRow("ligature is two letters")
        << u"c?ur*"_qs << QByteArray("C\xC5\x92UR") << true << false << true;
    QTest::newRow("question mark over a decomposed letter") << u"l?a*"_qs
                                                            << QByteArray("Le\xCC\x81"
                                                                          "a")
                                                            << true << true << true;
    QTest::newRow("greek") << u"\u03B1\u03BD\u03BD\u03B1*"_qs
                           << QByteArray("\xCE\x86\xCE\x9D\xCE\x9D\xCE\x91") << true << true
                           << false;
    QTest::newRow("cyrillic short i")
        << u"\u0438\u043E\u0440*"_qs
        << QByteArray("\xD0\x99\xD0\xBE\xD1\x80\xD0\xB4\xD0\xB0\xD0\xBD") << true << true << false;
    QTest::newRow("sharp s is no accent")
        << u"weiss*"_qs << QByteArray("Wei\xC3\x9F") << true << false << false;
    QTest::newRow("a byte that is not UTF-8 is no letter")
        << u"lefevre*"_qs << QByteArray("Lef\xE8vre") << true << false << false;
    QTest::newRow("a byte that is not UTF-8, around it")
        << u"lef?vre*"_qs << QByteArray("Lef\xE8vre") << true << true << false;
    QTest::newRow("plain names as before")
        << u"*ar*"_qs << QByteArray("RICHARD") << true << true << true;
}

// With the option, letters match without their diacritics, however the name was
// written; the raw bytes' answer never contradicts the decoded name's.
void TestWildcardMatcher::ignoresAccents()
{
    QFETCH(QString, pattern);
    QFETCH(QByteArray, name);
    QFETCH(bool, ignored);
    QFETCH(bool, expected);
    QFETCH(bool, fromBytes);
    const WildcardMatcher matcher(pattern, ignored ? WildcardMatcher::Accents::Ignored
                                                   : WildcardMatcher::Accents::Kept);
    QCOMPARE(referenceMatch(pattern, platform::decodeFileName(name), ignored), expected);
    QCOMPARE(matcher.matches(platform::decodeFileName(name)), expected);
    const ByteAnswer answer = matcher.matchesBytes(name);
    if (fromBytes)
        QVERIFY(answer != ByteAnswer::Undecided);
    if (answer != ByteAnswer::Undecided)
        QCOMPARE(answer == ByteAnswer::Match, expected);
}

QTEST_GUILESS_MAIN(TestWildcardMatcher)
#include "tst_wildcard_matcher.moc"
