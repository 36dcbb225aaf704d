#include "store/window_settings.h"

#include "store/form_geometry.h"
#include "store/ini_file.h"

namespace store {

void loadWindowSettings(WindowSettings &settings, const QString &section, const QString &windowName,
                        const QRect &workArea, const QString &exeFolder, const QString &file)
{
    LoadFormGeometry(section, windowName, settings.geometry, workArea, file);
    const QList<bool> states = LoadCheckStates(settings.checks, file);
    for (qsizetype i = 0; i < states.size(); ++i)
        settings.checks[i].checked = states[i];
    settings.startFolder =
        IniReadString(QStringLiteral("DOSSIER"), QStringLiteral("DATA"), exeFolder, file);
}

void saveWindowSettings(const WindowSettings &settings, const QString &section,
                        const QString &windowName, const QString &file)
{
    SaveFormGeometry(section, windowName, settings.geometry, file);
    SaveCheckStates(settings.checks, file);
    IniWriteString(QStringLiteral("DOSSIER"), QStringLiteral("DATA"), settings.startFolder, file);
    IniWriteBool(QStringLiteral("AFFICHER"), QStringLiteral("DOSSIER"), settings.folderPanelChecked,
                 file);
}

} // namespace store
