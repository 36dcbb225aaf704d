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

// How long a waiter waits before it asks for the next turn, and how long the others leave
// a turn to its waiter.
constexpr std::chrono::milliseconds kTurnAskedAfter{200};
constexpr std::chrono::seconds kTurnKeptAtMost{2};

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
    // No handle is kept on the folder: a server refuses to remove a folder that another
    // client has open, and waiters look at the claim again and again.
    struct statx kind = {};
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_TYPE,
              &kind) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        return QByteArray();
    }
    if (!S_ISDIR(kind.stx_mode))
        return kNotAClaim;
    const QByteArray holderPath = path + '/' + kHolderName;
    const UniqueFd file(
        ::open(holderPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
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

// The claim at path, read again for a moment while its description reads empty: through
// a network client, one written a moment ago may not show yet, or its file be held by a
// reader.
std::optional<QByteArray> readClaimSettled(const QByteArray &path)
{
    std::optional<QByteArray> current = readClaim(path);
    std::chrono::milliseconds wait(2);
    for (int attempt = 0; attempt < 10 && current && current->isEmpty(); ++attempt) {
        const timespec interval{0, long(wait.count()) * 1000000L};
        nanosleep(&interval, nullptr);
        wait = std::min(wait * 2, std::chrono::milliseconds(200));
        current = readClaim(path);
    }
    return current;
}

// Whether something stands at path, as the server says now. Cheaper than reading the
// claim, and it leaves no file open that would keep its holder from removing it.
bool claimStands(const QByteArray &path)
{
    struct statx status = {};
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_TYPE,
              &status) == 0)
        return true;
    return errno != ENOENT;
}

// Reads a claim's description when the last reading is older than kReadAtMostEvery:
// waiters that read it again and again would keep its file open on the server, which
// then refuses its holder's removal. Between readings, the last one stands.
class ClaimWatch
{
public:
    explicit ClaimWatch(QByteArray path) : m_path(std::move(path)) {}

    // The claim as last read, or nothing when there is none now.
    std::optional<QByteArray> look()
    {
        const Clock::time_point now = Clock::now();
        if (m_last && now - m_readAt < kReadAtMostEvery) {
            if (claimStands(m_path))
                return m_last;
        }
        m_last = readClaim(m_path);
        m_readAt = now;
        return m_last;
    }
    void forget() { m_last.reset(); }

private:
    static constexpr std::chrono::milliseconds kReadAtMostEvery{250};
    QByteArray m_path;
    std::optional<QByteArray> m_last;
    Clock::time_point m_readAt;
};

// What this process last saw at each claim path, and since when it has stood the same, so
// that a claim that stays the same across several waits of this process is known for
// abandoned all the same.
struct Sighting
{
    QByteArray content;
    Clock::time_point first;
    Clock::time_point last;
};

QMutex seenMutex;
QHash<QByteArray, Sighting> &sightings()
{
    static QHash<QByteArray, Sighting> seen;
    return seen;
}

// A claim whose description cannot be read (yet) cannot be told from the next one made at
// the same path: it counts as unchanged only while it is watched without a gap.
constexpr std::chrono::seconds kLongestUnwatchedGap{1};

// Machines cloned from one image may share a machine id, and even a host name; the boot
// id is drawn anew at each start. A claim of this machine from before its last start is
// therefore judged as another machine's would be.
bool madeByThisBoot(const QByteArray &content)
{
    return field(content, "machine") == thisMachineId() &&
           field(content, "host") == thisHostName().toPercentEncoding() &&
           field(content, "boot") == thisBootId();
}

// The claims this process holds or is taking now, of all its threads.
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

// The claim at path is gone: whatever is seen there next is a new one.
void forgetSighting(const QByteArray &path)
{
    const QMutexLocker locker(&seenMutex);
    sightings().remove(path);
}

// Whether the claim at path has stood the same, as this process saw it, for bound.
bool seenUnchangedFor(const QByteArray &path, const QByteArray &content,
                      std::chrono::milliseconds bound)
{
    const Clock::time_point now = Clock::now();
    const QMutexLocker locker(&seenMutex);
    QHash<QByteArray, Sighting> &seen = sightings();
    for (auto it = seen.begin(); it != seen.end();) {
        if (now - it->last > std::chrono::minutes(10))
            it = seen.erase(it);
        else
            ++it;
    }
    Sighting &sighting = seen[path];
    const bool sameClaim = sighting.content == content && sighting.last != Clock::time_point() &&
                           (!content.isEmpty() || now - sighting.last <= kLongestUnwatchedGap);
    if (!sameClaim) {
        sighting.content = content;
        sighting.first = now;
    }
    sighting.last = now;
    return now - sighting.first >= bound;
}

bool isAbandoned(const QByteArray &path, const QByteArray &content, std::chrono::milliseconds after)
{
    if (madeByThisBoot(content))
        return !holderOfThisBootRuns(content);
    return seenUnchangedFor(path, content, after);
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
    {
        const UniqueFd folder(
            ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.isValid())
            removePatiently([&] { return unlinkat(folder.get(), kHolderName, 0); });
    }
    // Once the folder is closed: the server may refuse to remove one that is open.
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

// A waiter that has waited a while asks for the next turn with a second claim folder
// beside the first: the others leave the claim to it, so that the processes of a fast
// client cannot keep one of a slower client out by taking it again and again. A turn is
// left alone only for kTurnKeptAtMost: its waiter takes the claim within moments of its
// release, unless it has died.
class Turn
{
public:
    Turn(QByteArray path, QByteArray content)
        : m_path(std::move(path)), m_content(std::move(content)), m_watch(m_path)
    {}
    ~Turn()
    {
        if (m_mine && readClaimSettled(m_path) == m_content)
            removeClaim(m_path);
    }
    Turn(const Turn &) = delete;
    Turn &operator=(const Turn &) = delete;

    bool isMine() const { return m_mine; }

    void ask()
    {
        if (m_mine) {
            // Past its time, the others may have removed it: asked again then.
            if (Clock::now() - m_askedAt < kTurnKeptAtMost || readClaim(m_path) == m_content)
                return;
            m_mine = false;
        }
        if (makeClaim(m_path, m_content) == 0) {
            m_mine = true;
            m_askedAt = Clock::now();
        }
    }

    // Whether another waiter's turn comes before this one's.
    bool othersGoFirst()
    {
        if (m_mine)
            return false;
        const std::optional<QByteArray> current = m_watch.look();
        if (!current) {
            forgetSighting(m_path);
            return false;
        }
        const bool stale = (madeByThisBoot(*current) && !holderOfThisBootRuns(*current)) ||
                           seenUnchangedFor(m_path, *current, kTurnKeptAtMost);
        if (!stale)
            return true;
        if (readClaim(m_path) == current)
            removeClaim(m_path);
        forgetSighting(m_path);
        m_watch.forget();
        return false;
    }

private:
    QByteArray m_path;
    QByteArray m_content;
    ClaimWatch m_watch;
    bool m_mine = false;
    Clock::time_point m_askedAt;
};

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
    // Known as this process's own from before it is made: another thread of this process
    // that finds it must not take it for a leftover.
    struct Registration
    {
        QByteArray content;
        bool kept = false;
        explicit Registration(const QByteArray &claim) : content(claim)
        {
            const QMutexLocker locker(&heldMutex);
            heldClaims().insert(content);
        }
        ~Registration()
        {
            if (kept)
                return;
            const QMutexLocker locker(&heldMutex);
            heldClaims().remove(content);
        }
    } registration(content);
    Turn turn(encoded + ".next", content);
    ClaimWatch watch(encoded);
    const auto removeIfAbandoned = [&](const QByteArray &claim) {
        if (!isAbandoned(encoded, claim, kAbandonedAfter))
            return false;
        // Only the claim judged: another waiter may have replaced it by its own since.
        if (readClaim(encoded) == claim)
            removeClaim(encoded);
        forgetSighting(encoded);
        watch.forget();
        return true;
    };
    const Clock::time_point started = Clock::now();
    std::chrono::nanoseconds wait = std::chrono::milliseconds(2);
    for (;;) {
        std::optional<QByteArray> current;
        int error = EEXIST;
        if (turn.othersGoFirst()) {
            // The claim is watched all the same: one left behind is removed by whoever
            // has watched it long enough.
            current = watch.look();
            if (!current)
                forgetSighting(encoded);
            else
                removeIfAbandoned(*current);
        } else {
            // mkdir never follows a link: a link in its place is judged like a claim.
            error = makeClaim(encoded, content);
            if (error == 0) {
                m_path = encoded;
                m_content = content;
                registration.kept = true;
                return 0;
            }
            if (error == EINTR)
                continue;
            // Two clients making the folder at the same moment: smbnetfs may answer the
            // one that lost with EIO rather than EEXIST. The claim, or its absence, tells.
            const bool mayBeTaken =
                error == EEXIST || error == EIO || error == EACCES || error == EBUSY;
            if (!mayBeTaken)
                return error;
            if (error != EEXIST && Clock::now() >= deadline)
                return error;
            current = watch.look();
            if (!current) {
                forgetSighting(encoded);
                if (error != EEXIST)
                    pause(std::chrono::milliseconds(5));
                continue; // released meanwhile
            }
            if (removeIfAbandoned(*current))
                continue;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            if (holder && current)
                *holder = describe(*current);
            return ETIMEDOUT;
        }
        if (now - started >= kTurnAskedAfter)
            turn.ask();
        const std::chrono::nanoseconds interval =
            turn.isMine() ? std::chrono::milliseconds(2) : wait;
        pause(std::min<std::chrono::nanoseconds>(interval, deadline - now));
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
    // Through a network client, the description written a moment ago may still read empty:
    // the claim is removed once it reads as this one's, and left alone when it reads as
    // another's (this one was judged abandoned and another workstation claimed anew).
    if (readClaimSettled(m_path) == m_content)
        removeClaim(m_path);
    {
        const QMutexLocker locker(&heldMutex);
        heldClaims().remove(m_content);
    }
    m_path.clear();
    m_content.clear();
}

} // namespace platform
