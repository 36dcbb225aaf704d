#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// What a tree on disk holds, entry by entry, as a test compares it before and after an
// operation: kind, permissions, modification time, and the bytes of each file or the
// target of each link. Links are not followed.
struct TreeEntry
{
    char kind = '?'; // 'd' folder, 'f' file, 'l' link, '?' anything else
    unsigned mode = 0;
    qint64 modifiedNs = 0;
    QByteArray content; // a file's bytes, a link's target

    bool operator==(const TreeEntry &other) const = default;
};

// Relative native path (the top itself is "") -> entry. Empty when nothing is there.
using TreeSnapshot = QMap<QByteArray, TreeEntry>;

TreeSnapshot snapshotTree(const QByteArray &nativePath);
inline TreeSnapshot snapshotTree(const QString &path)
{
    return snapshotTree(path.toUtf8());
}

// The first difference between two snapshots, for a failure message; empty when equal.
// Modification times of folders are left out when withFolderTimes is false.
QString treeDifference(const TreeSnapshot &expected, const TreeSnapshot &actual,
                       bool withFolderTimes = true);
