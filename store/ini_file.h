#pragma once

#include <QString>

#include <chrono>

// The one-call INI operations of the whole program. Each one reads the file afresh and,
// for a write, replaces it in one step (platform/atomic_file.h): nothing is kept open or
// cached between calls. An empty file path means the settings file (settingsFilePath()).
namespace store {

// The path an operation given `file` uses: file itself, or settingsFilePath() when empty.
QString iniFilePath(const QString &file);
// The settings file (store/program_folders.h): beside a portable copy, the executable's
// path with its extension replaced by ".INI"; for an installed one, the same name in the
// user's configuration folder.
QString settingsFilePath();
// The lock file of the folder that holds file (platform/program_files_lock.h): every
// change of one of the program's files is made under it.
QString programFilesLockPath(const QString &file);

// Removes from folder the temporary files of saves that a killed run left behind
// (platform/atomic_file.h), under the lock of folder's program files: a save that
// another workstation sharing the folder is making right now holds the lock, and its
// temporary file is not taken for a leftover. Does nothing when the lock cannot be had
// within timeout. Returns how many files were removed.
int removeLeftoverSaves(const QString &folder,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Longest value a read gives; a longer stored value (or default) is cut.
constexpr qsizetype kIniReadLimit = 2047;

// Stores value under section and key (see IniDocument for where it goes); a missing file
// is created. Raises palvoric::UserError "Impossible d'écrire dans <path>" when the file
// cannot be read back or written, followed by the reason when another account's link
// stands in its place (platform/trusted_links.h); the file then keeps its former content.
void iniWriteString(const QString &section, const QString &key, const QString &value,
                    const QString &file = QString());

// As iniWriteString, for a file that grows by its end (the activity logs): when the key
// goes at the very end of the file (its section is the last one, or a new one), its lines
// are added in place, in time that does not depend on the file's size; any other change
// replaces the file as iniWriteString does. An append cut short by a crash can leave only
// a partial last line: a read takes it as it is, and the next write gives it its line end.
void iniAppendString(const QString &section, const QString &key, const QString &value,
                     const QString &file);

// As iniAppendString, but the entry always gets a line of its own, where a missing key
// would go, even when its section holds the key already: a journal entry never replaces
// one made in the same second (two workstations opening folders at once).
void iniAddString(const QString &section, const QString &key, const QString &value,
                  const QString &file);

// The stored value, or defaultValue when the file, the section or the key is missing (or
// the file cannot be read); a present key with an empty value gives the empty text.
// Never raises.
QString iniReadString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file = QString());

// Writes "1" for true and "0" for false.
void iniWriteBool(const QString &section, const QString &key, bool value,
                  const QString &file = QString());

// True when the stored value is an integer (textToInt) other than 0, false when it is 0,
// defaultValue when it is missing or not an integer. Never raises.
bool iniReadBool(const QString &section, const QString &key, bool defaultValue,
                 const QString &file = QString());

} // namespace store
