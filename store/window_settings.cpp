#include "store/window_settings.h"

#include "errors/user_error.h"
#include "platform/program_files_lock.h"
#include "store/form_geometry.h"
#include "store/ini_file.h"
#include "store/stored_names.h"

namespace store {

namespace {

// The options in the order existing settings files list them.
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
    {kIgnoreAccentsKey, &WindowOptions::ignoreAccents},
};

} // namespace

void loadWindowSettings(WindowSettings &settings, const QString &section, const QRect &workArea,
                        const QString &defaultStartFolder, const QString &file)
{
    loadWindowGeometry(section, kGeometryKey, settings.geometry, workArea, file);
    WindowOptions &options = settings.options;
    for (const OptionKey &option : kOptionKeys)
        options.*option.value =
            iniReadBool(kOptionsSection, option.key, options.*option.value, file);
    settings.startFolder =
        iniReadString(kStartFolderSection, kStartFolderKey, defaultStartFolder, file);
}

void loadWindowDefaults(WindowSettings &settings, const QString &defaultStartFolder,
                        const QString &defaultsFile)
{
    if (defaultsFile.isEmpty()) { // an empty path would name the user's own settings
        settings.startFolder = defaultStartFolder;
        return;
    }
    WindowOptions &options = settings.options;
    for (const OptionKey &option : kOptionKeys)
        options.*option.value =
            iniReadBool(kOptionsSection, option.key, options.*option.value, defaultsFile);
    settings.startFolder =
        iniReadString(kStartFolderSection, kStartFolderKey, defaultStartFolder, defaultsFile);
}

void saveWindowSettings(const WindowSettings &settings, const QString &section, const QString &file)
{
    // One whole set of values, never a mix with another process's save.
    const QString path = iniFilePath(file);
    const platform::ProgramFilesLock lock(programFilesLockPath(path));
    if (!lock.isHeld())
        throw palvoric::UserError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
    saveWindowGeometry(section, kGeometryKey, settings.geometry, file);
    for (const OptionKey &option : kOptionKeys)
        iniWriteBool(kOptionsSection, option.key, settings.options.*option.value, file);
    iniWriteString(kStartFolderSection, kStartFolderKey, settings.startFolder, file);
    iniWriteBool(kDisplaySection, kStartFolderPanelKey, settings.options.showStartFolder, file);
}

} // namespace store
