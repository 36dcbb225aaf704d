#pragma once

#include <QString>
#include <QStringList>

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
        Moved,     // the entry is in the destination (reason: what went wrong after that)
        Copied,    // a complete copy is in the destination, but the original stays, whole or
                   // in part: see reason
        Refused,   // nothing was done: see reason
        Failed,    // nothing moved; whatever was started has been undone: see reason
        Cancelled, // stopped through the progress callback; nothing moved
    };
    // What was refused or went wrong, for the caller to tell the user; None for a clean
    // move and for a cancel.
    enum class Reason {
        None,
        SourceMissing,          // Refused: the source, or its folder, no longer exists
        DestinationMissing,     // Refused: the destination folder does not exist
        DestinationNotFolder,   // Refused: the destination is not a folder
        IntoItself,             // Refused: a folder into itself or one of its sub-folders,
                                // however the destination is reached (bind mounts too)
        MountInside,            // Refused: another volume is mounted inside the tree: entry
        AlreadyInDestination,   // Refused: the source already lies in the destination
        NameTakenByFile,        // Refused: the destination holds the name already: a file,
        NameTakenByEmptyFolder, //   an empty folder,
        NameTakenByFolder,      //   a folder that holds something,
        NameTakenByOther,       //   anything else (a link), or what could not be looked at
        UnsupportedEntry,       // Refused: entry is neither a folder, nor a file, nor a link
        SourceNotMovable,       // Refused: the tree could not be read through, or entry could
                                // be copied but not taken out afterwards: error, entry
        SystemError,            // Failed: a system call refused the move: error
        CopyFailed,             // Failed: the copy across file systems failed and has been
                                // removed: error, and entry when one was concerned
        CopyNotSynced,          // Copied: the disk did not confirm the copy: error
        SourceChanged,          // Copied: parts of the original were created, changed,
                                // replaced or renamed while it was copied; they stay where
                                // they were, all else was removed: kept, entry (the first)
        SourceNotRemoved,       // Copied: the original could not all be removed: error, entry
        MoveNotSynced,          // Moved: the disk did not confirm the rename: error
    };
    Outcome outcome = Outcome::Failed;
    Reason reason = Reason::None;
    int error = 0; // errno of the step that failed, where the reason has one
    // The entry concerned, as a path relative to the source's folder (the source's own
    // name first), where the reason names one; empty otherwise.
    QString entry;
    // With SourceChanged: every entry left in the source, as entry is given.
    QStringList kept;

    bool moved() const { return outcome == Outcome::Moved; }
};

// Hidden names of the staging folders of moves across file systems begin with this.
inline constexpr char kMoveStagingPrefix[] = ".palvoric-move-";

// Moves the entry at sourcePath into the folder destinationFolder, under its own name.
// Refused, with nothing touched: a source that no longer exists, a destination that does
// not exist or is not a folder, a folder into itself or one of its own sub-folders, a
// destination already holding the name (a file, an empty folder or a full one), a tree
// holding something other than folders, files and links, a tree with another volume
// mounted inside it, or a folder whose content this process could copy but not take out
// afterwards. Across file systems only what was copied is removed from the source, each
// entry checked to be still the one the copy read.
// recordFolder: where a move across file systems keeps its record while it runs
// (platform/move_records.h), the folder of the program's files; empty keeps none.
MoveResult moveFolderInto(const QString &sourcePath, const QString &destinationFolder,
                          const MoveProgress &progress = {}, const QString &recordFolder = {});

} // namespace platform
