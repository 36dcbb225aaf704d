#include "app/main_window.h"

#include "app/captioned_panel.h"
#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/directory_edit.h"
#include "app/handler_guard.h"
#include "app/icons.h"
#include "app/main_window_ui.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/shell_drop_target.h"
#include "app/tray_notice.h"
#include "app/window_title.h"
#include "errors/user_error.h"
#include "platform/command_line.h"
#include "platform/exe_identity.h"
#include "platform/program_files_lock.h"
#include "search/folder_search.h"
#include "search/search_history.h"
#include "store/activity_log.h"
#include "store/activity_log_writer.h"
#include "store/ini_file.h"
#include "store/program_folders.h"
#include "store/window_settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <new>

MainWindow::MainWindow(Desktop &desktop, const QStringList &arguments, QWidget *parent)
    : QWidget(parent), m_desktop(desktop), m_arguments(arguments)
{
    // Every dialog of the program belongs to this window, from the load's errors on.
    m_desktop.setMainWindow(this);
    // No maximise button; the frame stays resizable.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_ui = buildMainWindowUi(this);
    m_dropBar = DropBar(m_ui.resultList);
    setWindowIcon(QIcon(QStringLiteral(":/pictures/palvoric.svg")));
    m_trayNotice = new TrayNotice(m_desktop, this);
    m_dropTarget = new ShellDropTarget(this);
    // Started now: it prepares the sort while the window comes up.
    replaceSearcher({});
    replaceLogWrite({});
    wireEvents();
    guard([this] { loadSettings(); });
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
}

void MainWindow::wireEvents()
{
    // Key preview: the window sees every key before the focused element does.
    qApp->installEventFilter(this);
#ifndef QT_NO_SESSIONMANAGER
    // The session manager asks the programs to save their data when the session ends
    // (and at a mere checkpoint, which the user's next key or click tells apart).
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { m_sessionEnding = true; });
#endif

    connect(m_ui.startFolderPanel, &CaptionedPanel::closeButtonClicked, this,
            guarded(&MainWindow::hideStartFolderPanel));
    connect(m_ui.startFolderEdit, &DirectoryEdit::browseClicked, this,
            guarded(&MainWindow::browseStartFolder));
    connect(m_ui.searchButton, &QPushButton::clicked, this,
            guarded(&MainWindow::onSearchButtonClicked));
    connect(m_ui.beginsWithCheck, &QCheckBox::toggled, this,
            guarded(&MainWindow::onBeginsWithToggled));
    // The search box changes by the user's edits and by a pick in its drop-down list;
    // a text set by the program raises neither.
    connect(m_ui.searchBox->lineEdit(), &QLineEdit::textEdited, this,
            guarded(&MainWindow::searchAsTyped));
    connect(m_ui.searchBox, &QComboBox::activated, this, guarded(&MainWindow::searchAsTyped));

    connect(m_ui.actionSaveSettings, &QAction::triggered, this, guarded(&MainWindow::saveSettings));
    connect(m_ui.actionLoadSettings, &QAction::triggered, this, guarded(&MainWindow::loadSettings));
    connect(m_ui.actionSearch, &QAction::triggered, this, guarded(&MainWindow::runSearch));

    connect(m_ui.actionStayOnTop, &QAction::triggered, this,
            guarded(&MainWindow::onStayOnTopToggled));
    connect(m_ui.actionShowStartFolder, &QAction::triggered, this,
            guarded(&MainWindow::onShowStartFolderToggled));
    connect(m_ui.actionTidyLogs, &QAction::triggered, this,
            guarded(&MainWindow::onTidyLogsToggled));
    connect(m_ui.actionIgnoreAccents, &QAction::triggered, this,
            guarded(&MainWindow::onIgnoreAccentsToggled));
    // Closing runs the save inside closeEvent's own guard.
    connect(m_ui.actionQuit, &QAction::triggered, this, &QWidget::close);
    wireFolderActions();
    wireDragAndDrop();
}

QString MainWindow::startFolder() const
{
    return m_ui.startFolderEdit->text();
}

// ---- start-up and closing ---------------------------------------------------------------

void MainWindow::onFirstShow()
{
    setWindowTitle(mainWindowTitle(QString(), QStringLiteral("dd/mm/yyyy")));
    m_ui.startFolderPanel->setVisible(m_ui.actionShowStartFolder->isChecked());
    setStayOnTop(m_ui.actionStayOnTop->isChecked());
    m_ui.searchBox->setEditText(platform::commandLineText(m_arguments));
    runSearch();
    m_ui.searchBox->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        guard([this] { onFirstShow(); });
    }
    QWidget::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The openings not yet in the logs get a few seconds to reach them, shared by the
    // whole close; a disk that keeps them longer does not keep the window.
    const QDeadlineTimer logsDeadline(m_logWait);
    // When the session ends, the program ends with it without the closing steps: nothing
    // may keep the logout waiting (an error box) or cancel it (a close refused). Otherwise
    // a failed save keeps the window open: the user's settings are not lost silently.
    if (m_sessionEnding)
        m_logWriter->disconnect(this);
    else if (!guard([&] { saveSettingsAfterLogs(logsDeadline); })) {
        event->ignore();
        return;
    }
    const QStringList unwritten = m_logWriter->waitForPending(logsDeadline);
    if (!unwritten.isEmpty() && !m_sessionEnding) {
        reportHandlerError(m_desktop, store::unwrittenOpeningsMessage(
                                          unwritten, store::programFolders().dataFolder));
    }
    event->accept();
    // No search writes to the list of a closed window.
    m_closed = true;
    m_search->cancel();
    m_typedTicket = 0;
    if (m_searchWait)
        m_searchWait->quit();
}

store::WindowOptions MainWindow::options() const
{
    store::WindowOptions options;
    options.beginsWith = m_ui.beginsWithCheck->isChecked();
    options.stayOnTop = m_ui.actionStayOnTop->isChecked();
    options.showStartFolder = m_ui.actionShowStartFolder->isChecked();
    options.tidyLogs = m_ui.actionTidyLogs->isChecked();
    options.ignoreAccents = m_ui.actionIgnoreAccents->isChecked();
    return options;
}

void MainWindow::applyOuterGeometry(const QRect &outer)
{
    if (outer == frameGeometry())
        return; // nothing stored, or what is stored is already there
    const QSize frame = frameGeometry().size() - size();
    move(outer.topLeft());
    resize(outer.size() - frame);
    if (frame.isNull())
        m_pendingOuterSize = outer.size();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    const QSize frame = frameGeometry().size() - size();
    if (m_pendingOuterSize.isValid() && !frame.isNull()) {
        resize(m_pendingOuterSize - frame);
        m_pendingOuterSize = QSize();
    }
}

void MainWindow::loadSettings()
{
    store::WindowSettings settings;
    settings.geometry = frameGeometry();
    settings.options = options();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect();
    // The practice's defaults first, then what the user saved over them.
    const store::ProgramFolders folders = store::programFolders();
    store::loadWindowDefaults(settings, folders.defaultStartFolder, folders.defaultsFile);
    const QString startFolder = settings.startFolder;
    try {
        store::loadWindowSettings(settings, platform::exeBaseName(), workArea, startFolder);
    } catch (...) {
        applyOuterGeometry(settings.geometry); // the values read before the bad one stay
        throw;
    }
    applyOuterGeometry(settings.geometry);
    // The check box runs its toggled slot when its state changes; the menu options
    // are set silently and keep their pictures.
    m_ui.beginsWithCheck->setChecked(settings.options.beginsWith);
    m_ui.actionStayOnTop->setChecked(settings.options.stayOnTop);
    m_ui.actionShowStartFolder->setChecked(settings.options.showStartFolder);
    m_ui.actionTidyLogs->setChecked(settings.options.tidyLogs);
    m_ui.actionIgnoreAccents->setChecked(settings.options.ignoreAccents);
    m_ui.startFolderEdit->setText(settings.startFolder);
    m_ui.searchBox->setEditText(QString());

    QStringList history;
    search::loadHistory(search::historyFilePath(store::programFolders().dataFolder), history,
                        m_historyState);
    m_ui.searchBox->clear();
    m_ui.searchBox->addItems(history);
    clearSearchBox();
}

void MainWindow::saveSettings()
{
    saveSettingsAfterLogs(QDeadlineTimer(m_logWait));
}

void MainWindow::saveSettingsAfterLogs(QDeadlineTimer logsDeadline)
{
    // Before the lock: the writer takes it for each of its writes.
    const bool tidyLogs =
        m_ui.actionTidyLogs->isChecked() && m_logWriter->waitForPending(logsDeadline).isEmpty();
    // The whole sequence at once: another copy of the program closing at the same moment
    // saves before or after it, never in between.
    const QString settingsFile = store::settingsFilePath();
    const platform::ProgramFilesLock lock(store::programFilesLockPath(settingsFile));
    if (!lock.isHeld())
        throw palvoric::UserError(QStringLiteral("Impossible d'écrire dans %1").arg(settingsFile));
    store::WindowSettings settings;
    settings.geometry = frameGeometry();
    settings.options = options();
    settings.startFolder = startFolder();
    store::saveWindowSettings(settings, platform::exeBaseName());

    QStringList history;
    for (int i = 0; i < m_ui.searchBox->count(); ++i)
        history.append(m_ui.searchBox->itemText(i));
    search::trimHistory(history);
    while (m_ui.searchBox->count() > history.size())
        m_ui.searchBox->removeItem(m_ui.searchBox->count() - 1);
    const QString dataFolder = store::programFolders().dataFolder;
    search::saveHistory(search::historyFilePath(dataFolder), history, m_historyState);

    // With openings still unwritten the logs are tidied at a later close.
    if (tidyLogs)
        store::tidyActivityLogs(dataFolder);
}

// ---- keys and focus ---------------------------------------------------------------------

bool MainWindow::belongsToWindow(QObject *object) const
{
    // The search box's drop-down list is a window of its own but part of this one; a
    // dialog is not, nor a context menu: the Esc that closes a menu is the menu's alone.
    const QWidget *searchList = m_ui.searchBox->view()->window();
    for (auto *widget = qobject_cast<QWidget *>(object); widget; widget = widget->parentWidget()) {
        if (widget == this)
            return true;
        if (widget->isWindow() && widget != searchList)
            return false;
    }
    return false;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::FocusIn:
        return filterWindowEvent(watched, event);
    case QEvent::MouseButtonPress:
        // The user goes on working: the session did not end after all.
        if (belongsToWindow(watched))
            m_sessionEnding = false;
        return false;
    case QEvent::Quit:
        // The platform ends the application, as at the session's end: the windows are
        // closed next.
        if (watched == qApp)
            m_sessionEnding = true;
        return false;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

bool MainWindow::filterWindowEvent(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // Only a move from another element of the window: not the window's own
        // activation, nor the return from the box's drop-down list or a menu.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (watched == m_ui.searchBox && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason)
            guard([this] { onSearchBoxFocused(); });
        return false;
    }
    if (!belongsToWindow(watched))
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    m_sessionEnding = false; // the user goes on working
    if (event->type() == QEvent::ShortcutOverride) {
        // Ctrl+C belongs to the window's copy action, also in the text fields, which
        // would otherwise copy their selected text.
        if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_C)) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (key->key() == Qt::Key_Escape)
        guard([this] { clearSearch(); });
    return false;
}

void MainWindow::clearSearch()
{
    m_ui.searchBox->setFocus(Qt::OtherFocusReason);
    clearSearchBox();
}

void MainWindow::clearSearchBox()
{
    // No entry of the history is current any more: the first Down picks the top one.
    m_ui.searchBox->setCurrentIndex(-1);
    m_ui.searchBox->setEditText(QString());
}

void MainWindow::browseStartFolder()
{
    m_browse.browse(m_desktop, m_ui.startFolderEdit, this);
}

void MainWindow::onSearchBoxFocused()
{
    m_trayNotice->hide();
}

// ---- options ----------------------------------------------------------------------------

bool MainWindow::staysOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void MainWindow::setStayOnTop(bool on)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow *window = windowHandle()) {
        // Changing the level of a shown window must not re-create it: the window keeps
        // its place, its size and the focus.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags); // applied when the window is created
    }
}

void MainWindow::onBeginsWithToggled()
{
    m_ui.searchPanel->setCaption(QString::fromUtf8(
        m_ui.beginsWithCheck->isChecked() ? kCaptionBeginsWith : kCaptionContains));
    runSearch();
}

void MainWindow::onStayOnTopToggled()
{
    const bool on = m_ui.actionStayOnTop->isChecked();
    setStayOnTop(on);
    setActionIcon(m_ui.actionStayOnTop, on ? Icon::StackedWindows : Icon::None);
}

void MainWindow::onShowStartFolderToggled()
{
    const bool on = m_ui.actionShowStartFolder->isChecked();
    m_ui.startFolderPanel->setVisible(on);
    setActionIcon(m_ui.actionShowStartFolder, on ? Icon::Folder : Icon::None);
}

void MainWindow::onTidyLogsToggled()
{
    setActionIcon(m_ui.actionTidyLogs,
                  m_ui.actionTidyLogs->isChecked() ? Icon::FilmReels : Icon::None);
}

void MainWindow::onIgnoreAccentsToggled()
{
    setActionIcon(m_ui.actionIgnoreAccents,
                  m_ui.actionIgnoreAccents->isChecked() ? Icon::StruckAccent : Icon::None);
    // The list shows at once what the new rule finds.
    runSearch();
}

void MainWindow::hideStartFolderPanel()
{
    m_ui.startFolderPanel->hide();
    m_ui.actionShowStartFolder->setChecked(false);
}

// ---- search -----------------------------------------------------------------------------

namespace {

// How long a search may keep the window's thread: a result that comes within it fills the
// list before the next event, as on a local disk; a later one comes by itself.
constexpr std::chrono::milliseconds kSearchWaitInLine(12);
// How long an action's search runs before the cursor shows that the window is busy.
constexpr int kBusyCursorDelayMs = 300;

} // namespace

void MainWindow::replaceSearcher(search::BackgroundSearch::Searcher searcher)
{
    m_typedTicket = 0;
    m_search = std::make_unique<search::BackgroundSearch>(QLocale::system(), std::move(searcher));
    connect(m_search.get(), &search::BackgroundSearch::finished, this,
            guarded(&MainWindow::onSearchFinished));
}

void MainWindow::replaceLogWrite(store::ActivityLogWriter::Write write,
                                 std::chrono::milliseconds logWait)
{
    m_logWait = logWait;
    m_logWriter = std::make_unique<store::ActivityLogWriter>(std::move(write));
    // In the standard error box, as if the opening had failed in its own handler.
    connect(m_logWriter.get(), &store::ActivityLogWriter::writeFailed, this,
            [this](const QString &message) { reportHandlerError(m_desktop, message); });
}

search::SearchRequest MainWindow::searchRequest() const
{
    search::SearchRequest request;
    request.startFolder = startFolder();
    request.text = m_ui.searchBox->currentText();
    request.mode = m_ui.beginsWithCheck->isChecked() ? search::SearchMode::BeginsWith
                                                     : search::SearchMode::Contains;
    request.locale = QLocale::system();
    request.ignoreAccents = m_ui.actionIgnoreAccents->isChecked();
    return request;
}

void MainWindow::showResult(const QString &text, search::SearchMode mode, QStringList lines)
{
    const auto count = lines.size();
    try {
        m_ui.resultModel->setLines(std::move(lines));
    } catch (const std::bad_alloc &) {
        throw palvoric::UserError(QStringLiteral("Impossible d'insérer une ligne"));
    }
    m_ui.resultPanel->setCaption(search::countCaption(count, text, mode));
    m_ui.resultList->setCurrentLine(0);
}

void MainWindow::searchAsTyped()
{
    // A newer search makes the one an action waits for pointless.
    if (m_searchWait)
        m_searchWait->quit();
    const search::SearchRequest request = searchRequest();
    if (!search::searchTextLongEnough(request.text)) {
        // What was typed before must not fill the list now.
        m_search->cancel();
        m_typedTicket = 0;
        return;
    }
    const quint64 ticket = m_search->start(request);
    if (std::optional<QStringList> lines = m_search->waitFor(ticket, kSearchWaitInLine)) {
        m_typedTicket = 0;
        showResult(request.text, request.mode, std::move(*lines));
        return;
    }
    // The list keeps the lines the user sees, and actions act on them, until the result.
    m_typedTicket = ticket;
    m_typedRequest = request;
    m_ui.resultPanel->setCaption(search::runningCaption(request.text));
}

void MainWindow::onSearchFinished(quint64 ticket, const QStringList &lines)
{
    if (m_closed || ticket != m_typedTicket)
        return; // an action's search, which waits for its own
    m_typedTicket = 0;
    showResult(m_typedRequest.text, m_typedRequest.mode, lines);
}

void MainWindow::runSearch()
{
    if (m_searchWait)
        m_searchWait->quit();
    const search::SearchRequest request = searchRequest();
    if (!search::searchTextLongEnough(request.text) || m_closed)
        return;
    m_typedTicket = 0;
    const quint64 ticket = m_search->start(request);
    std::optional<QStringList> lines = m_search->waitFor(ticket, kSearchWaitInLine);
    if (!lines) {
        // The window paints meanwhile; the user's keys and clicks wait for the result.
        m_ui.resultPanel->setCaption(search::runningCaption(request.text));
        QEventLoop loop;
        const QMetaObject::Connection done =
            connect(m_search.get(), &search::BackgroundSearch::finished, &loop,
                    [&](quint64 finished, const QStringList &result) {
                        if (finished == ticket) {
                            lines = result;
                            loop.quit();
                        }
                    });
        bool busy = false;
        QTimer::singleShot(kBusyCursorDelayMs, &loop, [&] {
            busy = true;
            QApplication::setOverrideCursor(Qt::BusyCursor);
        });
        m_searchWait = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_searchWait = nullptr;
        disconnect(done);
        if (busy)
            QApplication::restoreOverrideCursor();
        if (!lines || m_closed)
            return;
    }
    showResult(request.text, request.mode, std::move(*lines));
}

void MainWindow::onSearchButtonClicked()
{
    if (search::searchTextLongEnough(m_ui.searchBox->currentText())) {
        runSearch();
        return;
    }
    noticeBox(m_desktop, QStringLiteral("Entrez au moins 2 lettres"));
    // Back in the box with the caret after the last character and nothing selected.
    m_ui.searchBox->setFocus(Qt::OtherFocusReason);
    m_ui.searchBox->lineEdit()->setCursorPosition(m_ui.searchBox->currentText().size());
}
