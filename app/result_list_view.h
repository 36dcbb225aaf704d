#pragma once

#include <QListView>

class QMenu;
class ResultListModel;

// The result list `ListBox1`: one line per entry found, uniform line heights so that a
// hundred thousand lines lay out at once. A right click opens its context menu without
// changing the selection: the menu's commands act on the line selected before.
class ResultListView : public QListView
{
    Q_OBJECT
public:
    explicit ResultListView(QWidget *parent = nullptr);

    ResultListModel *resultModel() const { return m_model; }
    void setContextMenu(QMenu *menu) { m_menu = menu; }

    // The current line: its index, -1 when there is none.
    int currentLine() const;
    QString currentLineText() const;
    int count() const;
    // Makes row the current line (selected in single-selection mode); no click event.
    void setCurrentLine(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    ResultListModel *m_model;
    QMenu *m_menu = nullptr;
};
