#pragma once

#include <QListView>

class ResultListModel;

// The result list `ListBox1`: one line per entry found, uniform line heights so that a
// hundred thousand lines lay out at once.
class ResultListView : public QListView
{
    Q_OBJECT
public:
    explicit ResultListView(QWidget *parent = nullptr);

    ResultListModel *resultModel() const { return m_model; }

    // The current line: its index, -1 when there is none.
    int currentLine() const;
    QString currentLineText() const;
    int count() const;
    // Makes row the current line (selected in single-selection mode).
    void setCurrentLine(int row);

private:
    ResultListModel *m_model;
};
