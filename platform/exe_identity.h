#pragma once

#include <QString>

// The running program's own files are found from the path of its executable: the folder
// that holds it, its base name, the settings file beside it. Each routine has a pure
// variant taking the path, so that other names and folders can be tried.
namespace platform {

// Full path of the running executable ("" when it cannot be found).
QString executablePath();
// Makes executablePath() answer path instead (tests place the program's files in a
// temporary folder this way); an empty path restores the real one.
void overrideExecutablePath(const QString &path);

// Everything up to and including the last "/", with a "/" appended when missing.
QString exeFolderFromPath(const QString &exePath);
// The file name without its extension (the text from the name's last ".").
QString exeBaseNameFromPath(const QString &exePath);
// The full path with its extension (the text from the file name's last ".") replaced by
// extension, or extension appended when it has none; "" for an empty path.
QString replaceExtension(const QString &path, const QString &extension);
// The file name cut before its first ".", its first character kept, the others lower-cased.
QString programTitleFromPath(const QString &exePath);

QString exeFolder();
QString exeBaseName();
QString programTitle();

} // namespace platform
