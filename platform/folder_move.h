#pragma once

#include <QString>

#include <functional>

// Nesting one entry of the start folder (a patient folder, or a file) into a folder: it
// keeps its name and goes inside the destination with everything it holds. Nothing is ever
// replaced or merged: a destination that already holds the name refuses the move. Within
// one file system the move is one rename; across file systems the entry is copied into a
// hidden staging folder inside the destination, renamed into place once complete and
// synced, and only then removed from where it was; a failure or a cancel on the way
// removes the staging copy and leaves the original whole.
namespace platform {

// Told how many bytes of how many have been copied so far; returns false to stop the
// move. Called only when the move has to copy.
using MoveProgress = std::function<bool(qint64 done, qint64 total)>;

struct MoveResult
{
    enum class Outcome {
        Moved,     // the entry is in the destination (message: what went wrong after that)
        Copied,    // a complete copy is in the destination, but the original stays, whole or
                   // in part: see message
        Refused,   // nothing was done: see message
        Failed,    // nothing moved; whatever was started has been undone: see message
        Cancelled, // stopped through the progress callback; nothing moved
    };
    Outcome outcome = Outcome::Failed;
    // For the user, in French; empty for a clean move and for a cancel.
    QString message;

    bool moved() const { return outcome == Outcome::Moved; }
};

// Hidden names of the staging folders of moves across file systems begin with this.
inline constexpr char kMoveStagingPrefix[] = ".palvoric-move-";

// Moves the entry at sourcePath into the folder destinationFolder, under its own name.
// Refused, with nothing touched: a source that no longer exists, a destination that does
// not exist or is not a folder, a folder into itself or one of its own sub-folders, a
// destination already holding the name (a file, an empty folder or a full one), a tree
// holding something other than folders, files and links, or a folder whose content this
// process could copy but not take out afterwards.
MoveResult moveFolderInto(const QString &sourcePath, const QString &destinationFolder,
                          const MoveProgress &progress = {});

} // namespace platform
