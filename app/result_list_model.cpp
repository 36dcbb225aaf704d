#include "app/result_list_model.h"

ResultListModel::ResultListModel(QObject *parent) : QAbstractListModel(parent) {}

int ResultListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return m_lines.at(index.row());
    default:
        return {};
    }
}

void ResultListModel::setLines(QStringList lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

QString ResultListModel::line(int row) const
{
    return row >= 0 && row < m_lines.size() ? m_lines.at(row) : QString();
}
