// palvoric-enumerate FOLDER
//
// The whole-process floor the peers (ls | grep, find) are compared with: a program that
// starts, enumerates the folder, counts the names and ends. No Qt.

#include "bench/floor_enumeration.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 1;
    std::printf("%ld\n", countFolderEntries(argv[1]));
    return 0;
}
