#pragma once

#include "app/drop_bar.h"
#include "app/handler_guard.h"
#include "app/main_window_ui.h"
#include "app/result_list_view.h"
#include "app/start_folder_browse.h"
#include "search/background_search.h"
#include "search/search_history.h"
#include "store/activity_log_writer.h"
#include "store/window_settings.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

class QEventLoop;

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

    // Searches then run through searcher, on the search's own thread (tests give a slow
    // folder this way).
    void replaceSearcher(search::BackgroundSearch::Searcher searcher);
    // True while a search typed in the box runs longer than a keystroke.
    bool isSearching() const { return m_typedTicket != 0; }

    // How long a close, or a tidy pass of the logs, waits for the openings not yet written
    // to the activity logs.
    static constexpr std::chrono::milliseconds kLogWait{5000};
    // The openings are then written through write, on the log writer's own thread, and
    // waited for at most logWait (tests give a slow or a blocked disk this way).
    void replaceLogWrite(store::ActivityLogWriter::Write write,
                         std::chrono::milliseconds logWait = kLogWait);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    // The search an action runs (F5, after a trash or a nesting, a filter, the start): done
    // before the action's next step, the window painting meanwhile.
    void runSearch();
    // The search as the user types: the typed letter shows at once, the result when it
    // comes; a newer text cancels an older search.
    void searchAsTyped();
    void onSearchFinished(quint64 ticket, const QStringList &lines);
    void onSearchButtonClicked();
    void onSearchBoxFocused();
    void clearSearch();
    void browseStartFolder();
    void hideStartFolderPanel();

    void onBeginsWithToggled();
    void onStayOnTopToggled();
    void onShowStartFolderToggled();
    void onTidyLogsToggled();
    void onIgnoreAccentsToggled();

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
    // saveSettings, with the tidy pass of the logs (option on) only once the openings
    // handed to the log writer are written, waited for until logsDeadline: the tidy pass
    // rewrites the logs and must never run while one of them is being written.
    void saveSettingsAfterLogs(QDeadlineTimer logsDeadline);
    void wireEvents();
    search::SearchRequest searchRequest() const;
    void showResult(const QString &text, search::SearchMode mode, QStringList lines);
    void wireFolderActions();
    void wireDragAndDrop();
    void setStayOnTop(bool on);
    store::WindowOptions options() const;
    void applyOuterGeometry(const QRect &outer);
    bool belongsToWindow(QObject *object) const;
    // Empties the search box, with no entry of its history current.
    void clearSearchBox();
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
    bool m_closed = false;
    // The session is ending (logout, shutdown): a close then skips the closing steps.
    bool m_sessionEnding = false;
    std::unique_ptr<search::BackgroundSearch> m_search;
    // The search typed in the box that runs longer than a keystroke (0: none), and what
    // its result is shown with.
    quint64 m_typedTicket = 0;
    search::SearchRequest m_typedRequest;
    // The loop an action's search waits in, when it waits.
    QEventLoop *m_searchWait = nullptr;
    std::unique_ptr<store::ActivityLogWriter> m_logWriter;
    std::chrono::milliseconds m_logWait = kLogWait;
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
