#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files, decided once from where it runs.
//
// A portable copy, whose folder the user may write or which holds its settings file
// already, keeps everything beside its executable: practices run one copy from a shared
// folder. An installed copy (in a folder the user cannot write, such as /usr/bin, with no
// settings file there) keeps its settings in $XDG_CONFIG_HOME/palvoric/ and its history,
// logs and move records in $XDG_DATA_HOME/palvoric/ (~/.config and ~/.local/share when
// unset), and starts its searches in the user's home. A copy in the folder the install
// rules put it in counts as installed for root too, so that a run by root writes nothing
// beside the system's programs.
//
// The practice's IT may give installed copies defaults, in a settings file of the same
// name in a folder "palvoric" of $XDG_CONFIG_DIRS (/etc/xdg/palvoric/Palvoric.INI when
// the variable is unset): the start folder and options a user gets until he saves his
// own (store/window_settings.h), and, in its section "PARTAGE", key "DOSSIER", one
// program folder that every installed copy shares for its history, logs, lock and move
// records, as portable copies run from one shared folder do. The settings stay the
// user's own.
namespace store {

// What the decision is made from.
struct ProgramFolderFacts
{
    QString exePath;                  // the executable's full path
    bool exeFolderWritable = false;   // this user may create files in its folder
    bool settingsFilePresent = false; // its settings file is there already
    bool inInstallFolder = false;     // its folder is the one the install rules use
    QString packageDataFolder;        // the read-only files an installation brings
    QString home;                     // the user's home folder
    QString configHome;               // $XDG_CONFIG_HOME as set ("" when unset)
    QString dataHome;                 // $XDG_DATA_HOME as set ("" when unset)
    QString defaultsFile;             // the practice's defaults, "" when there are none
    QString sharedFolder;             // the program folder they name, as written there
};

// Every folder below ends with "/".
struct ProgramFolders
{
    bool portable = true;
    QString settingsFile;          // the settings, named after the executable ("Palvoric.INI")
    QString dataFolder;            // the history "liste.txt", the logs, the move records
    QString defaultStartFolder;    // the start folder when the settings name none
    QString revisionNotesFolder;   // where "_REVISIONS.TXT" lies
    QString defaultsFile;          // the practice's defaults for an installed copy, or ""
    bool sharedDataFolder = false; // the data folder is the one the defaults name
    // The folders the program writes in: the settings file's and the data folder, once
    // each. An installed copy creates them at its first start.
    QStringList writtenFolders() const;
};

ProgramFolders programFoldersFor(const ProgramFolderFacts &facts);

// Where the practice's defaults may lie, the first found counting: settingsName in the
// folder "palvoric" of each absolute folder of configDirs (the value of $XDG_CONFIG_DIRS,
// folders separated by ":"), in its order; "/etc/xdg" when it names none.
QStringList defaultsFileCandidates(const QString &configDirs, const QString &settingsName);

// The facts of the running program (platform::executablePath()) and of this user.
ProgramFolderFacts currentProgramFolderFacts();

// The folders of the running program. Decided at the first call for the executable path
// and kept: the program's files do not move while it runs.
ProgramFolders programFolders();

// Creates the written folders of an installed copy, when missing (each new one
// readable by the user alone). Raises palvoric::UserError "Impossible de créer le dossier
// "<folder>". <cause>" when one cannot be made. A shared data folder is the practice's to
// make, with the rights its users need: when it is not there the error is "Impossible
// d'ouvrir le dossier partagé "<folder>" nommé dans <defaults file>. <cause>".
void createProgramFolders(const ProgramFolders &folders);

} // namespace store
