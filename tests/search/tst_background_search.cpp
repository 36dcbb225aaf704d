// The search on its own thread: the latest request's result only, never an older one,
// cancellation between reads, and nothing after the object is gone.
#include "search/background_search.h"
#include "tests/support/file_helpers.h"
#include "tests/support/search/gated_searcher.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using search::BackgroundSearch;
using search::SearchRequest;

namespace {

const QLocale kFrench(QLocale::French, QLocale::France);

SearchRequest request(const QString &text)
{
    return {QStringLiteral("/nulle-part"), text, search::SearchMode::BeginsWith, kFrench};
}

} // namespace

class TstBackgroundSearch : public QObject
{
    Q_OBJECT
private slots:
    void latestResultOnly_data();
    void latestResultOnly();
    void resultTakenInLineIsNotGivenAgain();
    void cancelGivesNothing();
    void destroyedDuringASearch();
    void searchesTheRealFolder();
};

void TstBackgroundSearch::latestResultOnly_data()
{
    // The order in which the folder answers the typed texts.
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("in the order typed") << QStringList{u"du"_qs, u"dup"_qs, u"dupo"_qs};
    QTest::newRow("the oldest last") << QStringList{u"dupo"_qs, u"dup"_qs, u"du"_qs};
}

// Texts typed faster than the folder answers: the result shown is the last text's.
void TstBackgroundSearch::latestResultOnly()
{
    QFETCH(QStringList, answers);
    GatedSearcher folder;
    BackgroundSearch background(kFrench, folder.searcher());
    QSignalSpy finished(&background, &BackgroundSearch::finished);
    background.start(request(u"du"_qs));
    QVERIFY(folder.waitUntilBegun(u"du"_qs));
    background.start(request(u"dup"_qs));
    const quint64 last = background.start(request(u"dupo"_qs));
    QVERIFY(folder.waitUntilBegun(u"dupo"_qs));
    for (const QString &text : answers)
        folder.open(text);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toULongLong(), last);
    QCOMPARE(finished.at(0).at(1).toStringList(), QStringList{u"dupo trouvé"_qs});
    // The first search was stopped between two reads; the second never ran.
    QVERIFY(folder.wasCancelled(u"du"_qs));
    QVERIFY(!folder.hasBegun(u"dup"_qs) || folder.wasCancelled(u"dup"_qs));
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 1);
}

void TstBackgroundSearch::resultTakenInLineIsNotGivenAgain()
{
    GatedSearcher folder;
    folder.open(u"du"_qs);
    BackgroundSearch background(kFrench, folder.searcher());
    QSignalSpy finished(&background, &BackgroundSearch::finished);
    const quint64 ticket = background.start(request(u"du"_qs));
    const std::optional<QStringList> lines = background.waitFor(ticket, std::chrono::seconds(10));
    QVERIFY(lines);
    QCOMPARE(*lines, QStringList{u"du trouvé"_qs});
    // The worker posted its delivery before the result was taken: it gives nothing now.
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 0);
    // A wait for a request superseded since gives nothing either.
    const quint64 older = background.start(request(u"dup"_qs));
    background.start(request(u"dupo"_qs));
    QVERIFY(!background.waitFor(older, std::chrono::milliseconds(0)));
}

void TstBackgroundSearch::cancelGivesNothing()
{
    GatedSearcher folder;
    BackgroundSearch background(kFrench, folder.searcher());
    QSignalSpy finished(&background, &BackgroundSearch::finished);
    const quint64 ticket = background.start(request(u"du"_qs));
    QVERIFY(folder.waitUntilBegun(u"du"_qs));
    background.cancel();
    QTRY_VERIFY(folder.wasCancelled(u"du"_qs));
    folder.open(u"du"_qs);
    QVERIFY(!background.waitFor(ticket, std::chrono::milliseconds(0)));
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 0);
}

// The window closes while its folder is still being read: the search stops, and nothing
// is given to an object that is gone.
void TstBackgroundSearch::destroyedDuringASearch()
{
    GatedSearcher folder;
    auto background = std::make_unique<BackgroundSearch>(kFrench, folder.searcher());
    int results = 0;
    connect(background.get(), &BackgroundSearch::finished, this, [&] { ++results; });
    background->start(request(u"du"_qs));
    QVERIFY(folder.waitUntilBegun(u"du"_qs));
    background.reset();
    QVERIFY(folder.wasCancelled(u"du"_qs));
    QCoreApplication::processEvents();
    QCOMPARE(results, 0);
}

void TstBackgroundSearch::searchesTheRealFolder()
{
    QTemporaryDir dir;
    for (const char *name : {"DUPONT Marie", "dupuis Jean", "MARTIN Luc", "Dupré Anne"})
        QVERIFY(writeFileBytes(dir.filePath(QString::fromUtf8(name)), ""));
    BackgroundSearch background(kFrench);
    const quint64 ticket =
        background.start({dir.path(), u"dup"_qs, search::SearchMode::BeginsWith, kFrench});
    const std::optional<QStringList> lines = background.waitFor(ticket, std::chrono::seconds(10));
    QVERIFY(lines);
    QCOMPARE(*lines, (QStringList{u"DUPONT Marie"_qs, u"Dupré Anne"_qs, u"dupuis Jean"_qs}));
}

QTEST_GUILESS_MAIN(TstBackgroundSearch)

#include "tst_background_search.moc"
