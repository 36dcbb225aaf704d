#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>

namespace platform {

class WildcardMatcher;

// The names of the entries directly inside folder (never those of its sub-folders) that
// match the pattern, in the order the system gives them: folders, plain files and
// anything else alike. Left out: "." and "..", the hidden entries of Linux, whose names
// begin with ".", and, on the file systems that keep Windows' attributes (NTFS, FAT, SMB
// shares), the entries marked hidden or system (see DosAttributeReader). Names are
// decoded with decodeFileName, so each one encodes back to its entry.
//
// A folder that is missing, not a folder, or unreadable gives no names and no error; a
// read error part way through keeps the names gathered so far.
//
// cancelled, when given, is looked at between two reads of the folder: once it is true
// the listing stops and gives no names (on a slow share, a search the user has already
// typed past).
QStringList listFolder(const QString &folder, const WildcardMatcher &matcher,
                       const std::atomic<bool> *cancelled = nullptr);
QStringList listFolder(const QString &folder, QStringView pattern);

} // namespace platform
