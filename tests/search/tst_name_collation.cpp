#include "search/latin_sort_keys.h"
#include "search/name_collation.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using search::listCollator;
using search::sortNames;

namespace {

int compareCodePoints(const QString &a, const QString &b)
{
    const QList<uint> x = a.toUcs4(), y = b.toUcs4();
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end())   ? -1
           : std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end()) ? 1
                                                                                  : 0;
}

// The order the list must have, asked of the collator pair by pair.
QStringList referenceSort(QStringList names, const QLocale &locale)
{
    const QCollator collator = listCollator(locale);
    std::stable_sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : compareCodePoints(a, b) < 0;
    });
    return names;
}

QStringList frenchNames(int count, quint32 seed)
{
    const QStringList surnames = {
        u"DUPONT"_qs,    u"Dupont"_qs,   u"dupont"_qs,    u"MARTIN"_qs,  u"Martinez"_qs,
        u"DUMARTIN"_qs,  u"LEFÈVRE"_qs,  u"Lefèvre"_qs,   u"LEFEVRE"_qs, u"Lefebvre"_qs,
        u"GUÉRIN"_qs,    u"Guerin"_qs,   u"NOËL"_qs,      u"Noel"_qs,    u"D'ALEMBERT"_qs,
        u"DALEMBERT"_qs, u"LE GALL"_qs,  u"LEGALL"_qs,    u"Le Gall"_qs, u"FRANÇOIS"_qs,
        u"Françoise"_qs, u"CÔTÉ"_qs,     u"COTE"_qs,      u"Côte"_qs,    u"coté"_qs,
        u"ÉTIENNE"_qs,   u"Etienne"_qs,  u"BENOÎT"_qs,    u"Benoit"_qs,  u"N'DIAYE"_qs,
        u"DA SILVA"_qs,  u"DA-SILVA"_qs, u"L'HERMITE"_qs, u"ŒUVRARD"_qs, u"MÜLLER"_qs};
    const QStringList firstNames = {
        u"Marie"_qs,  u"Jean"_qs,        u"Léa"_qs,    u"Lea"_qs,    u"LÉA"_qs,   u"Éloïse"_qs,
        u"Eloise"_qs, u"Jean-Pierre"_qs, u"Hélène"_qs, u"Helene"_qs, u"Chloé"_qs, u"Zoé"_qs,
        u"Anaïs"_qs,  u"Maëlle"_qs,      u"Paul"_qs,   u"Luc"_qs,    u"Ana"_qs,   u"André"_qs};
    const QStringList suffixes = {QString(),   QString(),      QString(),
                                  u" 2019"_qs, u" 1985"_qs,    u" [2]"_qs,
                                  u" (2)"_qs,  u" - copie"_qs, u" 12-03-1975"_qs};
    QRandomGenerator random(seed);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QString name = surnames[random.bounded(surnames.size())] + u' ' +
                       firstNames[random.bounded(firstNames.size())] +
                       suffixes[random.bounded(suffixes.size())];
        if (random.bounded(8) == 0)
            name = name.normalized(QString::NormalizationForm_D); // as macOS writes names
        names.append(name);
    }
    return names;
}

QStringList awkwardNames()
{
    return {u"DUPONT\nMarie"_qs,
            u"DUPONT\tMarie"_qs,
            u"DUPONT Marie \U0001F600"_qs,
            u"DUPONT Marie \uFFFD"_qs,
            QString::fromUtf16(u"DUPONT Marie \xDCE8"),
            QString::fromUtf16(u"DUPONT Marie \xDCE9"),
            u"DUPONT Weiß"_qs,
            u"DUPONT Weiss"_qs,
            u"DUPONT Ægir"_qs,
            u"DUPONT Søren"_qs,
            u"DUPONT Łukasz"_qs,
            u"ΔΟΥΠΟΝ"_qs,
            u"杜邦"_qs,
            u"DU*PONT"_qs,
            u"DU?PONT"_qs,
            u"e\u0301\u0301"_qs,
            u"e\u0327\u0301"_qs,
            u"é\u0327"_qs,
            QString(255, u'D'),
            u"\u0001DUPONT"_qs};
}

} // namespace

class TestNameCollation : public QObject
{
    Q_OBJECT

private slots:
    void caseInsensitiveLocaleOrder();
    void sameAsCollator_data();
    void sameAsCollator();
    void equalNamesFollowCodePoints();
    void cLocaleSortsAsFrench();
    void latinKeysCoverFrenchNames();
    void smallInputs();
};

void TestNameCollation::caseInsensitiveLocaleOrder()
{
    QStringList names{u"DUPONT Marie"_qs, u"dupont Léa"_qs, u"DUPONT Jean"_qs};
    sortNames(names, QLocale(u"fr_FR"_qs));
    QCOMPARE(names, QStringList({u"DUPONT Jean"_qs, u"dupont Léa"_qs, u"DUPONT Marie"_qs}));
    // Code-point order, which the list must not use, puts every capital first.
    QStringList byCodePoint = names;
    std::sort(byCodePoint.begin(), byCodePoint.end());
    QVERIFY(byCodePoint != names);
}

void TestNameCollation::sameAsCollator_data()
{
    QTest::addColumn<QString>("locale");
    // French first; then locales whose rules the Latin keys cannot write (contractions,
    // letters of their own, accents compared backwards), where the collator must answer.
    for (const char *locale : {"fr_FR", "fr_CA", "en_US", "de_DE", "sv_SE", "da_DK", "cs_CZ",
                               "tr_TR", "es_ES", "vi_VN", "lt_LT", "hu_HU", "pl_PL", "C"})
        QTest::newRow(locale) << QString::fromLatin1(locale);
}

void TestNameCollation::sameAsCollator()
{
    QFETCH(QString, locale);
    const QLocale l(locale);
    // Mostly Latin names with a few others mixed in, then the reverse proportion, so that
    // both the merge by insertion and the full merge run.
    QStringList many = frenchNames(3000, 1) + awkwardNames();
    QStringList few = frenchNames(40, 2) + awkwardNames() + awkwardNames();
    for (QStringList *names : {&many, &few}) {
        QStringList sorted = *names;
        sortNames(sorted, l);
        QCOMPARE(sorted, referenceSort(*names, l));
    }
}

void TestNameCollation::equalNamesFollowCodePoints()
{
    QStringList names{u"dupont marie"_qs, u"DUPONT Marie"_qs, u"Dupont Marie"_qs,
                      u"DUPONT MARIE"_qs};
    sortNames(names, QLocale(u"fr_FR"_qs));
    QCOMPARE(names, QStringList({u"DUPONT MARIE"_qs, u"DUPONT Marie"_qs, u"Dupont Marie"_qs,
                                 u"dupont marie"_qs}));
}

void TestNameCollation::cLocaleSortsAsFrench()
{
    QStringList c = frenchNames(500, 3) + awkwardNames();
    QStringList french = c;
    sortNames(c, QLocale::c());
    sortNames(french, QLocale(QLocale::French, QLocale::France));
    QCOMPARE(c, french);
    QCOMPARE(listCollator(QLocale::c()).locale(), QLocale(QLocale::French, QLocale::France));
}

void TestNameCollation::latinKeysCoverFrenchNames()
{
    // The fast keys are what keeps a large folder's search cheap: French names must get
    // them, other names must be left to the collator.
    const search::LatinSortKeys keys(listCollator(QLocale(u"fr_FR"_qs)));
    QVERIFY(keys.isUsable());
    std::vector<std::uint8_t> key;
    for (const QString &name : frenchNames(300, 4)) {
        if (!name.contains(u'Œ')) // a ligature, which the collator expands: not covered
            QVERIFY2(keys.appendKey(name, key), qPrintable(name));
    }
    for (const QString &name : awkwardNames()) {
        if (std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; }))
            continue; // plain ASCII: covered
        const size_t before = key.size();
        QVERIFY2(!keys.appendKey(name, key), qPrintable(name));
        QCOMPARE(key.size(), before);
    }
    QVERIFY(!search::LatinSortKeys(listCollator(QLocale(u"fr_CA"_qs))).isUsable());
}

void TestNameCollation::smallInputs()
{
    QStringList none;
    sortNames(none, QLocale(u"fr_FR"_qs));
    QVERIFY(none.isEmpty());
    QStringList one{u"DUPONT"_qs};
    sortNames(one, QLocale(u"fr_FR"_qs));
    QCOMPARE(one, QStringList{u"DUPONT"_qs});
}

QTEST_GUILESS_MAIN(TestNameCollation)
#include "tst_name_collation.moc"
