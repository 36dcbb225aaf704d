#pragma once

#include <QRect>
#include <QString>

// The settings the main window restores when it is created and stores when it closes,
// as plain values the window reads from and writes back to its elements.
namespace store {

// The window's options and their values on a first start.
struct WindowOptions
{
    bool beginsWith = true;      // names begin with the search text (else: contain it)
    bool stayOnTop = false;      // the window stays above the others
    bool showStartFolder = true; // the start-folder panel is shown
    bool tidyLogs = true;        // the activity logs are tidied when the window closes
    bool ignoreAccents = false;  // letters match without their diacritics
};

struct WindowSettings
{
    QRect geometry; // the window's outer geometry
    WindowOptions options;
    QString startFolder; // the text of the start-folder field
};

// Reads the geometry, then the options, then the start folder. section: the executable's
// base name; workArea: the primary screen's available geometry; defaultStartFolder: the
// start folder when none is stored. Missing values keep what settings holds; an option
// stored as something other than an integer keeps it too. A stored geometry piece that
// is not an integer raises palvoric::UserError: settings.geometry then holds the pieces
// before it and nothing else is read.
void loadWindowSettings(WindowSettings &settings, const QString &section, const QRect &workArea,
                        const QString &defaultStartFolder, const QString &file = QString());

// What a user starts with until he saves his own settings: the options and the start
// folder of the practice's defaults file (store/program_folders.h) over those settings
// holds and over defaultStartFolder. The geometry is each user's. An empty defaultsFile
// reads nothing: settings.startFolder becomes defaultStartFolder. Never raises.
void loadWindowDefaults(WindowSettings &settings, const QString &defaultStartFolder,
                        const QString &defaultsFile);

// Writes the geometry, the options, the start folder and the panel flag, in this order;
// raises at the first write that fails.
void saveWindowSettings(const WindowSettings &settings, const QString &section,
                        const QString &file = QString());

} // namespace store
