#include "app/main_window_ui.h"

#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/icons.h"
#include "app/result_list_view.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Tahoma where it is installed; otherwise faces of the same width, so no caption clips.
QStringList fontFamilies()
{
    return {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
            QStringLiteral("DejaVu Sans")};
}

QFont tahoma(int pixelSize, bool bold = false)
{
    QFont font;
    font.setFamilies(fontFamilies());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QString fontRule(const QString &selectors, int pixelSize, bool bold)
{
    return QStringLiteral("%1 { font-family: \"%2\"; font-size: %3px; font-weight: %4; }\n")
        .arg(selectors, fontFamilies().join(QStringLiteral("\", \"")), QString::number(pixelSize),
             bold ? QStringLiteral("bold") : QStringLiteral("normal"));
}

// The fonts and the field's background, as the window's own style sheet: the theme's style
// sheet gives the elements it styles (text fields, buttons, the check box) the application's
// font and its text fields a white background, and only a style sheet holds against it,
// also when a change of style polishes the elements again.
QString windowStyleSheet()
{
    // The window's font, which the start-folder panel passes on to its field.
    return fontRule(QStringLiteral("#MainWindow, #startFolderPanel, #startFolderEdit, "
                                   "#startFolderEdit QLineEdit, #searchPanel, #searchButton, "
                                   "#beginsWithCheck, #copyButton, #resultPanel"),
                    11, false) +
           // The search box and its drop-down list in one font.
           fontRule(
               QStringLiteral("#searchBox, #searchBox QLineEdit, #searchBox QAbstractItemView"), 13,
               true) +
           fontRule(QStringLiteral("#resultList"), 13, false) +
           QStringLiteral("#startFolderEdit QLineEdit { background-color: palette(button); }\n");
}

CaptionedPanel *makePanel(QWidget *parent, const char *name, const QString &caption,
                          const QColor &band, const QColor &captionColor, int fixedHeight)
{
    auto *panel = new CaptionedPanel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setCaption(caption);
    panel->setBandColor(band);
    panel->setCaptionFont(tahoma(13, true), captionColor);
    if (fixedHeight > 0)
        panel->setFixedHeight(fixedHeight);
    return panel;
}

// The menu writes shortcuts with French key names ("Ctrl+", "Alt+", "Suppr").
QString shortcutText(const QKeySequence &shortcut)
{
    QString text = shortcut.toString(QKeySequence::PortableText);
    text.replace(QStringLiteral("Del"), QStringLiteral("Suppr"));
    return text;
}

// An action with its caption, picture and shortcut. displayedShortcut, when given, is
// only written in the menu: the item runs another action that holds the shortcut.
QAction *makeAction(QObject *parent, const char *name, const QString &caption, Icon picture,
                    const QKeySequence &shortcut = {}, const QKeySequence &displayedShortcut = {})
{
    auto *action = new QAction(parent);
    action->setObjectName(QString::fromLatin1(name));
    setActionIcon(action, picture);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    const QKeySequence shown = shortcut.isEmpty() ? displayedShortcut : shortcut;
    action->setText(shown.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcutText(shown));
    action->setIconText(caption);
    return action;
}

QAction *makeOption(QObject *parent, const char *name, const QString &caption, Icon picture,
                    bool checked, const QKeySequence &shortcut = {})
{
    QAction *action = makeAction(parent, name, caption, picture, shortcut);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

// The search box: its drop-down list is the search history. While no entry is current (the
// box emptied, or holding a text of its own), the list opens with none highlighted, so
// that the first Down picks the top entry there too.
class HistoryBox : public QComboBox
{
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        QComboBox::showPopup();
        // The list, taking the focus, made its first line current.
        if (currentIndex() < 0)
            view()->selectionModel()->clearCurrentIndex();
    }
};

// Enter, the main key or the keypad's, presses a button while the button has the focus, as
// Space does. The window has no default button: Enter pressed elsewhere presses none.
class EnterPressesFocusedButton : public QObject
{
public:
    using QObject::QObject;

    void watch(QAbstractButton *button) { button->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            modifiers != Qt::NoModifier)
            return false;
        // A held key presses the button once.
        if (!key->isAutoRepeat())
            static_cast<QAbstractButton *>(watched)->click();
        return true;
    }
};

} // namespace

MainWindowUi buildMainWindowUi(QWidget *window)
{
    MainWindowUi ui;
    window->setObjectName(QStringLiteral("MainWindow"));
    window->setWindowTitle(QStringLiteral("Palvoric : ***{:- 1.21.03"));
    window->setStyleSheet(windowStyleSheet());
    window->resize(338, 360);

    auto *mainLayout = new QVBoxLayout(window);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);

    const QColor face = window->palette().color(QPalette::Button);

    // startFolderPanel: the start folder.
    ui.startFolderPanel =
        makePanel(window, "startFolderPanel",
                  QStringLiteral("Dans le dossier de départ suivant ..."), face, Qt::black, 65);
    ui.startFolderPanel->setCloseButtonVisible(true);
    ui.startFolderEdit = new DirectoryEdit(ui.startFolderPanel);
    ui.startFolderEdit->setObjectName(QStringLiteral("startFolderEdit"));
    ui.startFolderEdit->setText(QStringLiteral("/"));
    ui.startFolderEdit->setToolTip(
        QStringLiteral("Choisissez le dossier Windows ou sont rangés les sous dossiers à trouver\n"
                       "Alt+Flèche bas ou F4 : parcourir les dossiers"));
    auto *folderLayout = new QVBoxLayout(ui.startFolderPanel);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->addWidget(ui.startFolderEdit);
    mainLayout->addWidget(ui.startFolderPanel);

    // searchPanel: the search box and its buttons.
    ui.searchPanel = makePanel(window, "searchPanel", QString::fromUtf8(kCaptionBeginsWith),
                               QColor(0, 0, 255), Qt::white, 60);
    ui.searchButton = new QPushButton(QStringLiteral("Chercher"), ui.searchPanel);
    ui.searchButton->setObjectName(QStringLiteral("searchButton"));
    ui.searchButton->setToolTip(QStringLiteral("Relancer la recherche"));
    ui.searchButton->setAutoDefault(false);
    ui.searchButton->setFixedSize(64, 27);
    ui.beginsWithCheck = new QCheckBox(QStringLiteral("Début"), ui.searchPanel);
    ui.beginsWithCheck->setObjectName(QStringLiteral("beginsWithCheck"));
    ui.beginsWithCheck->setChecked(true);
    ui.beginsWithCheck->setToolTip(
        QStringLiteral("Recherche \"commençant par ...\" (coché) ou \"contenant ...\" (décoché)"));
    ui.searchBox = new HistoryBox(ui.searchPanel);
    ui.searchBox->setObjectName(QStringLiteral("searchBox"));
    ui.searchBox->setEditable(true);
    ui.searchBox->setInsertPolicy(QComboBox::NoInsert);
    ui.searchBox->setCompleter(nullptr);
    ui.searchBox->setMaxVisibleItems(20);
    ui.searchBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ui.copyButton = new QToolButton(ui.searchPanel);
    ui.copyButton->setObjectName(QStringLiteral("copyButton"));
    ui.copyButton->setFixedSize(35, 27);
    auto *searchRow = new QHBoxLayout(ui.searchPanel);
    searchRow->setContentsMargins(0, 0, 0, 0);
    searchRow->setSpacing(0);
    searchRow->addWidget(ui.searchBox, 1);
    searchRow->addSpacing(3);
    searchRow->addWidget(ui.beginsWithCheck);
    searchRow->addWidget(ui.searchButton);
    searchRow->addWidget(ui.copyButton);
    mainLayout->addWidget(ui.searchPanel);

    // resultPanel: the result list, which takes all the remaining height.
    ui.resultPanel = makePanel(window, "resultPanel", QString::fromUtf8(kCaptionListInitial),
                               QColor(0, 128, 0), Qt::white, 0);
    ui.resultList = new ResultListView(ui.resultPanel);
    ui.resultList->setObjectName(QStringLiteral("resultList"));
    ui.resultList->setToolTip(QStringLiteral("Double clic pour ouvrir le dossier"));
    ui.resultModel = ui.resultList->resultModel();
    QPalette listPalette = ui.resultList->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::ToolTipBase));
    ui.resultList->setPalette(listPalette);
    auto *listLayout = new QVBoxLayout(ui.resultPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(ui.resultList);
    mainLayout->addWidget(ui.resultPanel, 1);

    // Actions that no menu shows.
    ui.actionSaveSettings = makeAction(window, "actionSaveSettings",
                                       QStringLiteral("Enregistrer les réglages"), Icon::Magnifier);
    ui.actionLoadSettings = makeAction(window, "actionLoadSettings",
                                       QStringLiteral("Relire les réglages"), Icon::RedCross);
    ui.actionSearch = makeAction(window, "actionSearch", QStringLiteral("Chercher"), Icon::Woman);
    ui.actionFolderCopyName = makeAction(window, "actionFolderCopyName",
                                         QStringLiteral("Copier le nom du dossier dans le PP"),
                                         Icon::StackedWindows, QKeySequence(Qt::CTRL | Qt::Key_C));
    // Ctrl+C copies the current line's name from anywhere in the window.
    ui.actionFolderCopyName->setShortcutContext(Qt::WindowShortcut);
    window->addAction(ui.actionFolderCopyName);
    ui.copyButton->setDefaultAction(ui.actionFolderCopyName);
    ui.copyButton->setIcon(icon(Icon::Clipboard));
    ui.copyButton->setIconSize(QSize(20, 20));
    ui.copyButton->setToolTip(QString());
    ui.copyButton->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // listContextMenu: items bound to an action show their own caption and picture but run
    // the action, whose shortcut stays the one registered.
    ui.listContextMenu = new QMenu(window);
    ui.listContextMenu->setObjectName(QStringLiteral("listContextMenu"));
    ui.resultList->setContextMenu(ui.listContextMenu);
    auto listShortcut = [&](QAction *action) {
        action->setShortcutContext(Qt::WidgetShortcut);
        ui.resultList->addAction(action);
    };
    ui.actionFolderOpen =
        makeAction(window, "actionFolderOpen", QStringLiteral("Ouvrir le dossier pointé"),
                   Icon::OpenFolder, QKeySequence(Qt::CTRL | Qt::Key_O));
    listShortcut(ui.actionFolderOpen);
    ui.listContextMenu->addAction(ui.actionFolderOpen);
    ui.listContextMenu->setDefaultAction(ui.actionFolderOpen);
    ui.actionMenuCopyName =
        makeAction(window, "actionMenuCopyName", ui.actionFolderCopyName->iconText(),
                   Icon::Clipboard, {}, ui.actionFolderCopyName->shortcut());
    QObject::connect(ui.actionMenuCopyName, &QAction::triggered, ui.actionFolderCopyName,
                     &QAction::trigger);
    ui.listContextMenu->addAction(ui.actionMenuCopyName);
    ui.listContextMenu->addSeparator();
    ui.filterMenu =
        ui.listContextMenu->addMenu(icon(Icon::Chart), QStringLiteral("Filtrer les dossiers"));
    ui.filterMenu->setObjectName(QStringLiteral("filterMenu"));
    ui.actionFilterSurname =
        makeAction(window, "actionFilterSurname", QStringLiteral("Portant le même NOM"), Icon::Man);
    ui.actionFilterSurname->setStatusTip(
        QStringLiteral("Pointer une ligne dans la liste la recherche isolera le NOM"));
    ui.actionFilterFullName =
        makeAction(window, "actionFilterFullName",
                   QStringLiteral("Portants les mêmes Nom et Prénom"), Icon::Profile);
    ui.actionFilterFirstName =
        makeAction(window, "actionFilterFirstName", QStringLiteral("selon le prénom"), Icon::Woman);
    ui.filterMenu->addActions(
        {ui.actionFilterSurname, ui.actionFilterFullName, ui.actionFilterFirstName});
    ui.listContextMenu->addSeparator();
    ui.actionRefresh = makeAction(window, "actionRefresh", QStringLiteral("Rafraichir"),
                                  Icon::CircularArrows, QKeySequence(Qt::Key_F5));
    listShortcut(ui.actionRefresh);
    QObject::connect(ui.actionRefresh, &QAction::triggered, ui.actionSearch, &QAction::trigger);
    ui.actionFolderTrash = makeAction(window, "actionFolderTrash", QStringLiteral("Supprimer"),
                                      Icon::RedCross, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    ui.actionFolderTrash->setStatusTip(QStringLiteral("Supprime le dossier pointé"));
    listShortcut(ui.actionFolderTrash);
    ui.listContextMenu->addActions({ui.actionRefresh, ui.actionFolderTrash});
    ui.listContextMenu->addSeparator();
    ui.optionsMenu = ui.listContextMenu->addMenu(icon(Icon::CheckBox), QStringLiteral("Options"));
    ui.optionsMenu->setObjectName(QStringLiteral("optionsMenu"));
    ui.actionStayOnTop = makeOption(window, "actionStayOnTop", QStringLiteral("Toujours en avant"),
                                    Icon::StackedWindows, false, QKeySequence(Qt::ALT | Qt::Key_A));
    ui.actionShowStartFolder =
        makeOption(window, "actionShowStartFolder",
                   QStringLiteral("Afficher le dossier de départ de la recherche ..."),
                   Icon::Folder, true, QKeySequence(Qt::ALT | Qt::Key_D));
    ui.actionTidyLogs = makeOption(window, "actionTidyLogs",
                                   QStringLiteral("Créer des fichier LOG"), Icon::FilmReels, true);
    ui.actionIgnoreAccents =
        makeOption(window, "actionIgnoreAccents", QStringLiteral("Ignorer les accents"),
                   Icon::StruckAccent, false);
    listShortcut(ui.actionStayOnTop);
    listShortcut(ui.actionShowStartFolder);
    ui.optionsMenu->addActions(
        {ui.actionStayOnTop, ui.actionShowStartFolder, ui.actionTidyLogs, ui.actionIgnoreAccents});
    ui.listContextMenu->addSeparator();
    ui.helpMenu = ui.listContextMenu->addMenu(icon(Icon::QuestionMark), QStringLiteral("Aide"));
    ui.helpMenu->setObjectName(QStringLiteral("helpMenu"));
    ui.actionHelpNesting =
        makeAction(window, "actionHelpNesting", QStringLiteral("Déplacer un dossier dans la liste"),
                   Icon::Folder);
    ui.actionHelpRevisions =
        makeAction(window, "actionHelpRevisions", QStringLiteral("Révisions"), Icon::Pencil);
    ui.helpMenu->addActions({ui.actionHelpNesting, ui.actionHelpRevisions});
    ui.listContextMenu->addSeparator();
    ui.actionQuit = makeAction(window, "actionQuit", QStringLiteral("Quitter"), Icon::Door,
                               QKeySequence(Qt::CTRL | Qt::Key_Q));
    listShortcut(ui.actionQuit);
    ui.listContextMenu->addAction(ui.actionQuit);

    // What a screen reader says of the elements that show no text of their own: the fields
    // by what they hold, the picture-only buttons by what they do. The panels are named by
    // their captions (CaptionedPanel); the list and the search box also carry the list's
    // caption, the count of what was found, as their description, which a screen reader
    // reads out when it changes under the focus.
    ui.startFolderEdit->setAccessibleName(QStringLiteral("Dossier de départ"));
    ui.startFolderEdit->lineEdit()->setAccessibleName(QStringLiteral("Dossier de départ"));
    ui.startFolderEdit->browseButton()->setAccessibleName(QStringLiteral("Parcourir les dossiers"));
    ui.startFolderPanel->closeButton()->setAccessibleName(
        QStringLiteral("Masquer le dossier de départ"));
    // An editable combo box takes its text as its name: a label (never shown) names it,
    // as a screen reader finds labels, and its field is named too.
    auto *searchLabel = new QLabel(QStringLiteral("Nom cherché"), ui.searchPanel);
    searchLabel->setObjectName(QStringLiteral("searchLabel"));
    searchLabel->setBuddy(ui.searchBox);
    searchLabel->hide();
    ui.searchBox->setAccessibleName(searchLabel->text());
    ui.searchBox->lineEdit()->setAccessibleName(searchLabel->text());
    ui.searchBox->view()->setAccessibleName(QStringLiteral("Recherches précédentes"));
    ui.copyButton->setAccessibleName(ui.actionFolderCopyName->iconText());
    ui.resultList->setAccessibleName(QStringLiteral("Dossiers trouvés"));
    auto describeCount = [list = ui.resultList, box = ui.searchBox](const QString &caption) {
        list->setAccessibleDescription(caption);
        box->setAccessibleDescription(caption);
        box->lineEdit()->setAccessibleDescription(caption);
    };
    describeCount(ui.resultPanel->caption());
    QObject::connect(ui.resultPanel, &CaptionedPanel::captionChanged, window, describeCount);

    auto *enterPresses = new EnterPressesFocusedButton(window);
    enterPresses->watch(ui.searchButton);
    enterPresses->watch(ui.copyButton);

    // Tooltips hide after two and a half seconds.
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->toolTip().isEmpty())
            widget->setToolTipDuration(2500);
    }

    // Tab order: the start folder, the two buttons of the search row, the search box,
    // the copy button, the list.
    QWidget::setTabOrder(ui.startFolderEdit, ui.searchButton);
    QWidget::setTabOrder(ui.searchButton, ui.beginsWithCheck);
    QWidget::setTabOrder(ui.beginsWithCheck, ui.searchBox);
    QWidget::setTabOrder(ui.searchBox, ui.copyButton);
    QWidget::setTabOrder(ui.copyButton, ui.resultList);
    return ui;
}
