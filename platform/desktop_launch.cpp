#include "platform/desktop_launch.h"

#include "platform/native_names.h"

#include <QByteArrayList>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace platform {

namespace {

// Starts program with arguments as a grandchild that init adopts, so that nothing has to
// wait for it, and reports whether its exec succeeded. QProcess::startDetached would turn
// the arguments into the locale's encoding and lose the bytes of a name that is not UTF-8.
bool startDetached(const QByteArray &program, const QByteArrayList &arguments)
{
    // Everything the children use is made here: after fork they call only
    // async-signal-safe functions.
    QByteArrayList storage{program};
    storage += arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        ::setsid();
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(argv[0], argv.data(), environ);
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when the exec succeeded.
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == 0;
}

bool openWithXdgOpen(const QString &path)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    QByteArray target = encodePath(path);
    if (target.isEmpty())
        return false;
    if (!target.startsWith('/')) {
        char *cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            return false;
        const QByteArray folder(cwd);
        ::free(cwd);
        target = (folder.endsWith('/') ? folder : folder + '/') + target;
    }
    return startDetached(encodePath(program), {target});
}

} // namespace

bool openFolderInFileBrowser(const QString &path)
{
    return openWithXdgOpen(path);
}

bool openFileInTextEditor(const QString &path)
{
    return openWithXdgOpen(path);
}

} // namespace platform
