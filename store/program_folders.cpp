#include "store/program_folders.h"

#include "store/stored_names.h"

#include "errors/system_error_text.h"
#include "errors/user_error.h"
#include "platform/exe_identity.h"
#include "platform/user_folders.h"
#include "store/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include <cerrno>
#include <sys/stat.h>

namespace store {

namespace {

// path with one "/" at its end.
QString asFolder(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// An XDG base folder: the variable when it holds an absolute path (a relative one counts
// as unset), else the default below home.
QString baseFolder(const QString &variable, const QString &home, const QString &fallback)
{
    if (variable.startsWith(QLatin1Char('/')))
        return asFolder(variable);
    return asFolder(home) + fallback + QLatin1Char('/');
}

} // namespace

QStringList ProgramFolders::writtenFolders() const
{
    const QString configFolder = settingsFile.left(settingsFile.lastIndexOf(QLatin1Char('/')) + 1);
    return configFolder == dataFolder ? QStringList{dataFolder}
                                      : QStringList{configFolder, dataFolder};
}

ProgramFolders programFoldersFor(const ProgramFolderFacts &facts)
{
    ProgramFolders folders;
    const QString settingsName = platform::exeBaseNameFromPath(facts.exePath) + kSettingsExtension;
    folders.portable =
        facts.settingsFilePresent || (facts.exeFolderWritable && !facts.inInstallFolder);
    if (folders.portable) {
        const QString exeFolder = platform::exeFolderFromPath(facts.exePath);
        folders.settingsFile = platform::replaceExtension(facts.exePath, kSettingsExtension);
        folders.dataFolder = exeFolder;
        folders.defaultStartFolder = exeFolder;
        folders.revisionNotesFolder = exeFolder;
        return folders;
    }
    const QString ownFolder = kProgramFolderName + QLatin1Char('/');
    folders.settingsFile = baseFolder(facts.configHome, facts.home, QStringLiteral(".config")) +
                           ownFolder + settingsName;
    folders.dataFolder =
        baseFolder(facts.dataHome, facts.home, QStringLiteral(".local/share")) + ownFolder;
    folders.defaultStartFolder = asFolder(facts.home);
    folders.revisionNotesFolder = asFolder(facts.packageDataFolder);
    folders.defaultsFile = facts.defaultsFile;
    // Only an absolute path: a relative one would depend on where the program started.
    if (!facts.defaultsFile.isEmpty() && facts.sharedFolder.startsWith(QLatin1Char('/'))) {
        folders.dataFolder = asFolder(QDir::cleanPath(facts.sharedFolder));
        folders.sharedDataFolder = true;
    }
    return folders;
}

QStringList defaultsFileCandidates(const QString &configDirs, const QString &settingsName)
{
    QStringList candidates;
    for (const QString &folder : configDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (folder.startsWith(QLatin1Char('/')))
            candidates.append(asFolder(folder) + kProgramFolderName + QLatin1Char('/') +
                              settingsName);
    }
    if (candidates.isEmpty())
        candidates.append(QStringLiteral("/etc/xdg/") + kProgramFolderName + QLatin1Char('/') +
                          settingsName);
    return candidates;
}

ProgramFolderFacts currentProgramFolderFacts()
{
    ProgramFolderFacts facts;
    facts.exePath = platform::executablePath();
    const QString exeFolder = platform::exeFolderFromPath(facts.exePath);
    facts.exeFolderWritable = platform::isWritableFolder(exeFolder);
    facts.settingsFilePresent =
        QFileInfo(platform::replaceExtension(facts.exePath, kSettingsExtension)).isFile();
    // The build writes both from the install rules: "/usr/bin", and "../share/palvoric"
    // from there. The installed files are found from the executable, wherever the tree
    // was put.
    facts.inInstallFolder =
        asFolder(QDir::cleanPath(exeFolder)) == asFolder(QStringLiteral(PALVORIC_INSTALL_BINDIR));
    facts.packageDataFolder = QDir::cleanPath(exeFolder + QStringLiteral(PALVORIC_DATA_FROM_BIN));
    facts.home = platform::homeFolder();
    facts.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    facts.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    const QString settingsName = platform::exeBaseNameFromPath(facts.exePath) + kSettingsExtension;
    for (const QString &candidate :
         defaultsFileCandidates(qEnvironmentVariable("XDG_CONFIG_DIRS"), settingsName)) {
        if (QFileInfo(candidate).isFile()) {
            facts.defaultsFile = candidate;
            facts.sharedFolder =
                iniReadString(kSharedFolderSection, kSharedFolderKey, QString(), candidate);
            break;
        }
    }
    return facts;
}

ProgramFolders programFolders()
{
    static QMutex mutex;
    static QString decidedFor;
    static ProgramFolders decided;
    const QString exePath = platform::executablePath();
    const QMutexLocker locker(&mutex);
    if (decidedFor != exePath || exePath.isEmpty()) {
        decided = programFoldersFor(currentProgramFolderFacts());
        decidedFor = exePath;
    }
    return decided;
}

void createProgramFolders(const ProgramFolders &folders)
{
    if (folders.portable)
        return; // beside the executable, which is there
    for (const QString &folder : folders.writtenFolders()) {
        if (folders.sharedDataFolder && folder == folders.dataFolder) {
            struct stat status;
            int error = 0;
            if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
                error = errno;
            else if (!S_ISDIR(status.st_mode))
                error = ENOTDIR;
            if (error) {
                throw palvoric::UserError(
                    QStringLiteral(
                        "Impossible d'ouvrir le dossier partagé \"%1\" nommé dans %2. %3")
                        .arg(folder, folders.defaultsFile, errors::systemErrorText(error)));
            }
            continue;
        }
        if (const int error = platform::makePrivateFolder(folder)) {
            throw palvoric::UserError(QStringLiteral("Impossible de créer le dossier \"%1\". %2")
                                          .arg(folder, errors::systemErrorText(error)));
        }
    }
}

} // namespace store
