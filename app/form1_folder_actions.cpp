// The actions on the current line of the result list: open its folder, copy its name,
// send it to the trash, the help items, and the filters that derive a new search from it.
#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/form1.h"
#include "app/handler_guard.h"
#include "app/result_list_view.h"
#include "app/tray_notice.h"
#include "folderops/desktop_opening.h"
#include "folderops/recycle_folder.h"
#include "platform/exe_identity.h"
#include "platform/user_error.h"
#include "search/folder_search.h"
#include "search/result_filters.h"
#include "search/search_history.h"
#include "store/activity_log.h"
#include "store/stored_names.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QItemSelectionModel>

namespace {

const char16_t kNestingHelp[] =
    u"Le déplacement sert à imbriquer les dossiers du même patient\r\n\r\nPour déplacer un "
    u"dossier dans un autre\r\n\r\nSélectionner le \"premier dossier\" à la souris et glisser "
    u"la barre sous le nom du \"dossier de destination\"";

// Tells the lines the user selects with the keyboard from those the program selects: the
// list's handling of a key press runs inside this filter, and the current-line changes
// made meanwhile are the user's. The program's own selections happen outside any key
// press that reached the list.
class KeyboardSelection : public QObject
{
public:
    explicit KeyboardSelection(QWidget *list) : QObject(list) { list->installEventFilter(this); }
    bool active() const { return m_active; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || m_active)
            return false;
        m_active = true;
        // The list's own handling, exactly as it would have run after the filters.
        const bool handled = watched->event(event);
        m_active = false;
        return handled;
    }

private:
    bool m_active = false;
};

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
    if (search::AddToHistory(history, entry, box->currentText())) {
        box->insertItem(0, history.first());
        box->setEditText(entry);
    }
}

// The common start of the filters: the current line's text, or a warning and false.
bool filterLine(const Form1Elements &ui, Desktop &desktop, QString *line)
{
    if (ui.ListBox1->count() == 0) {
        AlertBox(desktop, QStringLiteral("La liste est vide !"), Desktop::DialogKind::Warning);
        return false;
    }
    if (ui.ListBox1->currentLine() < 0) {
        AlertBox(desktop, QStringLiteral("Vous devez sélectionner une ligne dans la liste"),
                 Desktop::DialogKind::Warning);
        return false;
    }
    *line = ui.ListBox1->currentLineText();
    return true;
}

} // namespace

void TForm1::wireFolderActions()
{
    auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] {
            runGuarded(m_desktop, [this, handler] { (this->*handler)(); });
        };
    };
    connect(ui.mnu_EXPLORE, &QAction::triggered, this, guarded(&TForm1::mnu_EXPLOREClick));
    connect(ui.ListBox1, &QAbstractItemView::doubleClicked, this,
            guarded(&TForm1::mnu_EXPLOREClick));

    // The copy: the action (button, menu item, Ctrl+C), and every line the user selects
    // with the mouse or the keyboard; never a line the program selects.
    connect(ui.Copy, &QAction::triggered, this, guarded(&TForm1::CopyExecute));
    connect(ui.ListBox1, &QAbstractItemView::clicked, this, guarded(&TForm1::CopyExecute));
    auto *keyboard = new KeyboardSelection(ui.ListBox1);
    connect(ui.ListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, keyboard, copy = guarded(&TForm1::CopyExecute)](const QModelIndex &current) {
                if (keyboard->active() && current.isValid())
                    copy();
            });

    connect(ui.Supprimer1, &QAction::triggered, this, guarded(&TForm1::Supprimer1Click));
    connect(ui.Rvisiions1, &QAction::triggered, this, guarded(&TForm1::Rvisiions1Click));
    connect(ui.N5, &QAction::triggered, this, guarded(&TForm1::N5Click));
    connect(ui.ApartirduNOM1, &QAction::triggered, this, guarded(&TForm1::ApartirduNOM1Click));
    connect(ui.ApartirduNometduPrnom1, &QAction::triggered, this,
            guarded(&TForm1::ApartirduNometduPrnom1Click));
    connect(ui.Filtrerselonleprnom1, &QAction::triggered, this,
            guarded(&TForm1::Filtrerselonleprnom1Click));
}

// ---- open, copy, trash ------------------------------------------------------------------

void TForm1::mnu_EXPLOREClick()
{
    if (ui.ListBox1->currentLine() < 0) {
        AlertBox(m_desktop,
                 QStringLiteral("Vous devez sélectionner le dossier à ouvrir dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    const QString entry = ui.ListBox1->currentLineText();
    // Set by the program: no search runs, the list keeps its lines.
    ui.Cherche->setEditText(entry);
    addToSearchHistory(ui.Cherche, entry);
    store::logOpening(entry, platform::ExeFolder());
    putOnClipboard(m_desktop, entry);
    const QString path = search::entryPath(StartFolder(), entry);
    const folderops::Opening opening = folderops::OpenFolder(
        path, [this](const QString &folder) { return m_desktop.openFolder(folder); });
    if (opening != folderops::Opening::Opened)
        throw palvoric::UserError(folderops::folderOpeningMessage(opening, path));
}

void TForm1::CopyExecute()
{
    if (ui.ListBox1->currentLine() < 0) {
        AlertBox(m_desktop,
                 QStringLiteral("Vous devez sélectionner le nom du dossier à copier dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    putOnClipboard(m_desktop, ui.ListBox1->currentLineText());
    // The balloon shows what the clipboard really holds.
    m_trayIcon->notify(m_desktop.clipboardText(), QStringLiteral("Copié"));
}

void TForm1::Supprimer1Click()
{
    if (ui.ListBox1->currentLine() < 0) {
        AlertBox(m_desktop,
                 QStringLiteral("Vous devez sélectionner le  dossier à supprimer dans la liste"),
                 Desktop::DialogKind::Warning);
        return;
    }
    const QString entry = ui.ListBox1->currentLineText();
    folderops::RecycleResult result;
    result.outcome = folderops::RecycleResult::Outcome::Missing;
    if (isEntryName(entry))
        result = folderops::RecycleFolder(search::entryPath(StartFolder(), entry));
    // The list is rebuilt whatever happened: a folder that went stays out of it, one that
    // could not go stays in it.
    BTN_ChercherExecute();
    if (result.outcome != folderops::RecycleResult::Outcome::Recycled)
        throw palvoric::UserError(folderops::recycleFailureMessage(result, entry));
}

// ---- help -------------------------------------------------------------------------------

void TForm1::Rvisiions1Click()
{
    const QString notes = platform::ExeFolder() + store::kRevisionNotesFileName;
    const folderops::Opening opening = folderops::OpenInNotepad(
        notes, [this](const QString &file) { return m_desktop.openTextFile(file); });
    if (opening != folderops::Opening::Opened)
        throw palvoric::UserError(folderops::notepadOpeningMessage(opening, notes));
}

void TForm1::N5Click()
{
    InfoBox(m_desktop, QString::fromUtf16(kNestingHelp));
}

// ---- filters ----------------------------------------------------------------------------

void TForm1::ApartirduNOM1Click()
{
    QString line;
    if (!filterLine(ui, m_desktop, &line))
        return;
    ui.Cherche->setEditText(search::sameSurnameText(line));
    BTN_ChercherExecute();
}

void TForm1::ApartirduNometduPrnom1Click()
{
    QString line;
    if (!filterLine(ui, m_desktop, &line))
        return;
    ui.Cherche->setEditText(search::sameSurnameAndFirstNameText(line));
    BTN_ChercherExecute();
}

void TForm1::Filtrerselonleprnom1Click()
{
    QString line;
    if (!filterLine(ui, m_desktop, &line))
        return;
    const std::optional<QString> text = search::sameFirstNameText(line);
    if (!text)
        return; // a single piece: nothing happens
    ui.Cherche->setEditText(*text);
    BTN_ChercherExecute();
}
