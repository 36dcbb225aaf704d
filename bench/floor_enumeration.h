#pragma once

#include <QByteArray>

// The floor of any search: the bare enumeration of a folder, counting its names, with
// the same system call and buffer as the program's listing and nothing else.
qsizetype countFolderEntries(const QByteArray &nativeFolder);
