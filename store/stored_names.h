#pragma once

#include <QString>

// Every name the program writes into a file or gives a file. Practices bring these files
// from one installation to the next, so none of these names may ever change, whatever
// the window's elements are called.
namespace store {

// The settings file. Its geometry section is named after the executable's base name
// (platform::exeBaseName()); the window's outer geometry is stored there under this key.
inline const QString kGeometryKey = QStringLiteral("Form1");

// The window's options, as "1" or "0".
inline const QString kOptionsSection = QStringLiteral("CASES_A_COCHER");
inline const QString kBeginsWithKey = QStringLiteral("chk_DEBUT");
inline const QString kStayOnTopKey = QStringLiteral("chk_StayOnTop");
inline const QString kShowStartFolderKey = QStringLiteral("chk_DOSSIER");
inline const QString kTidyLogsKey = QStringLiteral("chk_LOG");
inline const QString kIgnoreAccentsKey = QStringLiteral("chk_ACCENTS");

// The start folder.
inline const QString kStartFolderSection = QStringLiteral("DOSSIER");
inline const QString kStartFolderKey = QStringLiteral("DATA");

// Whether the start-folder panel is shown, stored once more for older copies.
inline const QString kDisplaySection = QStringLiteral("AFFICHER");
inline const QString kStartFolderPanelKey = QStringLiteral("DOSSIER");

// In the practice's defaults for installed copies (store/program_folders.h): the program
// folder that every installed copy shares for its history, logs, lock and move records.
inline const QString kSharedFolderSection = QStringLiteral("PARTAGE");
inline const QString kSharedFolderKey = QStringLiteral("DOSSIER");

// The files beside the program.
inline const QString kSettingsExtension = QStringLiteral(".INI");
inline const QString kHistoryFileName = QStringLiteral("liste.txt");
inline const QString kJournalFileName = QStringLiteral("_JOURNAL.LOG");
inline const QString kFolderLogFileName = QStringLiteral("_DOSSIERS.LOG");
// The lock file every process takes before it changes one of the files above; it holds
// nothing.
inline const QString kLockFileName = QStringLiteral(".palvoric.lock");
// The folder of an installed copy's files, inside the user's configuration and data
// folders (store/program_folders.h).
inline const QString kProgramFolderName = QStringLiteral("palvoric");
// Opened, never written; the trailing space is part of the name the program passes on.
inline const QString kRevisionNotesFileName = QStringLiteral("_REVISIONS.TXT ");

} // namespace store
