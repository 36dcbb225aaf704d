#include "platform/process_identity.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <climits>
#include <signal.h>
#include <unistd.h>

namespace platform {

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

} // namespace platform
