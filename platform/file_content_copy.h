#pragma once

#include <QtGlobal>

#include <functional>

struct stat;

namespace platform {

// Told the number of bytes just copied; returns false to stop the copy.
using CopyProgress = std::function<bool(qint64 bytes)>;

// Copies all the content of the open file from into the open, empty file to, then gives
// to the permissions, the owner (when running as root) and the access and modification
// times of status (the source's), and forces it to the disk. Returns 0, or the error of
// the first step that failed (ECANCELED when progress asked to stop); a failed sync is a
// failure.
int copyFileContent(int from, int to, const struct stat &status, const CopyProgress &progress = {});

} // namespace platform
