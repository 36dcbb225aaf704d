#include "app/form1_composition.h"

#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/image_list.h"
#include "app/result_list_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont tahoma(int pixelSize, bool bold = false)
{
    QFont font;
    // Tahoma where it is installed; otherwise faces of the same width, so no caption clips.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
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
QAction *makeAction(QObject *parent, const char *name, const QString &caption, int picture,
                    const QKeySequence &shortcut = {}, const QKeySequence &displayedShortcut = {})
{
    auto *action = new QAction(parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setIcon(ImageList1::icon(picture));
    action->setProperty("imageIndex", picture);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    const QKeySequence shown = shortcut.isEmpty() ? displayedShortcut : shortcut;
    action->setText(shown.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcutText(shown));
    action->setIconText(caption);
    return action;
}

QAction *makeOption(QObject *parent, const char *name, const QString &caption, int picture,
                    bool checked, const QKeySequence &shortcut = {})
{
    QAction *action = makeAction(parent, name, caption, picture, shortcut);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

} // namespace

Form1Elements composeForm1(QWidget *form)
{
    Form1Elements ui;
    form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(QStringLiteral("Palvoric : ***{:- 1.21.03"));
    form->setFont(tahoma(11));
    form->resize(338, 360);

    auto *formLayout = new QVBoxLayout(form);
    formLayout->setContentsMargins(0, 0, 0, 0);
    formLayout->setSpacing(0);

    const QColor face = form->palette().color(QPalette::Button);

    // panel_dossier: the start folder.
    ui.panel_dossier =
        makePanel(form, "panel_dossier", QStringLiteral("Dans le dossier de départ suivant ..."),
                  face, Qt::black, 65);
    ui.panel_dossier->setCloseButtonVisible(true);
    ui.JvDirectory_DATA = new DirectoryEdit(ui.panel_dossier);
    ui.JvDirectory_DATA->setObjectName(QStringLiteral("JvDirectory_DATA"));
    ui.JvDirectory_DATA->setFont(tahoma(11));
    ui.JvDirectory_DATA->setText(QStringLiteral("/"));
    ui.JvDirectory_DATA->setToolTip(
        QStringLiteral("Choisissez le dossier Windows ou sont rangés les sous dossiers à trouver"));
    auto *folderLayout = new QVBoxLayout(ui.panel_dossier);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->addWidget(ui.JvDirectory_DATA);
    formLayout->addWidget(ui.panel_dossier);

    // PANEL_SAISIE: the search box and its buttons.
    ui.PANEL_SAISIE = makePanel(form, "PANEL_SAISIE", QString::fromUtf8(kCaptionBeginsWith),
                                QColor(0, 0, 255), Qt::white, 60);
    ui.Button1 = new QPushButton(QStringLiteral("Chercher"), ui.PANEL_SAISIE);
    ui.Button1->setObjectName(QStringLiteral("Button1"));
    ui.Button1->setToolTip(QStringLiteral("Relancer la recherche"));
    ui.Button1->setAutoDefault(false);
    ui.Button1->setFixedSize(64, 27);
    ui.chk_DEBUT = new QCheckBox(QStringLiteral("Début"), ui.PANEL_SAISIE);
    ui.chk_DEBUT->setObjectName(QStringLiteral("chk_DEBUT"));
    ui.chk_DEBUT->setChecked(true);
    ui.chk_DEBUT->setToolTip(
        QStringLiteral("Recherche \"commençant par ...\" (coché) ou \"contenant ...\" (décoché)"));
    ui.Cherche = new QComboBox(ui.PANEL_SAISIE);
    ui.Cherche->setObjectName(QStringLiteral("Cherche"));
    ui.Cherche->setEditable(true);
    ui.Cherche->setInsertPolicy(QComboBox::NoInsert);
    ui.Cherche->setCompleter(nullptr);
    ui.Cherche->setMaxVisibleItems(20);
    ui.Cherche->setFont(tahoma(13, true));
    ui.Cherche->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ui.Button2 = new QToolButton(ui.PANEL_SAISIE);
    ui.Button2->setObjectName(QStringLiteral("Button2"));
    ui.Button2->setFixedSize(35, 27);
    auto *searchRow = new QHBoxLayout(ui.PANEL_SAISIE);
    searchRow->setContentsMargins(0, 0, 0, 0);
    searchRow->setSpacing(0);
    searchRow->addWidget(ui.Cherche, 1);
    searchRow->addSpacing(3);
    searchRow->addWidget(ui.chk_DEBUT);
    searchRow->addWidget(ui.Button1);
    searchRow->addWidget(ui.Button2);
    formLayout->addWidget(ui.PANEL_SAISIE);

    // panel_liste: the result list, which takes all the remaining height.
    ui.panel_liste = makePanel(form, "panel_liste", QString::fromUtf8(kCaptionListInitial),
                               QColor(0, 128, 0), Qt::white, 0);
    ui.ListBox1 = new ResultListView(ui.panel_liste);
    ui.ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ui.ListBox1->setFont(tahoma(13));
    ui.ListBox1->setToolTip(QStringLiteral("Double clic pour ouvrir le dossier"));
    ui.ListBox1Model = ui.ListBox1->resultModel();
    QPalette listPalette = ui.ListBox1->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::ToolTipBase));
    ui.ListBox1->setPalette(listPalette);
    auto *listLayout = new QVBoxLayout(ui.panel_liste);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(ui.ListBox1);
    formLayout->addWidget(ui.panel_liste, 1);

    // ActionList1
    ui.ini_save = makeAction(form, "ini_save", QStringLiteral("ini_save"), 6);
    ui.ini_get = makeAction(form, "ini_get", QStringLiteral("ini_get"), 5);
    ui.BTN_Chercher = makeAction(form, "BTN_Chercher", QStringLiteral("Chercher"), 8);
    ui.Copy = makeAction(form, "Copy", QStringLiteral("Copier le nom du dossier dans le PP"), 1,
                         QKeySequence(Qt::CTRL | Qt::Key_C));
    // Ctrl+C copies the current line's name from anywhere in the window.
    ui.Copy->setShortcutContext(Qt::WindowShortcut);
    form->addAction(ui.Copy);
    ui.Button2->setDefaultAction(ui.Copy);
    ui.Button2->setIcon(ImageList1::icon(9));
    ui.Button2->setIconSize(QSize(20, 20));
    ui.Button2->setToolTip(QString());
    ui.Button2->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // PopupMenu1: items bound to an action show their own caption and picture but run
    // the action, whose shortcut stays the one registered.
    ui.PopupMenu1 = new QMenu(form);
    ui.PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ui.ListBox1->setContextMenu(ui.PopupMenu1);
    auto listShortcut = [&](QAction *action) {
        action->setShortcutContext(Qt::WidgetShortcut);
        ui.ListBox1->addAction(action);
    };
    ui.mnu_EXPLORE = makeAction(form, "mnu_EXPLORE", QStringLiteral("Ouvrir le dossier pointé"), 4,
                                QKeySequence(Qt::CTRL | Qt::Key_O));
    listShortcut(ui.mnu_EXPLORE);
    ui.PopupMenu1->addAction(ui.mnu_EXPLORE);
    ui.PopupMenu1->setDefaultAction(ui.mnu_EXPLORE);
    ui.Copierlenomdudossier1 =
        makeAction(form, "Copierlenomdudossier1", ui.Copy->iconText(), 9, {}, ui.Copy->shortcut());
    QObject::connect(ui.Copierlenomdudossier1, &QAction::triggered, ui.Copy, &QAction::trigger);
    ui.PopupMenu1->addAction(ui.Copierlenomdudossier1);
    ui.PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N6"));
    ui.Filtrerlesdossiers1 =
        ui.PopupMenu1->addMenu(ImageList1::icon(15), QStringLiteral("Filtrer les dossiers"));
    ui.Filtrerlesdossiers1->setObjectName(QStringLiteral("Filtrerlesdossiers1"));
    ui.ApartirduNOM1 = makeAction(form, "ApartirduNOM1", QStringLiteral("Portant le même NOM"), 7);
    ui.ApartirduNOM1->setStatusTip(
        QStringLiteral("Pointer une ligne dans la liste la recherche isolera le NOM"));
    ui.ApartirduNometduPrnom1 = makeAction(form, "ApartirduNometduPrnom1",
                                           QStringLiteral("Portants les mêmes Nom et Prénom"), 11);
    ui.Filtrerselonleprnom1 =
        makeAction(form, "Filtrerselonleprnom1", QStringLiteral("selon le prénom"), 8);
    ui.Filtrerlesdossiers1->addActions(
        {ui.ApartirduNOM1, ui.ApartirduNometduPrnom1, ui.Filtrerselonleprnom1});
    ui.PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    ui.Chercher1 =
        makeAction(form, "Chercher1", QStringLiteral("Rafraichir"), 3, QKeySequence(Qt::Key_F5));
    listShortcut(ui.Chercher1);
    QObject::connect(ui.Chercher1, &QAction::triggered, ui.BTN_Chercher, &QAction::trigger);
    ui.Supprimer1 = makeAction(form, "Supprimer1", QStringLiteral("Supprimer"), 5,
                               QKeySequence(Qt::CTRL | Qt::Key_Delete));
    ui.Supprimer1->setStatusTip(QStringLiteral("Supprime le dossier pointé"));
    listShortcut(ui.Supprimer1);
    ui.PopupMenu1->addActions({ui.Chercher1, ui.Supprimer1});
    ui.PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    ui.Options1 = ui.PopupMenu1->addMenu(ImageList1::icon(14), QStringLiteral("Options"));
    ui.Options1->setObjectName(QStringLiteral("Options1"));
    ui.chk_StayOnTop = makeOption(form, "chk_StayOnTop", QStringLiteral("Toujours en avant"), 1,
                                  false, QKeySequence(Qt::ALT | Qt::Key_A));
    ui.chk_DOSSIER = makeOption(form, "chk_DOSSIER",
                                QStringLiteral("Afficher le dossier de départ de la recherche ..."),
                                2, true, QKeySequence(Qt::ALT | Qt::Key_D));
    ui.chk_LOG = makeOption(form, "chk_LOG", QStringLiteral("Créer des fichier LOG"), 13, true);
    listShortcut(ui.chk_StayOnTop);
    listShortcut(ui.chk_DOSSIER);
    ui.Options1->addActions({ui.chk_StayOnTop, ui.chk_DOSSIER, ui.chk_LOG});
    ui.PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N7"));
    ui.N4 = ui.PopupMenu1->addMenu(ImageList1::icon(10), QStringLiteral("Aide"));
    ui.N4->setObjectName(QStringLiteral("N4"));
    ui.N5 = makeAction(form, "N5", QStringLiteral("Déplacer un dossier dans la liste"), 2);
    ui.Rvisiions1 = makeAction(form, "Rvisiions1", QStringLiteral("Révisions"), 12);
    ui.N4->addActions({ui.N5, ui.Rvisiions1});
    ui.PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N3"));
    ui.Quitter1 = makeAction(form, "Quitter1", QStringLiteral("Quitter"), 0,
                             QKeySequence(Qt::CTRL | Qt::Key_Q));
    listShortcut(ui.Quitter1);
    ui.PopupMenu1->addAction(ui.Quitter1);

    // Tab order: the start folder, the two buttons of the search row, the search box,
    // the copy button, the list.
    QWidget::setTabOrder(ui.JvDirectory_DATA, ui.Button1);
    QWidget::setTabOrder(ui.Button1, ui.chk_DEBUT);
    QWidget::setTabOrder(ui.chk_DEBUT, ui.Cherche);
    QWidget::setTabOrder(ui.Cherche, ui.Button2);
    QWidget::setTabOrder(ui.Button2, ui.ListBox1);
    return ui;
}
