#include "platform/native_names.h"
#include "search/folder_search.h"
#include "search/name_collation.h"
#include "tests/support/file_helpers.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QTest>

using search::SearchMode;

namespace {

const QLocale kFrench(QLocale::French, QLocale::France);

QStringList find(const QString &folder, const QString &text, SearchMode mode)
{
    return search::findEntries(folder, text, mode, kFrench);
}

} // namespace

class TestFolderSearch : public QObject
{
    Q_OBJECT

private slots:
    void beginsWithOrContains_data();
    void beginsWithOrContains();
    void sortedByLocaleBlindToCase();
    void unusableStartFolderGivesNothing_data();
    void unusableStartFolderGivesNothing();
    void unreadableStartFolderGivesNothing();
    void trailingSlashGivesSameSearch();
    void awkwardNamesListedAndSorted();
    void invalidUtf8LineLeadsToItsOwnFile();
    void accentsIgnoredOnRequest_data();
    void accentsIgnoredOnRequest();
    void searchPattern_data();
    void searchPattern();
    void entryPath_data();
    void entryPath();
    void countCaption_data();
    void countCaption();
    void searchTextLongEnough_data();
    void searchTextLongEnough();
};

void TestFolderSearch::beginsWithOrContains_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("beginsWith");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("mar begins") << u"mar"_qs << true
                                << QStringList{u"MARTIN Paul"_qs, u"Martinez Ana"_qs};
    QTest::newRow("mar contains") << u"mar"_qs << false
                                  << QStringList{u"DUMARTIN Luc"_qs, u"DUPONT Marie"_qs,
                                                 u"MARTIN Paul"_qs, u"Martinez Ana"_qs};
    QTest::newRow("file listed like a folder")
        << u"DUP"_qs << true << QStringList{u"DUPONT facture.pdf"_qs, u"DUPONT Marie"_qs};
    QTest::newRow("question mark")
        << u"D?P"_qs << true
        << QStringList{u"DEPRAZ Anne"_qs, u"DUPONT facture.pdf"_qs, u"DUPONT Marie"_qs};
    QTest::newRow("two stars, everything but hidden")
        << u"**"_qs << false
        << QStringList{u"DEPRAZ Anne"_qs,  u"DUMARTIN Luc"_qs,   u"DUPONT facture.pdf"_qs,
                       u"DUPONT Marie"_qs, u"Lefèvre Éloïse"_qs, u"MARTIN Paul"_qs,
                       u"Martinez Ana"_qs};
    QTest::newRow("two question marks")
        << u"??"_qs << true
        << QStringList{u"DEPRAZ Anne"_qs,  u"DUMARTIN Luc"_qs,   u"DUPONT facture.pdf"_qs,
                       u"DUPONT Marie"_qs, u"Lefèvre Éloïse"_qs, u"MARTIN Paul"_qs,
                       u"Martinez Ana"_qs};
    QTest::newRow("accent, any case") << u"lefÈ"_qs << true << QStringList{u"Lefèvre Éloïse"_qs};
    QTest::newRow("first-name filter text")
        << u"* Marie"_qs << true << QStringList{u"DUPONT Marie"_qs};
    QTest::newRow("hidden never") << u".D"_qs << true << QStringList{};
    QTest::newRow("dots never") << u".*"_qs << true << QStringList{};
    QTest::newRow("no match") << u"zz"_qs << false << QStringList{};
    QTest::newRow("slash never reaches a sub-folder")
        << u"DUPONT Marie/"_qs << true << QStringList{};
}

void TestFolderSearch::beginsWithOrContains()
{
    QFETCH(QString, text);
    QFETCH(bool, beginsWith);
    QFETCH(QStringList, expected);
    TestDir dir;
    dir.createDirs({u"MARTIN Paul"_qs, u"Martinez Ana"_qs, u"DUMARTIN Luc"_qs,
                    u"DUPONT Marie/DUPONT Jean"_qs, u"DEPRAZ Anne"_qs, u"Lefèvre Éloïse"_qs,
                    u".DUPONT caché"_qs, u".Trash-0"_qs});
    dir.createFiles({u"DUPONT facture.pdf"_qs, u".DUPONT notes"_qs});
    QCOMPARE(find(dir.path(), text, beginsWith ? SearchMode::BeginsWith : SearchMode::Contains),
             expected);
}

void TestFolderSearch::sortedByLocaleBlindToCase()
{
    TestDir dir;
    dir.createDirs({u"DUPONT Marie"_qs, u"dupont Léa"_qs, u"DUPONT Jean"_qs, u"Dupont Anne"_qs,
                    u"DUPOND Luc"_qs});
    QCOMPARE(find(dir.path(), u"du"_qs, SearchMode::BeginsWith),
             QStringList({u"DUPOND Luc"_qs, u"Dupont Anne"_qs, u"DUPONT Jean"_qs, u"dupont Léa"_qs,
                          u"DUPONT Marie"_qs}));
}

void TestFolderSearch::unusableStartFolderGivesNothing_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("missing") << u"absent"_qs;
    QTest::newRow("plain file") << u"DUPONT facture.pdf"_qs;
    QTest::newRow("empty folder") << u"vide"_qs;
}

void TestFolderSearch::unusableStartFolderGivesNothing()
{
    QFETCH(QString, relative);
    TestDir dir;
    dir.createFile(u"DUPONT facture.pdf"_qs);
    dir.createDir(u"vide"_qs);
    for (SearchMode mode : {SearchMode::BeginsWith, SearchMode::Contains}) {
        const QStringList lines = find(dir.filePath(relative), u"**"_qs, mode);
        QCOMPARE(lines, QStringList());
        QCOMPARE(search::countCaption(lines.size(), u"**"_qs, mode).left(2), u"0 "_qs);
    }
}

void TestFolderSearch::unreadableStartFolderGivesNothing()
{
    TestDir dir;
    dir.createDir(u"patients/DUPONT Marie"_qs);
    dir.setPermissions(QString(), 0755);
    dir.setPermissions(u"patients"_qs, 0311);
    const QString folder = dir.filePath(u"patients"_qs);
    const std::optional<bool> empty =
        runUnprivileged([&] { return find(folder, u"du"_qs, SearchMode::BeginsWith).isEmpty(); });
    QVERIFY2(empty.has_value(), "could not run as an ordinary user");
    QVERIFY(*empty);
}

void TestFolderSearch::trailingSlashGivesSameSearch()
{
    TestDir dir;
    dir.createDirs({u"patients/DUPONT Marie"_qs, u"patients/DURAND Luc"_qs});
    const QStringList expected{u"DUPONT Marie"_qs, u"DURAND Luc"_qs};
    QCOMPARE(find(dir.filePath(u"patients"_qs), u"du"_qs, SearchMode::BeginsWith), expected);
    QCOMPARE(find(dir.filePath(u"patients/"_qs), u"du"_qs, SearchMode::BeginsWith), expected);
}

void TestFolderSearch::awkwardNamesListedAndSorted()
{
    const QStringList names = {
        u"DUPONT\nMarie"_qs,     u"DUPONT\tJean"_qs,    u"DU"_qs + QString(253, u'x'),
        u"DUPONT \U0001F600"_qs, u"DU*PONT"_qs,         u"DU?PONT"_qs,
        u"Dupont Léa"_qs,        u"Dupont Le\u0301a"_qs};
    TestDir dir;
    dir.createDirs(names);
    QStringList expected = names;
    search::sortNames(expected, kFrench);
    QCOMPARE(find(dir.path(), u"du"_qs, SearchMode::BeginsWith), expected);
    QCOMPARE(find(dir.path(), u"**"_qs, SearchMode::Contains), expected);
    // "*" typed is a wildcard, not the character: every name still matches.
    QCOMPARE(find(dir.path(), u"DU*"_qs, SearchMode::BeginsWith).size(), names.size());
}

void TestFolderSearch::accentsIgnoredOnRequest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ignoreAccents");
    QTest::addColumn<QList<QByteArray>>("expected"); // the entries listed, by their bytes
    const QByteArray composed("H\xC3\x89L\xC3\x88NE Marie");
    const QByteArray decomposed("HE\xCC\x81LE\xCC\x80NE Zo\xC3\xA9");
    QTest::newRow("plain, option off") << u"helene"_qs << false << QList<QByteArray>{"HELENE Anne"};
    // Either way of writing the accents finds both ways of storing them; each line keeps
    // its own bytes and leads to its entry.
    QTest::newRow("typed composed, option off")
        << u"hélène"_qs << false << QList<QByteArray>{composed, decomposed};
    QTest::newRow("typed decomposed, option off")
        << u"he\u0301le\u0300ne"_qs << false << QList<QByteArray>{composed, decomposed};
    QTest::newRow("plain, option on")
        << u"helene"_qs << true << QList<QByteArray>{"HELENE Anne", composed, decomposed};
    QTest::newRow("typed composed, option on")
        << u"HÉLÈNE"_qs << true << QList<QByteArray>{"HELENE Anne", composed, decomposed};
}

void TestFolderSearch::accentsIgnoredOnRequest()
{
    QFETCH(QString, text);
    QFETCH(bool, ignoreAccents);
    QFETCH(QList<QByteArray>, expected);
    TestDir dir;
    dir.createDir(u"patients"_qs);
    for (const QByteArray &name :
         {QByteArray("H\xC3\x89L\xC3\x88NE Marie"), QByteArray("HE\xCC\x81LE\xCC\x80NE Zo\xC3\xA9"),
          QByteArray("HELENE Anne"), QByteArray("HELMUT Paul")})
        dir.createDirBytes("patients/" + name);
    search::SearchRequest request;
    request.startFolder = dir.filePath(u"patients"_qs);
    request.text = text;
    request.mode = SearchMode::BeginsWith;
    request.locale = kFrench;
    request.ignoreAccents = ignoreAccents;
    const QStringList lines = search::findEntries(request);
    QList<QByteArray> listed;
    for (const QString &line : lines) {
        const QByteArray path = platform::encodePath(search::entryPath(request.startFolder, line));
        QVERIFY(entryExists(path));
        listed.append(path.mid(path.lastIndexOf('/') + 1));
    }
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);
}

void TestFolderSearch::invalidUtf8LineLeadsToItsOwnFile()
{
    // A plain UTF-8 decoder shows the first three as the same line; opening that line's
    // path would reach the wrong file, or none.
    const QList<QByteArray> names = {"Dupont \xE8", "Dupont \xE9", "Dupont \xEF\xBF\xBD",
                                     "Dupont \xED\xB2\x80", "Dupont \xFF\xFE"};
    TestDir dir;
    dir.createDir(u"patients"_qs);
    for (const QByteArray &name : names)
        dir.createFileBytes("patients/" + name, "file " + name.toHex());
    const QString startFolder = dir.filePath(u"patients"_qs);
    const QStringList lines = find(startFolder, u"du"_qs, SearchMode::BeginsWith);
    QCOMPARE(lines.size(), names.size());
    QList<QByteArray> reached;
    for (const QString &line : lines) {
        const QByteArray path = platform::encodePath(search::entryPath(startFolder, line));
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        QCOMPARE(readFileBytes(path), "file " + name.toHex());
        reached.append(name);
    }
    std::sort(reached.begin(), reached.end());
    QList<QByteArray> expected = names;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(reached, expected);
}

void TestFolderSearch::searchPattern_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("beginsWith");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("begins") << u"du"_qs << true << u"du*"_qs;
    QTest::newRow("contains") << u"du"_qs << false << u"*du*"_qs;
    QTest::newRow("wildcards kept") << u"D?P"_qs << true << u"D?P*"_qs;
    QTest::newRow("not trimmed") << u" du "_qs << false << u"* du *"_qs;
}

void TestFolderSearch::searchPattern()
{
    QFETCH(QString, text);
    QFETCH(bool, beginsWith);
    QFETCH(QString, pattern);
    QCOMPARE(
        search::searchPattern(text, beginsWith ? SearchMode::BeginsWith : SearchMode::Contains),
        pattern);
}

void TestFolderSearch::entryPath_data()
{
    QTest::addColumn<QString>("startFolder");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << u"/srv/patients"_qs << u"/srv/patients/DUPONT Marie"_qs;
    QTest::newRow("trailing slash") << u"/srv/patients/"_qs << u"/srv/patients/DUPONT Marie"_qs;
    QTest::newRow("root") << u"/"_qs << u"/DUPONT Marie"_qs;
    QTest::newRow("empty") << QString() << u"/DUPONT Marie"_qs;
}

void TestFolderSearch::entryPath()
{
    QFETCH(QString, startFolder);
    QFETCH(QString, path);
    QCOMPARE(search::entryPath(startFolder, u"DUPONT Marie"_qs), path);
}

void TestFolderSearch::countCaption_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("beginsWith");
    QTest::addColumn<QString>("caption");
    QTest::newRow("begins") << 3 << u"DUP"_qs << true
                            << u"3 dossier(s) trouvé(s) commençant par \"DUP\""_qs;
    QTest::newRow("contains") << 0 << u"zz"_qs << false
                              << u"0 dossier(s) trouvé(s) contenants \"zz\""_qs;
    QTest::newRow("wildcards as typed")
        << 1 << u"* Marie"_qs << true << u"1 dossier(s) trouvé(s) commençant par \"* Marie\""_qs;
    QTest::newRow("percent signs as typed")
        << 12000 << u"%1%2"_qs << false << u"12000 dossier(s) trouvé(s) contenants \"%1%2\""_qs;
}

void TestFolderSearch::countCaption()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    QFETCH(bool, beginsWith);
    QFETCH(QString, caption);
    QCOMPARE(search::countCaption(count, text,
                                  beginsWith ? SearchMode::BeginsWith : SearchMode::Contains),
             caption);
}

void TestFolderSearch::searchTextLongEnough_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("longEnough");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("one letter") << u"D"_qs << false;
    QTest::newRow("one accented letter") << u"É"_qs << false;
    QTest::newRow("two letters") << u"DU"_qs << true;
    QTest::newRow("two blanks") << u"  "_qs << true;
    QTest::newRow("emoji, two code units") << u"\U0001F600"_qs << true;
}

void TestFolderSearch::searchTextLongEnough()
{
    QFETCH(QString, text);
    QFETCH(bool, longEnough);
    QCOMPARE(search::searchTextLongEnough(text), longEnough);
}

QTEST_GUILESS_MAIN(TestFolderSearch)
#include "tst_folder_search.moc"
