#pragma once

#include <QString>

// What the system says about the user's own folders and the program's rights on a folder,
// for deciding where the program keeps its files (store/program_folders.h).
namespace platform {

// True when this process may create and replace files in the folder at path (write and
// search rights, a folder, and a file system mounted for writing).
bool isWritableFolder(const QString &path);

// The user's home folder: $HOME when it is an absolute path, else the home of the
// account in the password database, else "/".
QString homeFolder();

// Creates the folder at path with every missing parent, each new one readable by the user
// alone (0700): the files kept there name patients. Returns 0, or the errno of the first
// step that failed (ENOTDIR when something else than a folder holds a name of the path).
int makePrivateFolder(const QString &path);

} // namespace platform
