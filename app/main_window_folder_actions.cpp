// The actions on the current line of the result list: open its folder, copy its name,
// send it to the trash, the help items, and the filters that derive a new search from it.
#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/handler_guard.h"
#include "app/main_window.h"
#include "app/result_list_view.h"
#include "app/tray_notice.h"
#include "errors/user_error.h"
#include "folderops/desktop_opening.h"
#include "folderops/recycle_folder.h"
#include "search/folder_search.h"
#include "search/result_filters.h"
#include "search/search_history.h"
#include "store/activity_log_writer.h"
#include "store/program_folders.h"
#include "store/stored_names.h"

#include <QAction>
#include <QComboBox>

namespace {

const char16_t kNestingHelp[] =
    u"Le déplacement sert à imbriquer les dossiers du même patient\r\n\r\nPour déplacer un "
    u"dossier dans un autre\r\n\r\nSélectionner le \"premier dossier\" à la souris et glisser "
    u"la barre sous le nom du \"dossier de destination\"";

// A list line names an entry of the start folder; anything else would make its path
// another folder (an empty line: the start folder itself).
bool isEntryName(const QString &line)
{
    return !line.isEmpty() && line != u"." && line != u".." && !line.contains(u'/');
}

// Puts text on the clipboard and checks that the clipboard took it: an action must not go
// on, nor a balloon say "Copié", over a clipboard that holds something else.
void putOnClipboard(Desktop &desktop, const QString &text)
{
    desktop.setClipboardText(text);
    if (desktop.clipboardText() != text) {
        throw palvoric::UserError(QStringLiteral("Impossible d'ouvrir le Presse-papiers : %1")
                                      .arg(QStringLiteral("il n'a pas accepté le texte")));
    }
}

// The history gets the entry on top unless it holds it already (letters a to z in either
// case); the box keeps the entry as its text.
void addToSearchHistory(QComboBox *box, const QString &entry)
{
    QStringList history;
    for (int i = 0; i < box->count(); ++i)
        history.append(box->itemText(i));
    if (search::addToHistory(history, entry, box->currentText())) {
        box->insertItem(0, history.first());
        box->setEditText(entry);
    }
}

// The filters, each giving the new search text of a line.
std::optional<QString> sameSurnameFilter(const QString &line)
{
    return search::sameSurnameText(line);
}

std::optional<QString> sameFullNameFilter(const QString &line)
{
    return search::sameSurnameAndFirstNameText(line);
}

} // namespace

void MainWindow::wireFolderActions()
{
    connect(m_ui.actionFolderOpen, &QAction::triggered, this,
            guarded(&MainWindow::openCurrentFolder));
    // A double click anywhere in the list, or Enter there, opens the current line.
    connect(m_ui.resultList, &ResultListView::listDoubleClicked, this,
            guarded(&MainWindow::openCurrentFolder));
    connect(m_ui.resultList, &ResultListView::enterPressed, this,
            guarded(&MainWindow::openCurrentFolder));

    // The copy: the action (button, menu item, Ctrl+C), and every line the user selects
    // with the mouse or the keyboard; never a line the program selects.
    connect(m_ui.actionFolderCopyName, &QAction::triggered, this,
            guarded(&MainWindow::copyCurrentName));
    connect(m_ui.resultList, &ResultListView::userSelectedLine, this,
            guarded(&MainWindow::copyCurrentName));

    connect(m_ui.actionFolderTrash, &QAction::triggered, this,
            guarded(&MainWindow::trashCurrentFolder));
    connect(m_ui.actionHelpRevisions, &QAction::triggered, this,
            guarded(&MainWindow::openRevisionNotes));
    connect(m_ui.actionHelpNesting, &QAction::triggered, this,
            guarded(&MainWindow::showNestingHelp));

    const std::pair<QAction *, FilterFunction> filters[] = {
        {m_ui.actionFilterSurname, &sameSurnameFilter},
        {m_ui.actionFilterFullName, &sameFullNameFilter},
        {m_ui.actionFilterFirstName, &search::sameFirstNameText},
    };
    for (const auto &[action, filter] : filters) {
        connect(action, &QAction::triggered, this,
                [this, filter = filter] { guard([&] { applyFilter(filter); }); });
    }
}

// ---- open, copy, trash ------------------------------------------------------------------

void MainWindow::openCurrentFolder()
{
    if (m_ui.resultList->currentLine() < 0) {
        alertBox(m_desktop,
                 QStringLiteral("Vous devez sélectionner le dossier à ouvrir dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    const QString entry = m_ui.resultList->currentLineText();
    // Set by the program: no search runs, the list keeps its lines.
    m_ui.searchBox->setEditText(entry);
    addToSearchHistory(m_ui.searchBox, entry);
    // Written on the log writer's thread; a failure shows in its own error box.
    m_logWriter->logOpening(entry, store::programFolders().dataFolder);
    putOnClipboard(m_desktop, entry);
    const QString path = search::entryPath(startFolder(), entry);
    const folderops::Opening opening = folderops::openFolder(
        path, [this](const QString &folder) { return m_desktop.openFolder(folder); });
    if (opening != folderops::Opening::Opened)
        throw palvoric::UserError(folderops::folderOpeningMessage(opening, path));
}

void MainWindow::copyCurrentName()
{
    if (m_ui.resultList->currentLine() < 0) {
        alertBox(m_desktop,
                 QStringLiteral("Vous devez sélectionner le nom du dossier à copier dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    putOnClipboard(m_desktop, m_ui.resultList->currentLineText());
    // The balloon shows what the clipboard really holds.
    m_trayNotice->notify(m_desktop.clipboardText(), QStringLiteral("Copié"));
}

void MainWindow::trashCurrentFolder()
{
    if (m_ui.resultList->currentLine() < 0) {
        alertBox(m_desktop,
                 QStringLiteral("Vous devez sélectionner le  dossier à supprimer dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    const QString entry = m_ui.resultList->currentLineText();
    folderops::RecycleResult result;
    result.outcome = folderops::RecycleResult::Outcome::Missing;
    if (isEntryName(entry))
        result = folderops::recycleFolder(search::entryPath(startFolder(), entry));
    // The list is rebuilt whatever happened: a folder that went stays out of it, one that
    // could not go stays in it.
    runSearch();
    if (result.outcome != folderops::RecycleResult::Outcome::Recycled)
        throw palvoric::UserError(folderops::recycleFailureMessage(result, entry));
}

// ---- help -------------------------------------------------------------------------------

void MainWindow::openRevisionNotes()
{
    const QString notes =
        store::programFolders().revisionNotesFolder + store::kRevisionNotesFileName;
    const folderops::Opening opening = folderops::openInTextEditor(
        notes, [this](const QString &file) { return m_desktop.openTextFile(file); });
    if (opening != folderops::Opening::Opened)
        throw palvoric::UserError(folderops::notepadOpeningMessage(opening, notes));
}

void MainWindow::showNestingHelp()
{
    infoBox(m_desktop, QString::fromUtf16(kNestingHelp));
}

// ---- filters ----------------------------------------------------------------------------

void MainWindow::applyFilter(FilterFunction filter)
{
    if (m_ui.resultList->count() == 0) {
        alertBox(m_desktop, QStringLiteral("La liste est vide !"), Desktop::DialogKind::Warning);
        return;
    }
    if (m_ui.resultList->currentLine() < 0) {
        alertBox(m_desktop, QStringLiteral("Vous devez sélectionner une ligne dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    const std::optional<QString> text = filter(m_ui.resultList->currentLineText());
    if (!text)
        return; // a name of a single piece has no first name: nothing happens
    m_ui.searchBox->setEditText(*text);
    runSearch();
}
