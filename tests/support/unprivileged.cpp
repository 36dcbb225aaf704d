#include "tests/support/unprivileged.h"

#include <cerrno>

#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int chownOne(const char *path, const struct stat *, int, struct FTW *)
{
    return ::lchown(path, kNobody, kNobody);
}

} // namespace

std::optional<bool> runUnprivileged(const std::function<bool()> &check)
{
    if (::geteuid() != 0)
        return check();

    constexpr int answerYes = 0, answerNo = 1, cannotDrop = 2;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
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

bool giveToNobody(const QByteArray &nativePath)
{
    return ::geteuid() != 0 || ::nftw(nativePath.constData(), chownOne, 16, FTW_PHYS) == 0;
}
