#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The lines of the result list: one entry name per line, in the order the
// search gives them. A new search replaces all lines at once (one model reset), which a
// view with uniform item sizes lays out without asking for each line.
class ResultListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit ResultListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    void setLines(QStringList lines);
    const QStringList &lines() const { return m_lines; }
    // The text of a line; the empty text outside the list.
    QString line(int row) const;

private:
    QStringList m_lines;
};
