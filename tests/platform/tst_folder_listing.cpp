#include "platform/folder_listing.h"
#include "platform/native_names.h"
#include "tests/support/file_helpers.h"
#include "tests/support/testdir.h"
#include "tests/support/unprivileged.h"

#include <QTest>

#include <algorithm>

using platform::listFolder;

namespace {

QStringList sorted(QStringList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

QList<QByteArray> encodedSorted(const QStringList &names)
{
    QList<QByteArray> bytes;
    for (const QString &name : names)
        bytes.append(platform::encodeFileName(name));
    std::sort(bytes.begin(), bytes.end());
    return bytes;
}

} // namespace

class TestFolderListing : public QObject
{
    Q_OBJECT

private slots:
    void listsFoldersAndFilesButNotHidden();
    void patternSelects_data();
    void patternSelects();
    void neverSelfOrParent_data();
    void neverSelfOrParent();
    void onlyDirectEntries();
    void unusableFolderGivesNothing_data();
    void unusableFolderGivesNothing();
    void unreadableFolderGivesNothing();
    void startFolderThroughLinkAndTrailingSlash();
    void awkwardNamesListedExactly();
    void manyEntriesAllListed();
};

void TestFolderListing::listsFoldersAndFilesButNotHidden()
{
    TestDir dir;
    dir.createDirs({u"DUPONT Marie"_qs, u"MARTIN Paul"_qs, u".DUPONT caché"_qs, u".cache"_qs});
    dir.createFiles({u"DUPONT facture.pdf"_qs, u".hidden-file"_qs});
    QCOMPARE(sorted(listFolder(dir.path(), u"*"_qs)),
             QStringList({u"DUPONT Marie"_qs, u"DUPONT facture.pdf"_qs, u"MARTIN Paul"_qs}));
}

void TestFolderListing::patternSelects_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("begins with") << u"du*"_qs
                                 << QStringList{u"DUMARTIN Luc"_qs, u"DUPONT Marie"_qs,
                                                u"Dupont facture.pdf"_qs};
    QTest::newRow("contains") << u"*mar*"_qs
                              << QStringList{u"DUMARTIN Luc"_qs, u"DUPONT Marie"_qs,
                                             u"MARTIN Paul"_qs};
    QTest::newRow("accent folds") << u"*É*"_qs << QStringList{u"Lefèvre Éloïse"_qs};
    QTest::newRow("question mark")
        << u"d?p*"_qs
        << QStringList{u"DEPRAZ Anne"_qs, u"DUPONT Marie"_qs, u"Dupont facture.pdf"_qs};
    QTest::newRow("no match") << u"zz*"_qs << QStringList{};
}

void TestFolderListing::patternSelects()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    TestDir dir;
    dir.createDirs({u"DUPONT Marie"_qs, u"MARTIN Paul"_qs, u"DUMARTIN Luc"_qs, u"DEPRAZ Anne"_qs,
                    u"Lefèvre Éloïse"_qs, u".DUPONT caché"_qs});
    dir.createFile(u"Dupont facture.pdf"_qs);
    QCOMPARE(sorted(listFolder(dir.path(), pattern)), expected);
}

void TestFolderListing::neverSelfOrParent_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("count"); // of a, bc and d.e
    QTest::newRow("*") << u"*"_qs << 3;
    QTest::newRow("**") << u"**"_qs << 3;
    QTest::newRow("?") << u"?"_qs << 1;
    QTest::newRow("??") << u"??"_qs << 1;
    QTest::newRow(".*") << u".*"_qs << 0;
    QTest::newRow("*.*") << u"*.*"_qs << 1;
    QTest::newRow("*?*") << u"*?*"_qs << 3;
}

void TestFolderListing::neverSelfOrParent()
{
    QFETCH(QString, pattern);
    TestDir dir;
    dir.createDirs({u"a"_qs, u"bc"_qs, u"d.e"_qs});
    const QStringList names = listFolder(dir.path(), pattern);
    QVERIFY(!names.contains(u"."_qs));
    QVERIFY(!names.contains(u".."_qs));
    QFETCH(int, count);
    QCOMPARE(names.size(), count);
}

void TestFolderListing::onlyDirectEntries()
{
    TestDir dir;
    dir.createDirs({u"DUPONT Marie/DUPONT Jean"_qs, u"DURAND Luc/.DUVAL"_qs});
    dir.createFile(u"MARTIN Paul/DUBOIS.txt"_qs);
    QCOMPARE(sorted(listFolder(dir.path(), u"*du*"_qs)),
             QStringList({u"DUPONT Marie"_qs, u"DURAND Luc"_qs}));
}

void TestFolderListing::unusableFolderGivesNothing_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("absolute");
    QTest::newRow("missing") << u"absent"_qs << QString();
    QTest::newRow("plain file") << u"DUPONT facture.pdf"_qs << QString();
    QTest::newRow("file as parent") << u"DUPONT facture.pdf/x"_qs << QString();
    QTest::newRow("empty folder") << u"vide"_qs << QString();
    QTest::newRow("link loop") << u"boucle"_qs << QString();
    QTest::newRow("empty path") << QString() << QString();
    QTest::newRow("path with nul") << QString() << QString::fromUtf16(u"/tmp\0/x", 7);
    QTest::newRow("path without bytes") << QString() << QString::fromUtf16(u"/tmp/\xD800");
}

void TestFolderListing::unusableFolderGivesNothing()
{
    QFETCH(QString, relative);
    QFETCH(QString, absolute);
    TestDir dir;
    dir.createFile(u"DUPONT facture.pdf"_qs);
    dir.createDir(u"vide"_qs);
    QVERIFY(::symlink("boucle", dir.nativePath("boucle").constData()) == 0);
    const QString folder = relative.isNull() ? absolute : dir.filePath(relative);
    QCOMPARE(listFolder(folder, u"*"_qs), QStringList());
}

void TestFolderListing::unreadableFolderGivesNothing()
{
    TestDir dir;
    dir.createDirs({u"patients/DUPONT Marie"_qs, u"patients/MARTIN Paul"_qs});
    dir.setPermissions(QString(), 0755); // others may reach it, but not read "patients"
    dir.setPermissions(u"patients"_qs, 0311);
    const QString folder = dir.filePath(u"patients"_qs);
    const std::optional<bool> empty =
        runUnprivileged([&] { return listFolder(folder, u"*"_qs).isEmpty(); });
    QVERIFY2(empty.has_value(), "could not run as an ordinary user");
    QVERIFY(*empty);
    // The same folder made readable again is listed: the check above is about rights.
    dir.setPermissions(u"patients"_qs, 0755);
    const std::optional<bool> listed =
        runUnprivileged([&] { return listFolder(folder, u"*"_qs).size() == 2; });
    QVERIFY(listed.has_value() && *listed);
}

void TestFolderListing::startFolderThroughLinkAndTrailingSlash()
{
    TestDir dir;
    dir.createDir(u"patients/DUPONT Marie"_qs);
    QVERIFY(::symlink("patients", dir.nativePath("lien").constData()) == 0);
    const QStringList expected{u"DUPONT Marie"_qs};
    QCOMPARE(listFolder(dir.filePath(u"lien"_qs), u"du*"_qs), expected);
    QCOMPARE(listFolder(dir.filePath(u"patients/"_qs), u"du*"_qs), expected);
}

void TestFolderListing::awkwardNamesListedExactly()
{
    const QList<QByteArray> names = {
        "DUPONT\nMarie",
        "DUPONT\tJean",
        "DU" + QByteArray(253, 'x'),
        QByteArray("DUPONT ") + QByteArray("\xC3\xA9", 2).repeated(124),
        "DUPONT \xF0\x9F\x98\x80",
        "DU*PONT",
        "DU?PONT",
        "Dupont \xE8",         // Latin-1, not UTF-8
        "Dupont \xE9",         // another one that a plain decoder would confuse with it
        "Dupont \xEF\xBF\xBD", // a real U+FFFD
        "Du\xED\xB2\x80",      // an encoded surrogate
    };
    TestDir dir;
    for (const QByteArray &name : names)
        dir.createDirBytes(name);
    dir.createFileBytes("DUPONT \xFF.pdf");
    QList<QByteArray> expected = names;
    expected.append("DUPONT \xFF.pdf");
    std::sort(expected.begin(), expected.end());
    QCOMPARE(entriesOf(dir.nativePath("")), expected);
    QCOMPARE(encodedSorted(listFolder(dir.path(), u"du*"_qs)), expected);
    QCOMPARE(encodedSorted(listFolder(dir.path(), u"*"_qs)), expected);
}

void TestFolderListing::manyEntriesAllListed()
{
    // Far more entries than one read of the folder returns.
    TestDir dir;
    for (int i = 0; i < 5000; ++i)
        dir.createFile(u"DUPONT Marie %1"_qs.arg(i));
    dir.createFile(u"MARTIN Paul"_qs);
    QCOMPARE(listFolder(dir.path(), u"du*"_qs).size(), 5000);
    QCOMPARE(listFolder(dir.path(), u"*"_qs).size(), 5001);
    QCOMPARE(listFolder(dir.path(), u"*paul"_qs), QStringList{u"MARTIN Paul"_qs});
}

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folder_listing.moc"
