#include "app/result_list_view.h"

#include "app/result_list_model.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

const QString kLineDragFormat = QStringLiteral("application/x-palvoric-list-line");

QByteArray processTag()
{
    return QByteArray::number(QCoreApplication::applicationPid());
}

} // namespace

ResultListView::ResultListView(QWidget *parent)
    : QListView(parent), m_model(new ResultListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    // The list runs the drags of its lines itself.
    setDragEnabled(false);
    viewport()->setAcceptDrops(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ResultListView::onCurrentChanged);
    connect(this, &QAbstractItemView::clicked, this, &ResultListView::onClicked);
}

ResultListView::~ResultListView() = default;

int ResultListView::currentLine() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

QString ResultListView::currentLineText() const
{
    const int row = currentLine();
    return row < 0 ? QString() : m_model->line(row);
}

int ResultListView::count() const
{
    return m_model->rowCount();
}

QString ResultListView::lineText(int row) const
{
    return m_model->line(row);
}

void ResultListView::setCurrentLine(int row)
{
    if (row < 0 || row >= count()) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = m_model->index(row);
    if (selectionMode() == QAbstractItemView::SingleSelection)
        setCurrentIndex(index);
    else
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void ResultListView::setMultipleSelection(bool on)
{
    if (on == multipleSelection())
        return;
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                        : QAbstractItemView::SingleSelection);
    if (!on) {
        // A single-selection list shows at most its current line selected.
        const QModelIndex current = currentIndex();
        if (current.isValid() && selectionModel()->isSelected(current))
            selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        else
            selectionModel()->clearSelection();
    }
}

bool ResultListView::multipleSelection() const
{
    return selectionMode() != QAbstractItemView::SingleSelection;
}

void ResultListView::markSelected(int row)
{
    if (row >= 0 && row < count())
        selectionModel()->select(m_model->index(row), QItemSelectionModel::Select);
}

QList<int> ResultListView::selectedLines() const
{
    QList<int> lines;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        lines.append(index.row());
    std::sort(lines.begin(), lines.end());
    return lines;
}

int ResultListView::lineIndexAt(const QPoint &point) const
{
    if (!viewport()->rect().contains(point))
        return -1;
    // Lines span the whole width, also where their text ends.
    const QModelIndex index = indexAt(QPoint(0, point.y()));
    return index.isValid() ? index.row() : count();
}

QRect ResultListView::lineRect(int line) const
{
    const int lines = count();
    QRect rect;
    if (line >= 0 && line < lines) {
        rect = visualRect(m_model->index(line));
    } else if (line == lines && lines > 0) {
        rect = visualRect(m_model->index(lines - 1));
        rect.translate(0, rect.height());
    } else if (line == 0) {
        rect = QRect(0, 0, 1, sizeHintForRow(0) > 0 ? sizeHintForRow(0) : fontMetrics().height());
    } else {
        return QRect();
    }
    rect.setLeft(0);
    rect.setRight(viewport()->width() - 1);
    return rect;
}

void ResultListView::toggleDropBar(int line)
{
    if (!m_dropBars.removeOne(line))
        m_dropBars.append(line);
    viewport()->update();
}

QMimeData *ResultListView::lineDragData(int line)
{
    auto *data = new QMimeData;
    data->setData(kLineDragFormat, processTag() + ' ' + QByteArray::number(line));
    return data;
}

bool ResultListView::isOwnLineDrag(const QMimeData *data)
{
    return data && data->hasFormat(kLineDragFormat) &&
           data->data(kLineDragFormat).startsWith(QByteArray(processTag() + ' '));
}

void ResultListView::onCurrentChanged(const QModelIndex &current)
{
    if (!m_userSelecting || !current.isValid())
        return;
    m_pressSelected = true;
    Q_EMIT userSelectedLine();
}

void ResultListView::onClicked()
{
    // A click on the line that was current already; a press that changed the current line
    // told it at the press.
    if (m_pressSelected)
        return;
    m_pressSelected = true;
    Q_EMIT userSelectedLine();
}

void ResultListView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        modifiers == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat())
            Q_EMIT enterPressed();
        return;
    }
    const QScopedValueRollback<bool> selecting(m_userSelecting, true);
    QListView::keyPressEvent(event);
}

void ResultListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    {
        // Where no line was pressed first, the list takes it as a press.
        const QScopedValueRollback<bool> selecting(m_userSelecting, true);
        QListView::mouseDoubleClickEvent(event);
    }
    if (event->button() != Qt::LeftButton)
        return;
    // The release that ends the double click is no click of its own.
    m_pressSelected = true;
    Q_EMIT listDoubleClicked();
}

void ResultListView::mousePressEvent(QMouseEvent *event)
{
    m_pressSelected = false;
    const QScopedValueRollback<bool> selecting(m_userSelecting, true);
    const QPoint point = event->position().toPoint();
    m_armedLine = -1;
    m_deferredPress.reset();
    m_dragStarted = false;
    if (event->button() == Qt::RightButton) {
        event->accept(); // the context menu follows; the selection stays
        return;
    }
    const QModelIndex index = event->button() == Qt::LeftButton ? indexAt(point) : QModelIndex();
    if (index.isValid()) {
        m_armedLine = index.row();
        m_pressPoint = point;
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        const bool keepsSelection =
            multipleSelection() && selectionModel()->isSelected(index) &&
            (!modifiers.testFlag(Qt::ShiftModifier) || modifiers.testFlag(Qt::ControlModifier));
        if (keepsSelection) {
            // The line becomes current and the selection stays for the drag; a click
            // without a drag acts at release as it would have at the press.
            m_deferredPress.reset(event->clone());
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            event->accept();
            return;
        }
    }
    QListView::mousePressEvent(event);
}

void ResultListView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragStarted) {
        event->accept();
        return;
    }
    if (m_armedLine < 0 || !(event->buttons() & Qt::LeftButton)) {
        QListView::mouseMoveEvent(event);
        return;
    }
    // An armed press never drag-selects: it starts the drag or waits.
    event->accept();
    const QPoint moved = event->position().toPoint() - m_pressPoint;
    if (qAbs(moved.x()) < kDragStartDistance && qAbs(moved.y()) < kDragStartDistance)
        return;
    const int line = m_armedLine;
    m_armedLine = -1;
    m_deferredPress.reset();
    m_dragStarted = true;
    startLineDrag(line);
}

void ResultListView::mouseReleaseEvent(QMouseEvent *event)
{
    m_armedLine = -1;
    if (m_dragStarted) {
        // The release ended the drag: no click.
        m_dragStarted = false;
        setState(NoState);
        event->accept();
        return;
    }
    const QScopedValueRollback<bool> selecting(m_userSelecting, true);
    if (m_deferredPress) {
        const std::unique_ptr<QMouseEvent> press = std::move(m_deferredPress);
        QListView::mousePressEvent(press.get());
    }
    QListView::mouseReleaseEvent(event);
}

void ResultListView::startLineDrag(int line)
{
    if (m_dragStarter) {
        m_dragStarter(line);
        return;
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(lineDragData(line));
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    // However the drag ended, no bar stays behind.
    if (m_dragOver)
        m_dragOver(DragPhase::Leave, QPoint());
    m_dragStarted = false;
    setState(NoState);
}

void ResultListView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_menu)
        return;
    m_menu->popup(event->globalPos());
    event->accept();
}

void ResultListView::handleDragOver(DragPhase phase, QDragMoveEvent *event)
{
    if (!isOwnLineDrag(event->mimeData()) || !m_dragOver ||
        !m_dragOver(phase, event->position().toPoint())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void ResultListView::dragEnterEvent(QDragEnterEvent *event)
{
    handleDragOver(DragPhase::Enter, event);
}

void ResultListView::dragMoveEvent(QDragMoveEvent *event)
{
    handleDragOver(DragPhase::Move, event);
}

void ResultListView::dragLeaveEvent(QDragLeaveEvent *event)
{
    if (m_dragOver)
        m_dragOver(DragPhase::Leave, QPoint());
    event->accept();
}

void ResultListView::dropEvent(QDropEvent *event)
{
    if (!isOwnLineDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    // The bar is gone before the drop is handled.
    if (m_dragOver)
        m_dragOver(DragPhase::Leave, point);
    event->setDropAction(Qt::MoveAction);
    event->accept();
    Q_EMIT lineDropped(point);
}

void ResultListView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (m_dropBars.isEmpty())
        return;
    // Two pixels across the border between a line and the one above it, inverted.
    QPainter painter(viewport());
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    for (const int line : std::as_const(m_dropBars)) {
        const QRect rect = lineRect(line);
        if (!rect.isEmpty())
            painter.fillRect(QRect(rect.left(), rect.top() - 1, rect.width(), 2), Qt::black);
    }
}
