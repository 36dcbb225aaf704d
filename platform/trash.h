#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The desktop trash as freedesktop.org desktops share it, from which the user can
// restore what was sent there. An entry goes to the home trash when it lies on the same
// file system as the home trash, and otherwise to the trash at the top of its own file
// system ($topdir/.Trash/$uid, or $topdir/.Trash-$uid). It is never copied and never
// deleted: where no trash can take it by a rename, it stays where it is.
//
// Qt's QFile::moveToTrash is not used: it retries for ever when the trash's info folder
// cannot be written (no rights, no free space or inodes), and falls back to copying.
namespace platform {

struct TrashOutcome
{
    enum class Status {
        Trashed,  // the entry is in the trash, with its .trashinfo
        NotFound, // nothing at the path: nothing was done
        NoTrash,  // no trash on its file system can take it: the entry is untouched
        Failed,   // the trash refused it (rights, full disk...): the entry is untouched
    };

    Status status = Status::Failed;
    int error = 0;       // errno of the step that failed; 0 once trashed
    QString trashFolder; // the trash used (holding files/ and info/), when one was found
    QString trashedName; // the entry's name inside files/, once trashed
};

// Sends the entry at path (a folder with all it holds, a file, or a symbolic link itself,
// never what it points to) to the trash. Every failure returns at once, the entry where it
// was and no .trashinfo left behind.
TrashOutcome moveToTrash(const QString &path);

// The home trash: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
QString homeTrashFolder();

// A path as the Path= key of a .trashinfo holds it: its bytes percent-encoded as URLs
// are (RFC 2396), "/" and the unreserved characters left as they are.
QByteArray trashInfoPathText(QByteArrayView path);

} // namespace platform
