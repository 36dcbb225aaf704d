// Nesting a folder into another by dragging its line within the result list, and files
// dropped onto the window from the file browser.
#include "app/form1_drag_drop.h"

#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/form1_elements.h"
#include "app/handler_guard.h"
#include "app/move_progress.h"
#include "app/result_list_view.h"
#include "folderops/dropped_files.h"
#include "folderops/list_drop.h"
#include "platform/folder_move.h"
#include "search/folder_search.h"

int DropBarLine = 0;
bool DropBarDrawn = false;

void PaintDropBar(ResultListView *list, int x, int y, TForm1::DragState state, bool &accept)
{
    accept = true;
    switch (state) {
    case TForm1::DragState::Move: {
        const int line = list->lineIndexAt(QPoint(x, y));
        if (DropBarDrawn)
            list->toggleDropBar(DropBarLine); // erases the previous bar
        list->toggleDropBar(line);
        DropBarLine = line;
        DropBarDrawn = true;
        break;
    }
    case TForm1::DragState::Leave:
        if (DropBarDrawn)
            list->toggleDropBar(DropBarLine);
        DropBarDrawn = false;
        break;
    case TForm1::DragState::Enter:
        break; // the first move draws the bar
    }
}

bool ResolveListDrop(ResultListView *list, int x, int y, QString &source, QString &destination)
{
    const folderops::ListDrop drop =
        folderops::resolveListDrop(list->currentLine(), list->lineIndexAt(QPoint(x, y)));
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

namespace {

TForm1::DragState stateOf(ResultListView::DragPhase phase)
{
    switch (phase) {
    case ResultListView::DragPhase::Enter:
        return TForm1::DragState::Enter;
    case ResultListView::DragPhase::Move:
        return TForm1::DragState::Move;
    case ResultListView::DragPhase::Leave:
        break;
    }
    return TForm1::DragState::Leave;
}

// The list has been rebuilt: the line that now holds the destination (or the one above
// it) becomes current and selected.
void reselectAfterNesting(Desktop &desktop, ResultListView *list, int line)
{
    list->setMultipleSelection(false);
    if (list->count() > 0 && line != -1) {
        if (line < 0 || line >= list->count()) {
            // The list stays in single selection until the next resolved drop.
            NoticeBox(desktop,
                      folderops::reselectionErrorText(folderops::listIndexErrorText(line)));
            return;
        }
        list->setCurrentLine(line);
    }
    list->setMultipleSelection(true);
}

} // namespace

void TForm1::wireDragAndDrop()
{
    ResultListView *list = ui.ListBox1;
    connect(list, &ResultListView::linePressed, this,
            [this](const QPoint &point, Qt::MouseButton button, Qt::KeyboardModifiers shift) {
                runGuarded(m_desktop,
                           [&] { ListBox1MouseDown(button, shift, point.x(), point.y()); });
            });
    list->setDragOverHandler([this](ResultListView::DragPhase phase, const QPoint &point) {
        bool accept = false;
        runGuarded(m_desktop,
                   [&] { ListBox1DragOver(point.x(), point.y(), stateOf(phase), accept); });
        return accept;
    });
    // Handled once the drag is over, so that its dialogs do not open inside it.
    connect(
        list, &ResultListView::lineDropped, this,
        [this](const QPoint &point) {
            runGuarded(m_desktop, [&] { ListBox1DragDrop(point.x(), point.y()); });
        },
        Qt::QueuedConnection);
}

void TForm1::ListBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    // No behaviour of its own: the list arms its drags itself.
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
}

void TForm1::ListBox1DragOver(int x, int y, DragState state, bool &accept)
{
    PaintDropBar(ui.ListBox1, x, y, state, accept);
}

void TForm1::ListBox1DragDrop(int x, int y)
{
    ResultListView *list = ui.ListBox1;
    QString source;
    QString destination;
    if (!ResolveListDrop(list, x, y, source, destination)) {
        MessageDialog(m_desktop, folderops::dropUnderNameText(), Desktop::DialogKind::Information,
                      Desktop::Ok);
        return;
    }
    if (folderops::isSameFolder(source, destination)) {
        MessageDialog(m_desktop, folderops::sameFolderText(source), Desktop::DialogKind::Warning,
                      Desktop::Ok);
        return;
    }
    if (MessageDialog(m_desktop, folderops::nestingConfirmationText(source, destination),
                      Desktop::DialogKind::Confirmation, Desktop::Ok | Desktop::Cancel,
                      Desktop::Ok) != Desktop::Ok)
        return;
    const QString sourcePath = search::entryPath(StartFolder(), source);
    const QString destinationPath = search::entryPath(StartFolder(), destination);
    // Taken before the list is rebuilt.
    const int reselect = folderops::reselectionLine(list->lineIndexAt(QPoint(x, y)));
    platform::MoveResult moved;
    {
        MoveProgressWindow progress(this, source, destination);
        moved = platform::MoveFolderInto(sourcePath, destinationPath, progress.callback());
    }
    // A refused or failed move says why; the list is rebuilt all the same.
    if (!moved.message.isEmpty())
        MessageDialog(m_desktop, moved.message,
                      moved.outcome == platform::MoveResult::Outcome::Failed
                          ? Desktop::DialogKind::Error
                          : Desktop::DialogKind::Warning,
                      Desktop::Ok);
    BTN_ChercherExecute();
    reselectAfterNesting(m_desktop, list, reselect);
}

void TForm1::JvDragDrop1Drop(const QPoint &position, const QStringList &paths)
{
    Q_UNUSED(position); // the line under the drop point plays no part
    if (ui.ListBox1->currentLine() < 0) {
        AlertBox(m_desktop, folderops::noTargetText(), Desktop::DialogKind::Warning);
        return;
    }
    const QString target = search::entryPath(StartFolder(), ui.ListBox1->currentLineText());
    if (!ConfirmBox(m_desktop, folderops::dropConfirmationText(paths.size(), target),
                    Desktop::DialogKind::Confirmation))
        return;
    // One by one, in the order given; a failed item does not stop the others.
    for (const QString &path : paths) {
        const QString failure = folderops::MoveDroppedFile(path, target);
        if (!failure.isEmpty())
            InfoBox(m_desktop, failure);
    }
}
