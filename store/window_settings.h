#pragma once

#include "store/check_states.h"

#include <QList>
#include <QRect>
#include <QString>

// The settings the main window restores at creation (ini_getExecute) and stores when it
// closes (ini_saveExecute), as plain values the window reads from and writes back to
// its elements.
//
// ini_getExecute, in this order; an error ends it at the failing step:
//   1-3. loadWindowSettings: geometry, then the check states, then the start folder.
//        When it raises (a stored geometry piece that is not an integer), only the
//        geometry pieces before the bad one are in `settings`: the window applies that
//        geometry and nothing else, then passes the error on.
//        Otherwise the window applies the geometry, then the check states in order
//        (chk_DEBUT's click handler runs when its state changes), then the start folder.
//   4.   the window empties the search box;
//   5.   search::loadHistory (search/search_history.h).
//
// ini_saveExecute, in this order; an error ends it and the close is abandoned:
//   1-4. saveWindowSettings: geometry, check states, "DOSSIER"/"DATA",
//        "AFFICHER"/"DOSSIER";
//   5.   search::trimHistory, then search::saveHistory;
//   6.   when chk_LOG is checked, tidyActivityLogs (store/activity_log.h).
namespace store {

struct WindowSettings
{
    QRect geometry;                 // the window's outer geometry
    QList<CheckState> checks;       // in the order the window owns them
    QString startFolder;            // the text of the start-folder field
    bool folderPanelChecked = true; // chk_DOSSIER, stored again under "AFFICHER"
};

// section: the executable's base name; windowName: "Form1"; workArea: the primary
// screen's available geometry; exeFolder: the start folder when none is stored. Fills
// settings.checks[i].checked with the loaded states.
void loadWindowSettings(WindowSettings &settings, const QString &section, const QString &windowName,
                        const QRect &workArea, const QString &exeFolder,
                        const QString &file = QString());

void saveWindowSettings(const WindowSettings &settings, const QString &section,
                        const QString &windowName, const QString &file = QString());

} // namespace store
