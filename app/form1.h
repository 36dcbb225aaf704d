#pragma once

#include "app/form1_elements.h"
#include "app/start_folder_browse.h"
#include "search/search_history.h"
#include "store/window_settings.h"

#include <QStringList>
#include <QWidget>

class Desktop;
class ShellDropTarget;
class TrayNotice;

// The main window and its controller: it owns the elements of the window and every
// event handler of the program. Handlers read the elements, call the routines below the
// window with plain values and write the results back. Each handler raised by an event
// runs inside the error guard; handlers run by another handler let errors go to its guard.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    // arguments: the process arguments after the program's own name.
    TForm1(Desktop &desktop, const QStringList &arguments, QWidget *parent = nullptr);
    ~TForm1() override;

    const Form1Elements &elements() const { return ui; }
    TrayNotice &trayIcon() const { return *m_trayIcon; }
    ShellDropTarget &dropTarget() const { return *m_dropTarget; }
    Desktop &desktop() const { return m_desktop; }

    // The folder the search runs in: the start-folder field's text, read afresh.
    QString StartFolder() const;
    bool stayOnTop() const;
    // The picture an option item shows, as an index into the image list; -1 for none.
    static int pictureOf(const QAction *item);

    // Handlers, named after their element and event.
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormKeyPress(QChar key);
    void ChercheEnter();
    void chk_DEBUTClick();
    void chk_StayOnTopClick();
    void chk_DOSSIERClick();
    void chk_LOGClick();
    void panel_dossierButtonClick();
    void Quitter1Click();
    void BTN_ChercherExecute();
    void Button1Click();
    void ini_getExecute();
    void ini_saveExecute();
    void JvDragDrop1Drop(const QPoint &position, const QStringList &paths);

    // Actions on the current line: open, copy, trash, help, filters
    // (app/form1_folder_actions.cpp).
    void mnu_EXPLOREClick();
    void CopyExecute();
    void Supprimer1Click();
    void Rvisiions1Click();
    void N5Click();
    void ApartirduNOM1Click();
    void ApartirduNometduPrnom1Click();
    void Filtrerselonleprnom1Click();

    // Nesting a folder into another by drag, files dropped from the desktop
    // (app/form1_drag_drop.cpp).
    enum class DragState { Enter, Leave, Move };
    void ListBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void ListBox1DragOver(int x, int y, DragState state, bool &accept);
    void ListBox1DragDrop(int x, int y);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wireEvents();
    // Wiring of the handlers that live in their own files.
    void wireFolderActions();
    void wireDragAndDrop();
    void setPicture(QAction *item, int picture);
    void setStayOnTop(bool on);
    store::WindowOptions options() const;
    void applyOuterGeometry(const QRect &outer);
    bool belongsToWindow(QObject *object) const;
    bool filterWindowEvent(QObject *watched, QEvent *event);
    // Runs a handler raised by an event; false when it ended with an error, shown already.
    template<class Handler> bool guard(Handler &&handler);

    Desktop &m_desktop;
    QStringList m_arguments;
    Form1Elements ui;
    TrayNotice *m_trayIcon = nullptr;
    ShellDropTarget *m_dropTarget = nullptr;
    StartFolderBrowse m_browse;
    search::HistoryFileState m_historyState;
    // The outer size restored from the settings, applied again once the window manager
    // has told the frame's size (until then the frame counts as nothing).
    QSize m_pendingOuterSize;
    bool m_shown = false;
};
