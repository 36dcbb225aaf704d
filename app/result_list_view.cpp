#include "app/result_list_view.h"

#include "app/result_list_model.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

ResultListView::ResultListView(QWidget *parent)
    : QListView(parent), m_model(new ResultListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
}

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

void ResultListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept(); // the context menu follows; the selection stays
        return;
    }
    QListView::mousePressEvent(event);
}

void ResultListView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_menu)
        return;
    m_menu->popup(event->globalPos());
    event->accept();
}
