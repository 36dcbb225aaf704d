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
};

// Every folder below ends with "/".
struct ProgramFolders
{
    bool portable = true;
    QString settingsFile;        // the settings, named after the executable ("Palvoric.INI")
    QString dataFolder;          // the history "liste.txt", the logs, the move records
    QString defaultStartFolder;  // the start folder when the settings name none
    QString revisionNotesFolder; // where "_REVISIONS.TXT" lies
    // The folders the program writes in: the settings file's and the data folder, once
    // each. An installed copy creates them at its first start.
    QStringList writtenFolders() const;
};

ProgramFolders programFoldersFor(const ProgramFolderFacts &facts);

// The facts of the running program (platform::executablePath()) and of this user.
ProgramFolderFacts currentProgramFolderFacts();

// The folders of the running program. Decided at the first call for the executable path
// and kept: the program's files do not move while it runs.
ProgramFolders programFolders();

// Creates the written folders of an installed copy, when missing (each new one
// readable by the user alone). Raises palvoric::UserError "Impossible de créer le dossier
// "<folder>". <cause>" when one cannot be made.
void createProgramFolders(const ProgramFolders &folders);

} // namespace store
