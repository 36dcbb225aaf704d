#pragma once

class CaptionedPanel;
class DirectoryEdit;
class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QToolButton;
class ResultListModel;
class ResultListView;

// The elements of the main window, named as the rest of the program knows them.
// The composition creates them, in this order, as children of the window.
struct Form1Elements
{
    CaptionedPanel *panel_dossier = nullptr;
    DirectoryEdit *JvDirectory_DATA = nullptr;
    CaptionedPanel *PANEL_SAISIE = nullptr;
    QPushButton *Button1 = nullptr;
    QCheckBox *chk_DEBUT = nullptr;
    QComboBox *Cherche = nullptr;
    QToolButton *Button2 = nullptr;
    CaptionedPanel *panel_liste = nullptr;
    ResultListView *ListBox1 = nullptr;
    ResultListModel *ListBox1Model = nullptr;

    // ActionList1
    QAction *ini_save = nullptr;
    QAction *ini_get = nullptr;
    QAction *BTN_Chercher = nullptr;
    QAction *Copy = nullptr;

    // PopupMenu1 and its items
    QMenu *PopupMenu1 = nullptr;
    QAction *mnu_EXPLORE = nullptr;
    QAction *Copierlenomdudossier1 = nullptr;
    QMenu *Filtrerlesdossiers1 = nullptr;
    QAction *ApartirduNOM1 = nullptr;
    QAction *ApartirduNometduPrnom1 = nullptr;
    QAction *Filtrerselonleprnom1 = nullptr;
    QAction *Chercher1 = nullptr;
    QAction *Supprimer1 = nullptr;
    QMenu *Options1 = nullptr;
    QAction *chk_StayOnTop = nullptr;
    QAction *chk_DOSSIER = nullptr;
    QAction *chk_LOG = nullptr;
    QMenu *N4 = nullptr;
    QAction *N5 = nullptr;
    QAction *Rvisiions1 = nullptr;
    QAction *Quitter1 = nullptr;
};
