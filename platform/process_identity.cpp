#include "platform/process_identity.h"

#include "platform/file_contents.h"

#include <QCryptographicHash>
#include <QFile>
#include <QList>

#include <cerrno>
#include <climits>
#include <signal.h>
#include <unistd.h>

namespace platform {

namespace {

// The first line of a small system file, reduced to the characters an identity keeps.
QByteArray systemIdentity(const char *path)
{
    QByteArray bytes;
    if (readFileContents(QString::fromLatin1(path), &bytes) != ReadStatus::Ok)
        return {};
    QByteArray kept;
    for (const char c : bytes.left(bytes.indexOf('\n'))) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_')
            kept.append(c);
    }
    return kept.left(64);
}

} // namespace

QByteArray thisHostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return QByteArrayLiteral("localhost");
    return QByteArray(name);
}

QByteArray thisMachineTag()
{
    static const QByteArray tag = [] {
        QByteArray machineId;
        for (const char *path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
            QFile file(QString::fromLatin1(path));
            if (file.open(QIODevice::ReadOnly))
                machineId = file.read(256).trimmed();
            if (!machineId.isEmpty())
                break;
        }
        const QByteArray identity = machineId + '\n' + thisHostName();
        return QCryptographicHash::hash(identity, QCryptographicHash::Sha256).left(6).toHex();
    }();
    return tag;
}

bool processMayRun(qint64 pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    return kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

QByteArray thisMachineId()
{
    static const QByteArray id = [] {
        QByteArray found = systemIdentity("/etc/machine-id");
        if (found.isEmpty())
            found = systemIdentity("/var/lib/dbus/machine-id");
        if (found.isEmpty()) {
            for (const char c : thisHostName()) {
                if (QByteArrayView("-._").contains(c) || (c >= '0' && c <= '9') ||
                    ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'))
                    found.append(c);
            }
        }
        return found.isEmpty() ? QByteArrayLiteral("localhost") : found;
    }();
    return id;
}

QByteArray thisBootId()
{
    static const QByteArray id = systemIdentity("/proc/sys/kernel/random/boot_id");
    return id;
}

std::optional<quint64> processStartTime(qint64 pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return std::nullopt;
    QByteArray stat;
    if (readFileContents(QStringLiteral("/proc/%1/stat").arg(pid), &stat) != ReadStatus::Ok)
        return std::nullopt;
    // The command name in parentheses may hold spaces and parentheses: the fields are
    // counted after its last ')'. The start time is the 22nd field, the 20th after it.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return std::nullopt;
    bool ok = false;
    const quint64 ticks = fields[19].toULongLong(&ok);
    return ok ? std::optional<quint64>(ticks) : std::nullopt;
}

} // namespace platform
