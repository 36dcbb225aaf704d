#include "platform/folder_move.h"

#include "platform/move_records.h"
#include "platform/native_names.h"
#include "platform/no_replace_rename.h"
#include "platform/tree_copy.h"
#include "platform/unique_fd.h"

#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using Outcome = MoveResult::Outcome;
using Reason = MoveResult::Reason;

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// relative: the entry concerned, relative to the source's folder, when there is one.
MoveResult result(Outcome outcome, Reason reason = Reason::None, int error = 0,
                  const QByteArray &relative = {})
{
    return MoveResult{
        outcome, reason, error, relative.isEmpty() ? QString() : decodeFileName(relative), {}};
}

bool sameEntry(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when the folder dir is the entry itself or lies somewhere below it. ".." crosses
// mount points upwards, so a file system mounted inside the entry counts as well.
bool liesWithin(int dir, const struct stat &entry)
{
    UniqueFd current(::dup(dir));
    for (int depth = 0; current.isValid() && depth < 4096; ++depth) {
        struct stat here;
        if (fstat(current.get(), &here) != 0)
            return false;
        if (sameEntry(here, entry))
            return true;
        UniqueFd parent(openat(current.get(), "..", kOpenFolder));
        struct stat above;
        if (!parent.isValid() || fstat(parent.get(), &above) != 0 || sameEntry(above, here))
            return false; // the root, or a folder we may not look above
        current = std::move(parent);
    }
    return false;
}

// True when the folder dir, or one above it, is one of folders (device, inode).
bool reachesFolderOf(int dir, const QSet<std::pair<quint64, quint64>> &folders)
{
    UniqueFd current(::dup(dir));
    for (int depth = 0; current.isValid() && depth < 4096; ++depth) {
        struct stat here;
        if (fstat(current.get(), &here) != 0)
            return false;
        if (folders.contains({quint64(here.st_dev), quint64(here.st_ino)}))
            return true;
        UniqueFd parent(openat(current.get(), "..", kOpenFolder));
        struct stat above;
        if (!parent.isValid() || fstat(parent.get(), &above) != 0 || sameEntry(above, here))
            return false;
        current = std::move(parent);
    }
    return false;
}

bool folderIsEmpty(int dir, const QByteArray &name)
{
    UniqueFd folder(openat(dir, name.constData(), kOpenFolder | O_NOFOLLOW));
    DIR *listing = folder.isValid() ? fdopendir(folder.get()) : nullptr;
    if (!listing)
        return false;
    folder.release(); // closedir closes it
    bool empty = true;
    while (const dirent *entry = readdir(listing)) {
        const QByteArray child(entry->d_name);
        if (child != "." && child != "..") {
            empty = false;
            break;
        }
    }
    closedir(listing);
    return empty;
}

// The refusal for a name already taken in the destination, by what takes it.
MoveResult nameTaken(int dir, const QByteArray &name)
{
    struct stat taken;
    if (fstatat(dir, name.constData(), &taken, AT_SYMLINK_NOFOLLOW) != 0)
        return result(Outcome::Refused, Reason::NameTakenByOther);
    if (S_ISDIR(taken.st_mode) && folderIsEmpty(dir, name))
        return result(Outcome::Refused, Reason::NameTakenByEmptyFolder);
    if (S_ISDIR(taken.st_mode))
        return result(Outcome::Refused, Reason::NameTakenByFolder);
    if (S_ISREG(taken.st_mode))
        return result(Outcome::Refused, Reason::NameTakenByFile);
    return result(Outcome::Refused, Reason::NameTakenByOther);
}

MoveResult sourceVanished()
{
    return result(Outcome::Refused, Reason::SourceMissing);
}

MoveResult cannotMove(int error)
{
    return result(Outcome::Failed, Reason::SystemError, error);
}

// The source and the destination, open.
struct Place
{
    QByteArray sourceFolder; // the paths, for the record of a move across file systems
    QByteArray destinationFolder;
    UniqueFd sourceParent;
    QByteArray sourceName;
    struct stat source;
    UniqueFd destination;
};

QByteArray newStagingName(int destination)
{
    QByteArray name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = kMoveStagingPrefix + QByteArray::number(getpid()) + '-' +
               QByteArray::number(QRandomGenerator::global()->generate(), 16);
        struct stat unused;
        if (fstatat(destination, name.constData(), &unused, AT_SYMLINK_NOFOLLOW) != 0)
            break;
    }
    return name;
}

// Across file systems: copy into staging, publish, then remove the original.
MoveResult moveAcross(const Place &place, const MoveProgress &progress, const QString &recordFolder)
{
    const int sourceParent = place.sourceParent.get();
    const int destination = place.destination.get();
    TreeSize size;
    QByteArray failedPath;
    if (const int error = measureTree(sourceParent, place.sourceName, size, failedPath)) {
        if (error == ENOENT && failedPath == place.sourceName)
            return sourceVanished();
        if (error == EXDEV)
            return result(Outcome::Refused, Reason::MountInside, 0, failedPath);
        if (error != EINVAL)
            return result(Outcome::Refused, Reason::SourceNotMovable, error, failedPath);
        return result(Outcome::Refused, Reason::UnsupportedEntry, 0, failedPath);
    }
    // Reached through another mount, the destination may still lie inside the tree.
    if (reachesFolderOf(destination, size.folders))
        return result(Outcome::Refused, Reason::IntoItself);
    qint64 done = 0;
    const CopyProgress step = [&](qint64 bytes) {
        done += bytes;
        return !progress || progress(done, size.bytes);
    };
    if (!step(0))
        return result(Outcome::Cancelled);

    const QByteArray staging = newStagingName(destination);
    // Written before the copy starts, so that a killed run's staging copy is found.
    MoveRecordFile recordFile(recordFolder);
    MoveRecord record;
    record.host = thisHostName();
    record.pid = getpid();
    record.sourceFolder = place.sourceFolder;
    record.sourceName = place.sourceName;
    record.destinationFolder = place.destinationFolder;
    record.stagingName = staging;
    recordFile.write(record);
    auto undo = [&](int error, const QByteArray &relative) {
        QByteArray ignored;
        removeTree(destination, staging, true, ignored);
        syncFolder(destination);
        if (error == ECANCELED)
            return result(Outcome::Cancelled);
        return result(Outcome::Failed, Reason::CopyFailed, error, relative);
    };
    CopiedStates copied;
    if (const int error = copyTree(sourceParent, place.sourceName, destination, staging, step,
                                   failedPath, &copied))
        return undo(error, failedPath);
    if (const int error = syncFolder(destination))
        return undo(error, {});
    if (const int error =
            renameWithoutReplacing(destination, staging, destination, place.sourceName)) {
        if (error != EEXIST && error != ENOTEMPTY)
            return undo(error, {});
        QByteArray ignored;
        removeTree(destination, staging, true, ignored);
        syncFolder(destination);
        return nameTaken(destination, place.sourceName);
    }
    if (const int error = syncFolder(destination))
        return result(Outcome::Copied, Reason::CopyNotSynced, error);
    struct stat copy;
    if (fstatat(destination, place.sourceName.constData(), &copy, AT_SYMLINK_NOFOLLOW) == 0) {
        record.phase = MoveRecord::Phase::Published;
        record.published = fileStateOf(copy);
        record.copied = copied;
        recordFile.write(record);
    }
    // Only what was copied goes, each entry still the one the copy read.
    failedPath.clear();
    QList<QByteArray> kept;
    const int removeError =
        removeCopiedTree(sourceParent, place.sourceName, copied, kept, failedPath);
    syncFolder(sourceParent);
    if (!kept.isEmpty()) {
        MoveResult changed = result(Outcome::Copied, Reason::SourceChanged, 0, kept.first());
        for (const QByteArray &entry : std::as_const(kept))
            changed.kept.append(decodeFileName(entry));
        return changed;
    }
    if (removeError)
        return result(Outcome::Copied, Reason::SourceNotRemoved, removeError, failedPath);
    return result(Outcome::Moved);
}

} // namespace

MoveResult moveFolderInto(const QString &sourcePath, const QString &destinationFolder,
                          const MoveProgress &progress, const QString &recordFolder)
{
    QByteArray source = encodePath(sourcePath);
    const QByteArray destinationPath = encodePath(destinationFolder);
    while (source.size() > 1 && source.endsWith('/'))
        source.chop(1);
    if (source.isEmpty())
        return sourceVanished();

    Place place;
    const qsizetype slash = source.lastIndexOf('/');
    const QByteArray parent = slash < 0    ? QByteArrayLiteral(".")
                              : slash == 0 ? QByteArrayLiteral("/")
                                           : source.left(slash);
    place.sourceName = source.mid(slash + 1);
    place.sourceFolder = parent;
    place.destinationFolder = destinationPath;
    if (place.sourceName.isEmpty() || place.sourceName == "." || place.sourceName == "..")
        return cannotMove(EINVAL);
    place.sourceParent.reset(::open(parent.constData(), kOpenFolder));
    if (!place.sourceParent.isValid() ||
        fstatat(place.sourceParent.get(), place.sourceName.constData(), &place.source,
                AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return sourceVanished();
        return cannotMove(errno);
    }

    place.destination.reset(
        destinationPath.isEmpty() ? -1 : ::open(destinationPath.constData(), kOpenFolder));
    if (!place.destination.isValid()) {
        const int error = destinationPath.isEmpty() ? ENOENT : errno;
        if (error == ENOENT)
            return result(Outcome::Refused, Reason::DestinationMissing, error);
        if (error == ENOTDIR)
            return result(Outcome::Refused, Reason::DestinationNotFolder, error);
        return cannotMove(error);
    }
    const int destination = place.destination.get();

    if (S_ISDIR(place.source.st_mode) && liesWithin(destination, place.source))
        return result(Outcome::Refused, Reason::IntoItself);
    struct stat parentStatus;
    struct stat destinationStatus;
    if (fstat(place.sourceParent.get(), &parentStatus) == 0 &&
        fstat(destination, &destinationStatus) == 0 && sameEntry(parentStatus, destinationStatus))
        return result(Outcome::Refused, Reason::AlreadyInDestination);
    struct stat taken;
    if (fstatat(destination, place.sourceName.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
        return nameTaken(destination, place.sourceName);

    const int error = renameWithoutReplacing(place.sourceParent.get(), place.sourceName,
                                             destination, place.sourceName);
    switch (error) {
    case 0:
        break;
    case EXDEV:
        return moveAcross(place, progress, recordFolder);
    case EEXIST:
    case ENOTEMPTY:
        return nameTaken(destination, place.sourceName);
    case ENOENT:
        return sourceVanished();
    default:
        return cannotMove(error);
    }
    const int destinationSync = syncFolder(destination);
    const int sourceSync = syncFolder(place.sourceParent.get());
    if (const int syncError = destinationSync ? destinationSync : sourceSync)
        return result(Outcome::Moved, Reason::MoveNotSynced, syncError);
    return result(Outcome::Moved);
}

} // namespace platform
