#include "platform/process_identity.h"

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

bool processMayRun(qint64 pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    return kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

} // namespace platform
