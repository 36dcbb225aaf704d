#pragma once

// The floor of any search: the bare enumeration of a folder, counting its names, with
// the same system call and buffer as the program's listing and nothing else. Plain C++,
// so that palvoric-enumerate, the whole-process floor, starts without Qt.
long countFolderEntries(const char *nativeFolder);
