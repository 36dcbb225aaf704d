#pragma once

#include <QListView>

#include <functional>
#include <memory>

class QMenu;
class QMimeData;
class ResultListModel;

// The result list: one line per entry found, uniform line heights so that a
// hundred thousand lines lay out at once. A right click opens its context menu without
// changing the selection: the menu's commands act on the line selected before.
//
// It tells when the user selects a line, with the mouse or the keyboard (never when the
// program does): a press that makes another line current, at the press, so also when the
// press goes on into a drag; a click on the line already current, at the release. A
// double click anywhere in it, below the last line too, is the list's own: it acts on the
// current line, and so does Enter.
//
// A line is dragged within the list to nest its folder into another: pressing the left
// button on a line arms a drag, which starts once the pointer has moved 5 pixels. While
// a drag of its own lines moves over it, the list tells its drag handler (which draws the
// insertion bar) and, on a drop, raises lineDropped. Single selection at first; in
// multiple selection Shift and Ctrl extend it, and the current line is the line holding
// the focus.
class ResultListView : public QListView
{
    Q_OBJECT
public:
    enum class DragPhase { Enter, Move, Leave };
    // Told each phase of a drag of the list's own lines, with the point in the list's
    // client coordinates; returns whether the list accepts the drag there.
    using DragOverHandler = std::function<bool(DragPhase phase, const QPoint &point)>;
    // Runs the drag of a line; by default a real drag, which returns when it is over.
    using DragStarter = std::function<void(int line)>;

    static constexpr int kDragStartDistance = 5;

    explicit ResultListView(QWidget *parent = nullptr);
    ~ResultListView() override;

    ResultListModel *resultModel() const { return m_model; }
    void setContextMenu(QMenu *menu) { m_menu = menu; }

    // The current line: its index, -1 when there is none.
    int currentLine() const;
    QString currentLineText() const;
    int count() const;
    // Makes row the current line (selected in single-selection mode); no click event.
    void setCurrentLine(int row);
    // The text of a line; the empty text outside the list.
    QString lineText(int row) const;

    void setMultipleSelection(bool on);
    bool multipleSelection() const;
    // Adds a line to the selection without moving the focus.
    void markSelected(int row);
    QList<int> selectedLines() const;

    // The line index under a point of the client area, the number of lines below the
    // last line, -1 outside the client area (over the border or a scroll bar).
    int lineIndexAt(const QPoint &point) const;
    // The rectangle of line i, as wide as the client area: a line's own; for the number of
    // lines, the strip just under the last line; for 0 in an empty list, the first
    // line's place; otherwise empty.
    QRect lineRect(int line) const;

    // The insertion bars on screen, drawn as an inverting pen draws them: drawing a bar
    // where one is already erases it. A bar lies on the top edge of its line's rectangle.
    void toggleDropBar(int line);
    const QList<int> &dropBars() const { return m_dropBars; }

    // The data a drag of a line carries: the list's own format with this process's id,
    // so that a drag from another running copy of the program is not taken for ours.
    static QMimeData *lineDragData(int line);
    static bool isOwnLineDrag(const QMimeData *data);

    void setDragOverHandler(DragOverHandler handler) { m_dragOver = std::move(handler); }
    void setDragStarter(DragStarter starter) { m_dragStarter = std::move(starter); }

Q_SIGNALS:
    void lineDropped(const QPoint &point);
    // The user selected a line, with the mouse or the keyboard; once per click.
    void userSelectedLine();
    // A double click of the left button in the list's client area.
    void listDoubleClicked();
    // Enter (the main key or the keypad's) pressed in the list: it opens the current
    // line as a double click does. A held key tells it once.
    void enterPressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void handleDragOver(DragPhase phase, QDragMoveEvent *event);
    void startLineDrag(int line);
    void onCurrentChanged(const QModelIndex &current);
    void onClicked();

    ResultListModel *m_model;
    QMenu *m_menu = nullptr;
    DragOverHandler m_dragOver;
    DragStarter m_dragStarter;
    QList<int> m_dropBars;
    // The pressed line while a press arms a drag, -1 otherwise.
    int m_armedLine = -1;
    QPoint m_pressPoint;
    // A press on a selected line in multiple selection, decided at release.
    std::unique_ptr<QMouseEvent> m_deferredPress;
    bool m_dragStarted = false;
    // True while a key or a mouse button of the user is being handled: the current-line
    // changes meanwhile are the user's selections.
    bool m_userSelecting = false;
    // The press being handled, until the next one, has already told its selection.
    bool m_pressSelected = false;
};
