// A line of the result list dragged within it: the drag starting at 5 pixels, the
// selection it keeps, and the insertion bar drawn and erased exactly once.
#include "tests/app/drag_drop_fixture.h"

#include <QImage>

class TstDragDrop : public DragDropTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void init() { makeWindow(); }
    void cleanup() { closeWindow(); }

    void dragStartsAtFivePixels_data();
    void dragStartsAtFivePixels();
    void pressOnSelectedLineKeepsSelection();
    void pressCopiesTheLine_data();
    void pressCopiesTheLine();
    void barDrawnAndErasedOnce_data();
    void barDrawnAndErasedOnce();
    void barIsPaintedInverted();
};

void TstDragDrop::dragStartsAtFivePixels_data()
{
    QTest::addColumn<QPoint>("moveBy");
    QTest::addColumn<bool>("starts");
    QTest::newRow("4 pixels right") << QPoint(4, 0) << false;
    QTest::newRow("4 pixels right and 4 down") << QPoint(4, 4) << false;
    QTest::newRow("5 pixels right") << QPoint(5, 0) << true;
    QTest::newRow("5 pixels left") << QPoint(-5, 0) << true;
    QTest::newRow("5 pixels up") << QPoint(0, -5) << true;
    QTest::newRow("6 pixels down") << QPoint(2, 6) << true;
}

void TstDragDrop::dragStartsAtFivePixels()
{
    QFETCH(QPoint, moveBy);
    QFETCH(bool, starts);
    QList<int> started;
    list()->setDragStarter([&](int line) { started.append(line); });
    const QPoint press = pointOfLine(1);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, press);
    // The press makes the line current, as a click does.
    QCOMPARE(list()->currentLine(), 1);
    QTest::mouseMove(viewport(), press + moveBy);
    QCOMPARE(started, starts ? QList<int>{1} : QList<int>());
    // Moving on while the button is held drags that line; it never selects another.
    QTest::mouseMove(viewport(), pointOfLine(2));
    QCOMPARE(started, QList<int>{1});
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(2));
    QCOMPARE(list()->currentLine(), 1);
    QCOMPARE(list()->selectedLines(), QList<int>{1});

    // A press below the last line arms nothing.
    started.clear();
    QTest::mousePress(viewport(), Qt::LeftButton, {}, pointOfLine(3));
    QTest::mouseMove(viewport(), pointOfLine(3) + QPoint(10, 0));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(3) + QPoint(10, 0));
    QCOMPARE(started, QList<int>());
}

void TstDragDrop::pressOnSelectedLineKeepsSelection()
{
    // A drop refused at the confirmation leaves the list in multiple selection, with the
    // source and the destination selected.
    m_desktop->setNextAnswer(Desktop::Button::Cancel);
    dropLine(pointOfLine(0), pointOfLine(3));
    QVERIFY(list()->multipleSelection());
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));
    QCOMPARE(list()->currentLine(), 0);

    // Pressing a selected line arms its drag and keeps the selection; it becomes current.
    QList<int> started;
    list()->setDragStarter([&](int line) { started.append(line); });
    QTest::mousePress(viewport(), Qt::LeftButton, {}, pointOfLine(2));
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));
    QCOMPARE(list()->currentLine(), 2);
    QTest::mouseMove(viewport(), pointOfLine(2) + QPoint(0, 5));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(2) + QPoint(0, 5));
    QCOMPARE(started, QList<int>{2});
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));

    // A click without a drag on a selected line selects that line alone.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, pointOfLine(0));
    QCOMPARE(list()->selectedLines(), QList<int>{0});
    QCOMPARE(list()->currentLine(), 0);
    // Shift extends the selection, Ctrl adds or takes out one line; the focused line is
    // the current one.
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ShiftModifier, pointOfLine(2));
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 1, 2}));
    QCOMPARE(list()->currentLine(), 2);
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ControlModifier, pointOfLine(1));
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));
    QCOMPARE(list()->currentLine(), 1);
    QCOMPARE(list()->currentLineText(), kQ);
    QCOMPARE(started, QList<int>{2});
}

void TstDragDrop::pressCopiesTheLine_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("drags");
    QTest::addColumn<QStringList>("afterPress");
    QTest::addColumn<QStringList>("afterRelease");
    // Line 0 is current. Selecting another line copies its name at the press, also when
    // the press goes on into a drag; a click on the current line copies at the release.
    QTest::newRow("another line, dragged") << 1 << true << QStringList{kQ} << QStringList{kQ};
    QTest::newRow("another line, clicked") << 1 << false << QStringList{kQ} << QStringList{kQ};
    QTest::newRow("current line, dragged") << 0 << true << QStringList() << QStringList();
    QTest::newRow("current line, clicked") << 0 << false << QStringList() << QStringList{kP};
}

void TstDragDrop::pressCopiesTheLine()
{
    QFETCH(int, line);
    QFETCH(bool, drags);
    QFETCH(QStringList, afterPress);
    QFETCH(QStringList, afterRelease);
    QList<int> started;
    list()->setDragStarter([&](int dragged) { started.append(dragged); });
    const QPoint press = pointOfLine(line);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, press);
    QCOMPARE(list()->currentLine(), line);
    QCOMPARE(m_desktop->clipboardHistory(), afterPress);
    const QPoint release = press + (drags ? QPoint(0, 6) : QPoint());
    if (drags)
        QTest::mouseMove(viewport(), release);
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, release);
    QCOMPARE(started, drags ? QList<int>{line} : QList<int>());
    // Once per click, with its balloon.
    QCOMPARE(m_desktop->clipboardHistory(), afterRelease);
    QCOMPARE(m_desktop->notices().size(), afterRelease.size());
}

void TstDragDrop::barDrawnAndErasedOnce_data()
{
    QTest::addColumn<QString>("ending");
    // Qt tells the list of a drag cancelled by Escape as of a drag leaving it.
    QTest::newRow("leaving the list or Escape") << "leave";
    QTest::newRow("drop refused") << "drop";
    QTest::newRow("drag over without a leave") << "end";
}

void TstDragDrop::barDrawnAndErasedOnce()
{
    QFETCH(QString, ending);
    const std::unique_ptr<QMimeData> data(ResultListView::lineDragData(0));
    sendDrag(QEvent::DragEnter, pointOfLine(0), *data);
    QCOMPARE(list()->dropBars(), QList<int>()); // the first move draws it

    const struct
    {
        QPoint point;
        int line;
    } moves[] = {
        {pointOfLine(1), 1},
        {pointOfLine(1) + QPoint(3, 1), 1}, // the same line again: still one bar
        {pointOfLine(2), 2},
        {pointOfLine(3), 3}, // under the last line
        {pointOfLine(3) + QPoint(0, 30), 3},
        {QPoint(viewport()->width() + 4, pointOfLine(1).y()), -1}, // over the border
        {QPoint(-3, pointOfLine(0).y()), -1},
        {pointOfLine(0), 0},
    };
    for (const auto &move : moves) {
        sendDrag(QEvent::DragMove, move.point, *data);
        QCOMPARE(list()->dropBars(), QList<int>{move.line});
    }
    sendDrag(QEvent::DragMove, pointOfLine(2), *data);
    QCOMPARE(list()->dropBars(), QList<int>{2});

    if (ending == QLatin1String("drop")) {
        m_desktop->setNextAnswer(Desktop::Button::Ok);
        sendDrag(QEvent::Drop, pointOfLine(0), *data);
        QCOMPARE(list()->dropBars(), QList<int>());
        QTRY_COMPARE(m_desktop->dialogs().size(), 1);
    } else if (ending == QLatin1String("leave")) {
        sendDrag(QEvent::DragLeave, QPoint(), *data);
        QCOMPARE(list()->dropBars(), QList<int>());
    } else {
        // A real drag of the list, which this platform ends at once: however a drag
        // ends, its bar goes.
        QTest::mousePress(viewport(), Qt::LeftButton, {}, pointOfLine(1));
        QTest::mouseMove(viewport(), pointOfLine(1) + QPoint(0, 6));
        QCOMPARE(list()->dropBars(), QList<int>());
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(1) + QPoint(0, 6));
    }
    // A leave with no bar on screen erases nothing.
    sendDrag(QEvent::DragLeave, QPoint(), *data);
    QCOMPARE(list()->dropBars(), QList<int>());
    QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
}

void TstDragDrop::barIsPaintedInverted()
{
    const QRect rect = list()->lineRect(2);
    const QPoint onBar(rect.left() + 10, rect.top());
    const QPoint aside(rect.left() + 10, rect.center().y());
    const QImage before = viewport()->grab().toImage();
    const std::unique_ptr<QMimeData> data(ResultListView::lineDragData(0));
    sendDrag(QEvent::DragEnter, pointOfLine(2), *data);
    sendDrag(QEvent::DragMove, pointOfLine(2), *data);
    const QImage during = viewport()->grab().toImage();
    const QRgb was = before.pixel(onBar);
    QCOMPARE(during.pixel(onBar) & 0xFFFFFF, ~was & 0xFFFFFF);
    QCOMPARE(during.pixel(aside), before.pixel(aside));
    sendDrag(QEvent::DragLeave, QPoint(), *data);
    QCOMPARE(viewport()->grab().toImage().pixel(onBar), was);
}

QTEST_MAIN(TstDragDrop)

#include "tst_drag_drop.moc"
