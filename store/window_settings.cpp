#include "store/window_settings.h"

#include "store/form_geometry.h"
#include "store/ini_file.h"
#include "store/stored_names.h"

namespace store {

namespace {

// The options in the order the file has always listed them.
struct OptionKey
{
    const QString &key;
    bool WindowOptions::*value;
};

const OptionKey kOptionKeys[] = {
    {kBeginsWithKey, &WindowOptions::beginsWith},
    {kStayOnTopKey, &WindowOptions::stayOnTop},
    {kShowStartFolderKey, &WindowOptions::showStartFolder},
    {kTidyLogsKey, &WindowOptions::tidyLogs},
};

} // namespace

void loadWindowSettings(WindowSettings &settings, const QString &section, const QRect &workArea,
                        const QString &defaultStartFolder, const QString &file)
{
    LoadFormGeometry(section, kGeometryKey, settings.geometry, workArea, file);
    WindowOptions &options = settings.options;
    for (const OptionKey &option : kOptionKeys)
        options.*option.value =
            IniReadBool(kOptionsSection, option.key, options.*option.value, file);
    settings.startFolder =
        IniReadString(kStartFolderSection, kStartFolderKey, defaultStartFolder, file);
}

void saveWindowSettings(const WindowSettings &settings, const QString &section, const QString &file)
{
    SaveFormGeometry(section, kGeometryKey, settings.geometry, file);
    for (const OptionKey &option : kOptionKeys)
        IniWriteBool(kOptionsSection, option.key, settings.options.*option.value, file);
    IniWriteString(kStartFolderSection, kStartFolderKey, settings.startFolder, file);
    IniWriteBool(kDisplaySection, kStartFolderPanelKey, settings.options.showStartFolder, file);
}

} // namespace store
