#pragma once

#include <QByteArray>
#include <QtGlobal>

// What tells the leftovers of a killed process from the files of one still at work: the
// machine's name (a shared folder is written by several machines) and whether a process
// of this machine still runs.
namespace platform {

QByteArray thisHostName();
// A short name of this machine for the files it leaves in a shared folder: twelve
// hexadecimal digits, the same for every process here. A hash of the machine id, which
// tells apart workstations that share a host name (default or cloned installations), and
// of the host name, for systems without a machine id.
QByteArray thisMachineTag();
// Whether the process pid of this machine may still run.
bool processMayRun(qint64 pid);

} // namespace platform
