#include "platform/claim_folder.h"

#include "platform/file_state.h"
#include "platform/native_names.h"
#include "platform/process_identity.h"
#include "platform/unique_fd.h"

#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

QByteArray ownContent()
{
    const quint64 token = QRandomGenerator::global()->generate64();
    return QByteArrayLiteral("palvoric-claim machine=") + thisMachineId() +
           " boot=" + thisBootId() + " pid=" + QByteArray::number(getpid()) +
           " start=" + QByteArray::number(processStartTime(getpid()).value_or(0)) +
           " token=" + QByteArray::number(token, 16) +
           " host=" + thisHostName().toPercentEncoding() + '\n';
}

QByteArray field(const QByteArray &content, QByteArrayView name)
{
    for (const QByteArray &part : content.trimmed().split(' ')) {
        if (part.size() > name.size() && part.startsWith(name) && part[name.size()] == '=')
            return part.mid(name.size() + 1);
    }
    return {};
}

const char kHolderName[] = "holder";

// What stands at path in place of a claim folder: a link or a file, put there by hand or
// by another program. It is judged like a claim whose holder is unknown.
const QByteArray kNotAClaim = QByteArrayLiteral("(not a claim folder)");

// The claim as the server holds it now: its holder's description, empty when the holder
// has not written it (yet); nothing when there is no claim. Opening the folder asks the
// server, where a network client would answer from what it remembers.
std::optional<QByteArray> readClaim(const QByteArray &path)
{
    const UniqueFd folder(
        ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isValid()) {
        if (errno == ENOENT)
            return std::nullopt;
        return errno == ELOOP || errno == ENOTDIR ? kNotAClaim : QByteArray();
    }
    const UniqueFd file(
        openat(folder.get(), kHolderName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (!file.isValid() || freshStat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return QByteArray();
    QByteArray content;
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || content.size() > 4096)
            break;
        content.append(buffer, got);
    }
    return content;
}

// When each claim of another machine was first seen as it is, so that one that stays the
// same across several waits of this process is known for abandoned all the same.
QMutex seenMutex;
QHash<QByteArray, Clock::time_point> &firstSeen()
{
    static QHash<QByteArray, Clock::time_point> seen;
    return seen;
}

// Machines cloned from one image may share a machine id, and even a host name; the boot
// id is drawn anew at each start. A claim of this machine from before its last start is
// therefore judged as another machine's would be.
bool madeByThisBoot(const QByteArray &content)
{
    return field(content, "machine") == thisMachineId() &&
           field(content, "host") == thisHostName().toPercentEncoding() &&
           field(content, "boot") == thisBootId();
}

// The claims this process holds now, of all its threads.
QMutex heldMutex;
QSet<QByteArray> &heldClaims()
{
    static QSet<QByteArray> held;
    return held;
}

bool holderOfThisBootRuns(const QByteArray &content)
{
    bool ok = false;
    const qint64 pid = field(content, "pid").toLongLong(&ok);
    if (!ok)
        return false;
    if (pid == getpid()) {
        // This process's own, from a release whose removal the server kept refusing.
        const QMutexLocker locker(&heldMutex);
        return heldClaims().contains(content);
    }
    const std::optional<quint64> start = processStartTime(pid);
    // Without /proc's word (hidden processes of other users), a process that may run does.
    if (!start)
        return processMayRun(pid);
    return QByteArray::number(*start) == field(content, "start");
}

bool isAbandoned(const QByteArray &path, const QByteArray &content)
{
    if (madeByThisBoot(content))
        return !holderOfThisBootRuns(content);
    const Clock::time_point now = Clock::now();
    const QMutexLocker locker(&seenMutex);
    QHash<QByteArray, Clock::time_point> &seen = firstSeen();
    for (auto it = seen.begin(); it != seen.end();) {
        if (now - it.value() > std::chrono::minutes(10))
            it = seen.erase(it);
        else
            ++it;
    }
    const QByteArray key = path + '\n' + content;
    const auto found = seen.constFind(key);
    if (found == seen.cend()) {
        seen.insert(key, now);
        return false;
    }
    return now - found.value() >= ClaimFolder::kAbandonedAfter;
}

QString describe(const QByteArray &content)
{
    const QByteArray host = QByteArray::fromPercentEncoding(field(content, "host"));
    const QByteArray pid = field(content, "pid");
    if (host.isEmpty() || pid.isEmpty())
        return {};
    return QStringLiteral("%1, processus %2")
        .arg(QString::fromUtf8(host), QString::fromLatin1(pid));
}

void pause(std::chrono::nanoseconds wait)
{
    const auto nanoseconds = wait.count();
    const timespec interval{time_t(nanoseconds / 1000000000), long(nanoseconds % 1000000000)};
    nanosleep(&interval, nullptr);
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Runs remove until it succeeds or fails for good. A file server refuses to remove a file
// while it is still open, and a FUSE client passes the program's own last close on a
// moment later: the removal is tried again for about two seconds.
template<typename Remove> bool removePatiently(Remove remove)
{
    std::chrono::milliseconds wait(2);
    for (int attempt = 0; attempt < 12; ++attempt) {
        if (remove() == 0 || errno == ENOENT)
            return true;
        if (errno != EBUSY && errno != EACCES && errno != ETXTBSY && errno != ENOTEMPTY &&
            errno != EINTR)
            return false;
        pause(wait);
        wait = std::min(wait * 2, std::chrono::milliseconds(400));
    }
    return false;
}

// Removes the claim folder with its holder's description, or whatever else stands at
// path. A claim that stays all the same is this process's leftover, which its next take
// removes (holderOfThisBootRuns), and which others remove once it has ended.
void removeClaim(const QByteArray &path)
{
    struct stat status;
    if (lstat(path.constData(), &status) != 0)
        return;
    if (!S_ISDIR(status.st_mode)) {
        removePatiently([&] { return ::unlink(path.constData()); });
        return;
    }
    const UniqueFd folder(
        ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.isValid())
        removePatiently([&] { return unlinkat(folder.get(), kHolderName, 0); });
    removePatiently([&] { return ::rmdir(path.constData()); });
}

// Makes the claim folder: the server decides which of several workstations made it.
// 0, or the errno.
int makeClaim(const QByteArray &path, const QByteArray &content)
{
    if (::mkdir(path.constData(), 0777) != 0)
        return errno;
    // Any account that shares the folder may have to remove it once abandoned.
    (void)::chmod(path.constData(), 0777);
    // The claim holds once made; what it says only serves to judge it abandoned.
    const UniqueFd folder(
        ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.isValid()) {
        const UniqueFd file(openat(folder.get(), kHolderName,
                                   O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.isValid())
            (void)writeAll(file.get(), content);
    }
    return 0;
}

} // namespace

ClaimFolder::ClaimFolder(ClaimFolder &&other) noexcept
    : m_path(std::exchange(other.m_path, {})), m_content(std::exchange(other.m_content, {}))
{}

ClaimFolder &ClaimFolder::operator=(ClaimFolder &&other) noexcept
{
    if (this != &other) {
        release();
        m_path = std::exchange(other.m_path, {});
        m_content = std::exchange(other.m_content, {});
    }
    return *this;
}

int ClaimFolder::take(const QString &path, Clock::time_point deadline, QString *holder)
{
    release();
    const QByteArray encoded = encodePath(path);
    if (encoded.isEmpty())
        return ENOENT;
    const QByteArray content = ownContent();
    std::chrono::nanoseconds wait = std::chrono::milliseconds(2);
    for (;;) {
        // mkdir never follows a link: a link in its place is judged like a claim.
        const int error = makeClaim(encoded, content);
        if (error == 0) {
            m_path = encoded;
            m_content = content;
            const QMutexLocker locker(&heldMutex);
            heldClaims().insert(content);
            return 0;
        }
        if (error == EINTR)
            continue;
        // Two clients making the folder at the same moment: smbnetfs may answer the one
        // that lost with EIO rather than EEXIST. The claim, or its absence, tells.
        const bool mayBeTaken =
            error == EEXIST || error == EIO || error == EACCES || error == EBUSY;
        if (!mayBeTaken)
            return error;
        if (error != EEXIST && Clock::now() >= deadline)
            return error;
        const std::optional<QByteArray> current = readClaim(encoded);
        if (!current) {
            if (error != EEXIST)
                pause(std::chrono::milliseconds(5));
            continue; // released meanwhile
        }
        if (isAbandoned(encoded, *current)) {
            // Only the claim judged: another waiter may have replaced it by its own since.
            if (readClaim(encoded) == current)
                removeClaim(encoded);
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            if (holder)
                *holder = describe(*current);
            return ETIMEDOUT;
        }
        pause(std::min<std::chrono::nanoseconds>(wait, deadline - now));
        wait = std::min<std::chrono::nanoseconds>(wait * 2, std::chrono::milliseconds(50));
    }
}

bool ClaimFolder::stillHeld() const
{
    return isHeld() && readClaim(m_path) == m_content;
}

void ClaimFolder::release()
{
    if (!isHeld())
        return;
    if (readClaim(m_path) == m_content)
        removeClaim(m_path);
    {
        const QMutexLocker locker(&heldMutex);
        heldClaims().remove(m_content);
    }
    m_path.clear();
    m_content.clear();
}

} // namespace platform
