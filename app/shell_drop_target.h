#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>

#include "folderops/dropped_links.h"

class QDropEvent;
class QMimeData;
class QWidget;

// Files and folders dragged from the file browser may be dropped anywhere
// on the window, over any element; each drop raises filesDropped with the point in the
// window's coordinates and the full paths in the order given. Only files of this machine
// count (folderops/dropped_links.h): a drag that carries none, links and plain text, is
// refused over the whole window. Drags that start inside
// the window, or carry neither links nor text (a line of the result list), are left to
// the element under the pointer.
class ShellDropTarget : public QObject
{
    Q_OBJECT
public:
    explicit ShellDropTarget(QWidget *window);

    // The local paths a drag carries, in order, and its other links.
    static folderops::DroppedLinks droppedLinks(const QMimeData *data);

Q_SIGNALS:
    // refused: the links dropped with the files that name no file of this machine.
    void filesDropped(const QPoint &position, const QStringList &paths, const QStringList &refused);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isOverWindow(QObject *object) const;

    QWidget *m_window;
};
