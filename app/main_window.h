#pragma once

#include "app/drop_bar.h"
#include "app/handler_guard.h"
#include "app/main_window_ui.h"
#include "app/result_list_view.h"
#include "app/start_folder_browse.h"
#include "search/search_history.h"
#include "store/window_settings.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class Desktop;
class ShellDropTarget;
class TrayNotice;

// The program's one window. Its slots read the widgets, call the routines below the
// window with plain values and write the results back. Every slot that an event raises
// runs inside the error guard (app/handler_guard.h); a slot that another slot calls lets
// its errors go to the caller's guard.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // arguments: the process arguments after the program's own name; they become the
    // first search text.
    MainWindow(Desktop &desktop, const QStringList &arguments, QWidget *parent = nullptr);
    ~MainWindow() override;

    const MainWindowUi &ui() const { return m_ui; }
    TrayNotice &trayNotice() const { return *m_trayNotice; }
    ShellDropTarget &dropTarget() const { return *m_dropTarget; }
    Desktop &desktop() const { return m_desktop; }

    // The folder the search runs in: the start-folder field's text, read afresh.
    QString startFolder() const;
    bool staysOnTop() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void runSearch();
    void onSearchButtonClicked();
    void onSearchBoxFocused();
    void clearSearch();
    void browseStartFolder();
    void hideStartFolderPanel();

    void onBeginsWithToggled();
    void onStayOnTopToggled();
    void onShowStartFolderToggled();
    void onTidyLogsToggled();

    void loadSettings();
    void saveSettings();

    // The actions on the current line (app/main_window_folder_actions.cpp).
    void openCurrentFolder();
    void copyCurrentName();
    void trashCurrentFolder();
    void openRevisionNotes();
    void showNestingHelp();

    // Nesting a folder into another by drag, files dropped from the desktop
    // (app/main_window_drag_drop.cpp).
    void nestDraggedFolder(const QPoint &dropPoint);
    void moveDroppedFiles(const QPoint &position, const QStringList &paths,
                          const QStringList &refused);

private:
    // Derives the new search text from the current line's text; no value: nothing to do.
    using FilterFunction = std::optional<QString> (*)(const QString &line);
    void applyFilter(FilterFunction filter);

    void onFirstShow();
    void wireEvents();
    void wireFolderActions();
    void wireDragAndDrop();
    void setStayOnTop(bool on);
    store::WindowOptions options() const;
    void applyOuterGeometry(const QRect &outer);
    bool belongsToWindow(QObject *object) const;
    bool filterWindowEvent(QObject *watched, QEvent *event);

    // Runs handler inside the error guard; false when it ended with an error, shown already.
    template<class Handler> bool guard(Handler &&handler);
    // A slot wrapped for connect(): each call runs inside the error guard.
    template<class... Args> auto guarded(void (MainWindow::*slot)(Args...));

    Desktop &m_desktop;
    QStringList m_arguments;
    MainWindowUi m_ui;
    TrayNotice *m_trayNotice = nullptr;
    ShellDropTarget *m_dropTarget = nullptr;
    StartFolderBrowse m_browse;
    DropBar m_dropBar;
    search::HistoryFileState m_historyState;
    // The outer size restored from the settings, applied again once the window manager
    // has told the frame's size (until then the frame counts as nothing).
    QSize m_pendingOuterSize;
    bool m_shown = false;
};

template<class Handler> bool MainWindow::guard(Handler &&handler)
{
    return runGuarded(m_desktop, std::forward<Handler>(handler));
}

template<class... Args> auto MainWindow::guarded(void (MainWindow::*slot)(Args...))
{
    return [this, slot](Args... args) {
        guard([&] { (this->*slot)(args...); });
    };
}
