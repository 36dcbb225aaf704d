#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// What a drop from the file browser carries, sorted into the files of this machine,
// which can be moved, and the rest, which cannot: a file link of another host
// ("file://serveur/partage/x.pdf") names a file elsewhere, never the local path it
// spells.
namespace folderops {

struct DroppedLinks
{
    QStringList paths;   // local paths, in the order given
    QStringList refused; // the other links as the user would read them
};

// hostName: this machine's name. A file link whose host is empty, "localhost" or
// hostName (letter case aside) is a local path; its percent-encoded bytes name the file
// even when they are not UTF-8.
DroppedLinks sortDroppedLinks(const QList<QUrl> &urls, const QString &hostName);

// The one message that names what a drop carried and cannot be moved.
QString refusedLinksText(const QStringList &refused);

} // namespace folderops
