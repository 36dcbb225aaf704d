#include "tests/support/unprivileged.h"

#include <cerrno>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

std::optional<bool> runUnprivileged(const std::function<bool()> &check)
{
    if (::geteuid() != 0)
        return check();

    constexpr int answerYes = 0, answerNo = 1, cannotDrop = 2;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(cannotDrop);
        ::_exit(check() ? answerYes : answerNo);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == cannotDrop)
        return std::nullopt;
    return WEXITSTATUS(status) == answerYes;
}
