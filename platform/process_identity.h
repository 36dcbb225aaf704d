#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

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

// This machine, told from every other one that shares a folder: the systemd machine id
// (/etc/machine-id), or the host name where there is none. Letters, digits, '-', '.'
// and '_' only.
QByteArray thisMachineId();
// This boot of the machine: a process id and start time say nothing across a reboot.
QByteArray thisBootId();
// When the process pid of this machine started, in clock ticks since the boot; nothing
// when it does not run (or /proc does not say). A process id taken again by a later
// process gets another start time.
std::optional<quint64> processStartTime(qint64 pid);

} // namespace platform
