// Nesting a folder into another by dragging its line within the result list, and files
// dropped onto the window from the file browser.
#include "app/main_window.h"

#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/handler_guard.h"
#include "app/main_window_ui.h"
#include "app/move_progress.h"
#include "app/result_list_view.h"
#include "app/shell_drop_target.h"
#include "folderops/dropped_files.h"
#include "folderops/folder_nesting.h"
#include "folderops/list_drop.h"
#include "search/folder_search.h"
#include "store/program_folders.h"

namespace {

// Names the source (the current line) and the destination (the line just above the bar)
// of a drop at point, switches the list to multiple selection and marks both lines.
// False, with nothing changed, when the drop cannot be resolved.
bool resolveDrop(ResultListView *list, const QPoint &point, QString &source, QString &destination)
{
    const folderops::ListDrop drop =
        folderops::resolveListDrop(list->currentLine(), list->lineIndexAt(point));
    if (!drop.resolved)
        return false;
    source = list->lineText(drop.sourceLine);
    destination = list->lineText(drop.destinationLine);
    // Both lines show as selected while the dialogs are open.
    list->setMultipleSelection(true);
    list->markSelected(drop.sourceLine);
    list->markSelected(drop.destinationLine);
    return true;
}

// The list has been rebuilt: the line that now holds the destination (or the one above
// it) becomes current and selected.
void reselectAfterNesting(Desktop &desktop, ResultListView *list, int line)
{
    list->setMultipleSelection(false);
    if (list->count() > 0 && line != -1) {
        if (line < 0 || line >= list->count()) {
            // The list stays in single selection until the next resolved drop.
            noticeBox(desktop,
                      folderops::reselectionErrorText(folderops::listIndexErrorText(line)));
            return;
        }
        list->setCurrentLine(line);
    }
    list->setMultipleSelection(true);
}

} // namespace

void MainWindow::wireDragAndDrop()
{
    m_ui.resultList->setDragOverHandler(
        [this](ResultListView::DragPhase phase, const QPoint &point) {
            // Every drag over the list is accepted; the bar follows the pointer.
            if (phase == ResultListView::DragPhase::Move)
                m_dropBar.update(point);
            else if (phase == ResultListView::DragPhase::Leave)
                m_dropBar.erase();
            return true;
        });
    // Handled once the drag is over, so that its dialogs do not open inside it.
    connect(m_ui.resultList, &ResultListView::lineDropped, this,
            guarded(&MainWindow::nestDraggedFolder), Qt::QueuedConnection);
    connect(m_dropTarget, &ShellDropTarget::filesDropped, this,
            guarded(&MainWindow::moveDroppedFiles));
}

void MainWindow::nestDraggedFolder(const QPoint &dropPoint)
{
    ResultListView *list = m_ui.resultList;
    QString source;
    QString destination;
    if (!resolveDrop(list, dropPoint, source, destination)) {
        messageDialog(m_desktop, folderops::dropUnderNameText(), Desktop::DialogKind::Information,
                      Desktop::Button::Ok);
        return;
    }
    if (folderops::isSameFolder(source, destination)) {
        messageDialog(m_desktop, folderops::sameFolderText(source), Desktop::DialogKind::Warning,
                      Desktop::Button::Ok);
        return;
    }
    if (messageDialog(m_desktop, folderops::nestingConfirmationText(source, destination),
                      Desktop::DialogKind::Confirmation,
                      Desktop::Button::Ok | Desktop::Button::Cancel,
                      Desktop::Button::Ok) != Desktop::Button::Ok)
        return;
    const QString sourcePath = search::entryPath(startFolder(), source);
    const QString destinationPath = search::entryPath(startFolder(), destination);
    // Taken before the list is rebuilt.
    const int reselect = folderops::reselectionLine(list->lineIndexAt(dropPoint));
    folderops::NestingResult moved;
    {
        MoveProgressWindow progress(this, source, destination);
        moved = folderops::nestFolder(sourcePath, destinationPath, progress.callback(),
                                      store::programFolders().dataFolder);
    }
    // A refused or failed move says why; the list is rebuilt all the same.
    if (!moved.message.isEmpty())
        messageDialog(m_desktop, moved.message,
                      moved.move.outcome == platform::MoveResult::Outcome::Failed
                          ? Desktop::DialogKind::Error
                          : Desktop::DialogKind::Warning,
                      Desktop::Button::Ok);
    runSearch();
    reselectAfterNesting(m_desktop, list, reselect);
}

void MainWindow::moveDroppedFiles(const QPoint &position, const QStringList &paths,
                                  const QStringList &refused)
{
    Q_UNUSED(position); // the line under the drop point plays no part
    if (m_ui.resultList->currentLine() < 0) {
        alertBox(m_desktop, folderops::noTargetText(), Desktop::DialogKind::Warning);
        return;
    }
    const QString target = search::entryPath(startFolder(), m_ui.resultList->currentLineText());
    // Said before the confirmation, which counts only what can be moved.
    if (!refused.isEmpty())
        alertBox(m_desktop, folderops::refusedLinksText(refused), Desktop::DialogKind::Warning);
    if (!confirmBox(m_desktop, folderops::dropConfirmationText(paths.size(), target),
                    Desktop::DialogKind::Confirmation))
        return;
    // One by one, in the order given; a failed item does not stop the others.
    for (const QString &path : paths) {
        const QString failure = folderops::moveDroppedFile(path, target);
        if (!failure.isEmpty())
            infoBox(m_desktop, failure);
    }
}
