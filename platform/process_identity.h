#pragma once

#include <QByteArray>
#include <QtGlobal>

// What tells the leftovers of a killed process from the files of one still at work: the
// machine's name (a shared folder is written by several machines) and whether a process
// of this machine still runs.
namespace platform {

QByteArray thisHostName();
// Whether the process pid of this machine may still run.
bool processMayRun(qint64 pid);

} // namespace platform
