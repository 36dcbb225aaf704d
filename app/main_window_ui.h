#pragma once

class CaptionedPanel;
class DirectoryEdit;
class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QToolButton;
class QWidget;
class ResultListModel;
class ResultListView;

// The widgets and actions of the main window. buildMainWindowUi() creates them, in this
// order, as children of the window; the window wires them.
struct MainWindowUi
{
    CaptionedPanel *startFolderPanel = nullptr;
    DirectoryEdit *startFolderEdit = nullptr;
    CaptionedPanel *searchPanel = nullptr;
    QPushButton *searchButton = nullptr;
    QCheckBox *beginsWithCheck = nullptr;
    QComboBox *searchBox = nullptr;
    QToolButton *copyButton = nullptr;
    CaptionedPanel *resultPanel = nullptr;
    ResultListView *resultList = nullptr;
    ResultListModel *resultModel = nullptr;

    // Actions that no menu shows.
    QAction *actionSaveSettings = nullptr;
    QAction *actionLoadSettings = nullptr;
    QAction *actionSearch = nullptr;
    QAction *actionFolderCopyName = nullptr; // Ctrl+C anywhere in the window, the copy button

    // The result list's context menu.
    QMenu *listContextMenu = nullptr;
    QAction *actionFolderOpen = nullptr;
    QAction *actionMenuCopyName = nullptr; // runs actionFolderCopyName
    QMenu *filterMenu = nullptr;
    QAction *actionFilterSurname = nullptr;
    QAction *actionFilterFullName = nullptr;
    QAction *actionFilterFirstName = nullptr;
    QAction *actionRefresh = nullptr; // runs actionSearch
    QAction *actionFolderTrash = nullptr;
    QMenu *optionsMenu = nullptr;
    QAction *actionStayOnTop = nullptr;
    QAction *actionShowStartFolder = nullptr;
    QAction *actionTidyLogs = nullptr;
    QAction *actionIgnoreAccents = nullptr;
    QMenu *helpMenu = nullptr;
    QAction *actionHelpNesting = nullptr;
    QAction *actionHelpRevisions = nullptr;
    QAction *actionQuit = nullptr;
};

// Builds the elements of the main window inside window, in their order of creation, with
// their texts, fonts, colours and layout. It wires no handler: the window does.
MainWindowUi buildMainWindowUi(QWidget *window);

// The captions the program switches while it runs.
inline constexpr auto kCaptionBeginsWith = "Rechercher les sous-dossiers commençant par ...";
inline constexpr auto kCaptionContains = "Rechercher les sous-dossiers contenants ...";
inline constexpr auto kCaptionListInitial = "Liste des sous-dossiers trouvés :";
