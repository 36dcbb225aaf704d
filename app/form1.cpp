#include "app/form1.h"

#include "app/captioned_panel.h"
#include "app/desktop.h"
#include "app/dialogs.h"
#include "app/directory_edit.h"
#include "app/form1_composition.h"
#include "app/handler_guard.h"
#include "app/image_list.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/shell_drop_target.h"
#include "app/tray_notice.h"
#include "app/window_title.h"
#include "platform/command_line.h"
#include "platform/exe_identity.h"
#include "platform/user_error.h"
#include "search/folder_search.h"
#include "search/search_history.h"
#include "store/activity_log.h"
#include "store/window_settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include <new>

namespace {

const char *const kPictureProperty = "imageIndex";

} // namespace

template<class Handler> bool TForm1::guard(Handler &&handler)
{
    return runGuarded(m_desktop, std::forward<Handler>(handler));
}

TForm1::TForm1(Desktop &desktop, const QStringList &arguments, QWidget *parent)
    : QWidget(parent), m_desktop(desktop), m_arguments(arguments)
{
    // No maximise button; the frame stays resizable.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui = composeForm1(this);
    setWindowIcon(QIcon(QStringLiteral(":/pictures/palvoric.svg")));
    m_trayIcon = new TrayNotice(m_desktop, this);
    m_dropTarget = new ShellDropTarget(this);
    wireEvents();
    guard([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
}

void TForm1::wireEvents()
{
    // Key preview: the window sees every key before the focused element does.
    qApp->installEventFilter(this);

    connect(ui.panel_dossier, &CaptionedPanel::closeButtonClicked, this,
            [this] { guard([this] { panel_dossierButtonClick(); }); });
    connect(ui.JvDirectory_DATA, &DirectoryEdit::browseClicked, this,
            [this] { guard([this] { m_browse.browse(m_desktop, ui.JvDirectory_DATA, this); }); });
    connect(m_dropTarget, &ShellDropTarget::filesDropped, this,
            [this](const QPoint &position, const QStringList &paths) {
                guard([&] { JvDragDrop1Drop(position, paths); });
            });
    connect(ui.Button1, &QPushButton::clicked, this, [this] { guard([this] { Button1Click(); }); });
    connect(ui.chk_DEBUT, &QCheckBox::toggled, this,
            [this] { guard([this] { chk_DEBUTClick(); }); });
    // The search box changes by the user's edits and by a pick in its drop-down list;
    // a text set by the program raises neither.
    connect(ui.Cherche->lineEdit(), &QLineEdit::textEdited, this,
            [this] { guard([this] { BTN_ChercherExecute(); }); });
    connect(ui.Cherche, &QComboBox::activated, this,
            [this] { guard([this] { BTN_ChercherExecute(); }); });

    connect(ui.ini_save, &QAction::triggered, this,
            [this] { guard([this] { ini_saveExecute(); }); });
    connect(ui.ini_get, &QAction::triggered, this, [this] { guard([this] { ini_getExecute(); }); });
    connect(ui.BTN_Chercher, &QAction::triggered, this,
            [this] { guard([this] { BTN_ChercherExecute(); }); });

    connect(ui.chk_StayOnTop, &QAction::triggered, this,
            [this] { guard([this] { chk_StayOnTopClick(); }); });
    connect(ui.chk_DOSSIER, &QAction::triggered, this,
            [this] { guard([this] { chk_DOSSIERClick(); }); });
    connect(ui.chk_LOG, &QAction::triggered, this, [this] { guard([this] { chk_LOGClick(); }); });
    connect(ui.Quitter1, &QAction::triggered, this, [this] { guard([this] { Quitter1Click(); }); });
    wireFolderActions();
    wireDragAndDrop();
}

QString TForm1::StartFolder() const
{
    return ui.JvDirectory_DATA->text();
}

// ---- start-up and closing ---------------------------------------------------------------

void TForm1::FormCreate()
{
    ini_getExecute();
}

void TForm1::FormShow()
{
    setWindowTitle(WindowTitle(QString(), QStringLiteral("dd/mm/yyyy")));
    ui.panel_dossier->setVisible(ui.chk_DOSSIER->isChecked());
    setStayOnTop(ui.chk_StayOnTop->isChecked());
    ui.Cherche->setEditText(platform::commandLineText(m_arguments));
    BTN_ChercherExecute();
    ui.Cherche->setFocus(Qt::OtherFocusReason);
}

void TForm1::FormClose()
{
    ini_saveExecute();
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        guard([this] { FormShow(); });
    }
    QWidget::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A failed save keeps the window open: the user's settings are not lost silently.
    if (guard([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

store::WindowOptions TForm1::options() const
{
    store::WindowOptions options;
    options.beginsWith = ui.chk_DEBUT->isChecked();
    options.stayOnTop = ui.chk_StayOnTop->isChecked();
    options.showStartFolder = ui.chk_DOSSIER->isChecked();
    options.tidyLogs = ui.chk_LOG->isChecked();
    return options;
}

void TForm1::applyOuterGeometry(const QRect &outer)
{
    if (outer == frameGeometry())
        return; // nothing stored, or what is stored is already there
    const QSize frame = frameGeometry().size() - size();
    move(outer.topLeft());
    resize(outer.size() - frame);
    if (frame.isNull())
        m_pendingOuterSize = outer.size();
}

void TForm1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    const QSize frame = frameGeometry().size() - size();
    if (m_pendingOuterSize.isValid() && !frame.isNull()) {
        resize(m_pendingOuterSize - frame);
        m_pendingOuterSize = QSize();
    }
}

void TForm1::ini_getExecute()
{
    store::WindowSettings settings;
    settings.geometry = frameGeometry();
    settings.options = options();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect();
    try {
        store::loadWindowSettings(settings, platform::ExeBaseName(), workArea,
                                  platform::ExeFolder());
    } catch (...) {
        applyOuterGeometry(settings.geometry); // the values read before the bad one stay
        throw;
    }
    applyOuterGeometry(settings.geometry);
    // The check box runs its click handler when its state changes; the menu options
    // are set silently and keep their pictures.
    ui.chk_DEBUT->setChecked(settings.options.beginsWith);
    ui.chk_StayOnTop->setChecked(settings.options.stayOnTop);
    ui.chk_DOSSIER->setChecked(settings.options.showStartFolder);
    ui.chk_LOG->setChecked(settings.options.tidyLogs);
    ui.JvDirectory_DATA->setText(settings.startFolder);
    ui.Cherche->setEditText(QString());

    QStringList history;
    search::loadHistory(search::historyFilePath(platform::ExeFolder()), history, m_historyState);
    ui.Cherche->clear();
    ui.Cherche->addItems(history);
    ui.Cherche->setEditText(QString());
}

void TForm1::ini_saveExecute()
{
    store::WindowSettings settings;
    settings.geometry = frameGeometry();
    settings.options = options();
    settings.startFolder = StartFolder();
    store::saveWindowSettings(settings, platform::ExeBaseName());

    QStringList history;
    for (int i = 0; i < ui.Cherche->count(); ++i)
        history.append(ui.Cherche->itemText(i));
    search::trimHistory(history);
    while (ui.Cherche->count() > history.size())
        ui.Cherche->removeItem(ui.Cherche->count() - 1);
    search::saveHistory(search::historyFilePath(platform::ExeFolder()), history, m_historyState);

    if (ui.chk_LOG->isChecked())
        store::tidyActivityLogs(platform::ExeFolder());
}

// ---- keys and focus ---------------------------------------------------------------------

bool TForm1::belongsToWindow(QObject *object) const
{
    // The search box's drop-down list is a window of its own but part of this one;
    // a dialog is not.
    for (auto *widget = qobject_cast<QWidget *>(object); widget; widget = widget->parentWidget()) {
        if (widget == this)
            return true;
        if (widget->isWindow() && !(widget->windowType() == Qt::Popup))
            return false;
    }
    return false;
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::ToolTip:
    case QEvent::FocusIn:
        return filterWindowEvent(watched, event);
    default:
        return QWidget::eventFilter(watched, event);
    }
}

bool TForm1::filterWindowEvent(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // Only a move from another element of the window: not the window's own
        // activation, nor the return from the box's drop-down list or a menu.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (watched == ui.Cherche && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason)
            guard([this] { ChercheEnter(); });
        return false;
    }
    if (!belongsToWindow(watched))
        return false;
    if (event->type() == QEvent::ToolTip) {
        // Tooltips hide after two and a half seconds.
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->toolTip().isEmpty())
            return false;
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, {}, 2500);
        return true;
    }
    auto *key = static_cast<QKeyEvent *>(event);
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
        guard([this] { FormKeyPress(QChar(27)); });
    return false;
}

void TForm1::FormKeyPress(QChar key)
{
    if (key.unicode() != 27)
        return;
    ui.Cherche->setFocus(Qt::OtherFocusReason);
    ui.Cherche->setEditText(QString());
}

void TForm1::ChercheEnter()
{
    m_trayIcon->hide();
}

// ---- options ----------------------------------------------------------------------------

int TForm1::pictureOf(const QAction *item)
{
    const QVariant picture = item->property(kPictureProperty);
    return picture.isValid() ? picture.toInt() : -1;
}

void TForm1::setPicture(QAction *item, int picture)
{
    item->setProperty(kPictureProperty, picture);
    item->setIcon(ImageList1::icon(picture));
}

bool TForm1::stayOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm1::setStayOnTop(bool on)
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

void TForm1::chk_DEBUTClick()
{
    ui.PANEL_SAISIE->setCaption(
        QString::fromUtf8(ui.chk_DEBUT->isChecked() ? kCaptionBeginsWith : kCaptionContains));
    BTN_ChercherExecute();
}

void TForm1::chk_StayOnTopClick()
{
    const bool on = ui.chk_StayOnTop->isChecked();
    setStayOnTop(on);
    setPicture(ui.chk_StayOnTop, on ? 1 : -1);
}

void TForm1::chk_DOSSIERClick()
{
    const bool on = ui.chk_DOSSIER->isChecked();
    ui.panel_dossier->setVisible(on);
    setPicture(ui.chk_DOSSIER, on ? 2 : -1);
}

void TForm1::chk_LOGClick()
{
    setPicture(ui.chk_LOG, ui.chk_LOG->isChecked() ? 13 : -1);
}

void TForm1::panel_dossierButtonClick()
{
    ui.panel_dossier->hide();
    ui.chk_DOSSIER->setChecked(false);
}

void TForm1::Quitter1Click()
{
    close();
}

// ---- search -----------------------------------------------------------------------------

void TForm1::BTN_ChercherExecute()
{
    const QString text = ui.Cherche->currentText();
    if (!search::searchTextLongEnough(text))
        return;
    const auto mode =
        ui.chk_DEBUT->isChecked() ? search::SearchMode::BeginsWith : search::SearchMode::Contains;
    QStringList lines;
    try {
        lines = search::findEntries(StartFolder(), text, mode, QLocale::system());
    } catch (const std::bad_alloc &) {
        throw palvoric::UserError(QStringLiteral("Impossible d'insérer une ligne"));
    }
    const auto count = lines.size();
    ui.ListBox1Model->setLines(std::move(lines));
    ui.panel_liste->setCaption(search::countCaption(count, text, mode));
    ui.ListBox1->setCurrentLine(0);
}

void TForm1::Button1Click()
{
    if (search::searchTextLongEnough(ui.Cherche->currentText())) {
        BTN_ChercherExecute();
        return;
    }
    NoticeBox(m_desktop, QStringLiteral("Entrez au moins 2 lettres"));
    // Back in the box with the caret after the last character and nothing selected.
    ui.Cherche->setFocus(Qt::OtherFocusReason);
    ui.Cherche->lineEdit()->setCursorPosition(ui.Cherche->currentText().size());
}
