#include "app/shell_drop_target.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>
#include <QWidget>

ShellDropTarget::ShellDropTarget(QWidget *window) : QObject(window), m_window(window)
{
    window->setAcceptDrops(true);
    // Elements that take drops of their own (the text fields) would catch a file's path
    // as text: the window sees every drag first.
    qApp->installEventFilter(this);
}

folderops::DroppedLinks ShellDropTarget::droppedLinks(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    return folderops::sortDroppedLinks(data->urls(), QSysInfo::machineHostName());
}

bool ShellDropTarget::isOverWindow(QObject *object) const
{
    auto *widget = qobject_cast<QWidget *>(object);
    return widget && (widget == m_window || m_window->isAncestorOf(widget));
}

bool ShellDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    if (!isOverWindow(watched))
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    if (drop->source() && isOverWindow(drop->source()))
        return false; // a drag within the window belongs to its element
    const QMimeData *data = drop->mimeData();
    const folderops::DroppedLinks links = droppedLinks(data);
    if (links.paths.isEmpty()) {
        // Links and text are refused everywhere, so that no path lands in a text field;
        // any other drag (a line of the result list) is the element's own business.
        if (data && (data->hasUrls() || data->hasText())) {
            drop->ignore();
            return true;
        }
        return false;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        auto *target = static_cast<QWidget *>(watched);
        const QPoint position = target->mapTo(m_window, drop->position().toPoint());
        Q_EMIT filesDropped(position, links.paths, links.refused);
    }
    return true;
}
