#include "app/result_list_model.h"

#include <QListView>
#include <QSignalSpy>
#include <QTest>

class TestResultListModel : public QObject
{
    Q_OBJECT

private slots:
    void setLinesReplacesAllAtOnce();
    void lineOutsideTheListIsEmpty_data();
    void lineOutsideTheListIsEmpty();
    void awkwardLinesShownAsTheyAre();
    void largeListLaysOutInAView();
};

void TestResultListModel::setLinesReplacesAllAtOnce()
{
    ResultListModel model;
    model.setLines({u"DUPONT Jean"_qs, u"DUPONT Marie"_qs});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.setLines({u"MARTIN Paul"_qs, u"Martinez Ana"_qs, u"DUMARTIN Luc"_qs});
    QCOMPARE(resets.size(), 1);
    QCOMPARE(inserts.size(), 0);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.lines(),
             QStringList({u"MARTIN Paul"_qs, u"Martinez Ana"_qs, u"DUMARTIN Luc"_qs}));
    QCOMPARE(model.data(model.index(1)).toString(), u"Martinez Ana"_qs);
    QCOMPARE(model.line(2), u"DUMARTIN Luc"_qs);
    QCOMPARE(model.rowCount(model.index(0)), 0); // a list: no children
    model.setLines({});
    QCOMPARE(model.rowCount(), 0);
}

void TestResultListModel::lineOutsideTheListIsEmpty_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("none") << -1;
    QTest::newRow("past the end") << 2;
    QTest::newRow("far") << 1000000;
}

void TestResultListModel::lineOutsideTheListIsEmpty()
{
    QFETCH(int, row);
    ResultListModel model;
    model.setLines({u"DUPONT Jean"_qs, u"DUPONT Marie"_qs});
    QCOMPARE(model.line(row), QString());
    QVERIFY(!model.data(model.index(row)).isValid());
}

void TestResultListModel::awkwardLinesShownAsTheyAre()
{
    // Names that are not text come as lone surrogates; the line keeps them, so that its
    // path leads back to its entry, and drawing them must not fail.
    const QStringList lines = {QString::fromUtf16(u"Lef\xDCE8vre"),
                               QString::fromUtf16(u"\xDCFF\xDCFE"),
                               u"DUPONT\nMarie"_qs,
                               u"DUPONT\tJean"_qs,
                               u"DUPONT \U0001F600"_qs,
                               QString(255, u'D'),
                               u"Le\u0301a"_qs};
    ResultListModel model;
    model.setLines(lines);
    for (int row = 0; row < lines.size(); ++row)
        QCOMPARE(model.data(model.index(row)).toString(), lines[row]);
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setCurrentIndex(model.index(0));
    const QImage image = view.viewport()->grab().toImage();
    QVERIFY(!image.isNull());
    QCOMPARE(view.currentIndex().row(), 0);
}

void TestResultListModel::largeListLaysOutInAView()
{
    QStringList lines;
    for (int i = 0; i < 100000; ++i)
        lines.append(u"DUPONT Marie %1"_qs.arg(i, 6, 10, QChar(u'0')));
    ResultListModel model;
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    model.setLines(lines);
    view.doItemsLayout();
    view.scrollToBottom();
    const QRect last = view.visualRect(model.index(99999));
    QVERIFY(view.viewport()->rect().contains(last));
    QCOMPARE(view.indexAt(last.center()).row(), 99999);
    QCOMPARE(view.indexAt(last.center() + QPoint(0, last.height())).row(), -1);
}

QTEST_MAIN(TestResultListModel)
#include "tst_result_list_model.moc"
