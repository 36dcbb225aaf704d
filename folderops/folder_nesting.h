#pragma once

#include "platform/folder_move.h"

#include <QString>

// Nesting a folder of the start folder into another (platform::moveFolderInto) and the
// French message the window shows for what was refused or went wrong. The messages name
// the source and the destination by the last part of their paths.
namespace folderops {

struct NestingResult
{
    platform::MoveResult move;
    QString message; // for the user, in French; empty for a clean move and for a cancel
};

// Moves the entry at sourcePath into destinationFolder under its own name, never
// replacing anything, and says why when it did not go cleanly. recordFolder, the folder
// of the program's files, keeps the record of a move across file systems while it runs;
// what killed moves left is finished first (platform/move_records.h).
NestingResult nestFolder(const QString &sourcePath, const QString &destinationFolder,
                         const platform::MoveProgress &progress = {},
                         const QString &recordFolder = {});

// A path or name as a message shows it: at most 120 characters, its middle left out.
QString shortenedPath(const QString &path);

// The message for move, the result of moving sourcePath into destinationFolder; empty for
// a clean move and for a cancel.
QString nestingMessage(const platform::MoveResult &move, const QString &sourcePath,
                       const QString &destinationFolder);

} // namespace folderops
