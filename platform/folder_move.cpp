#include "platform/folder_move.h"

#include "errors/system_error_text.h"
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

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// The names the messages show: the last part of each path.
struct Names
{
    QString source;
    QString destination;
};

QString lastPart(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString where(const QByteArray &relative)
{
    return relative.isEmpty() ? QString()
                              : QStringLiteral(" (\"%1\")").arg(decodeFileName(relative));
}

MoveResult result(Outcome outcome, const QString &message = {})
{
    return MoveResult{outcome, message};
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
MoveResult nameTaken(int dir, const QByteArray &name, const Names &names)
{
    const QString start = QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : ")
                              .arg(names.source, names.destination);
    struct stat taken;
    QString what;
    if (fstatat(dir, name.constData(), &taken, AT_SYMLINK_NOFOLLOW) != 0)
        what = QStringLiteral("un élément de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    else if (S_ISDIR(taken.st_mode) && folderIsEmpty(dir, name))
        what = QStringLiteral("un dossier vide de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    else if (S_ISDIR(taken.st_mode))
        what = QStringLiteral("un dossier de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé, remplacé ni fusionné.");
    else if (S_ISREG(taken.st_mode))
        what = QStringLiteral("un fichier de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    else
        what = QStringLiteral("un élément de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    return result(Outcome::Refused, start + what);
}

MoveResult sourceVanished(const Names &names)
{
    return result(Outcome::Refused,
                  QStringLiteral("Impossible de déplacer \"%1\" : il n'existe plus à cet "
                                 "emplacement (déplacé ou supprimé entre-temps). Rien n'a été "
                                 "déplacé.")
                      .arg(names.source));
}

MoveResult cannotMove(int error, const Names &names, const QByteArray &relative = {},
                      Outcome outcome = Outcome::Failed)
{
    return result(
        outcome,
        QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : %3%4. Rien n'a été "
                       "déplacé.")
            .arg(names.source, names.destination, errors::systemErrorText(error), where(relative)));
}

// The source and the destination, open.
struct Place
{
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
MoveResult moveAcross(const Place &place, const Names &names, const MoveProgress &progress)
{
    const int sourceParent = place.sourceParent.get();
    const int destination = place.destination.get();
    TreeSize size;
    QByteArray failedPath;
    if (const int error = measureTree(sourceParent, place.sourceName, size, failedPath)) {
        if (error == ENOENT && failedPath == place.sourceName)
            return sourceVanished(names);
        if (error != EINVAL)
            return cannotMove(error, names, failedPath, Outcome::Refused);
        return result(Outcome::Refused,
                      QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : \"%3\" n'est ni "
                                     "un dossier, ni un fichier, ni un lien. Rien n'a été "
                                     "déplacé.")
                          .arg(names.source, names.destination, decodeFileName(failedPath)));
    }
    qint64 done = 0;
    const CopyProgress step = [&](qint64 bytes) {
        done += bytes;
        return !progress || progress(done, size.bytes);
    };
    if (!step(0))
        return result(Outcome::Cancelled);

    const QByteArray staging = newStagingName(destination);
    auto undo = [&](int error, const QByteArray &relative) {
        QByteArray ignored;
        removeTree(destination, staging, true, ignored);
        syncFolder(destination);
        if (error == ECANCELED)
            return result(Outcome::Cancelled);
        return result(Outcome::Failed,
                      QStringLiteral("Le déplacement de \"%1\" vers \"%2\" a échoué : %3%4. "
                                     "L'original est resté intact et la copie partielle a été "
                                     "retirée.")
                          .arg(names.source, names.destination, errors::systemErrorText(error),
                               where(relative)));
    };
    if (const int error =
            copyTree(sourceParent, place.sourceName, destination, staging, step, failedPath))
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
        return nameTaken(destination, place.sourceName, names);
    }
    if (const int error = syncFolder(destination)) {
        return result(Outcome::Copied,
                      QStringLiteral("\"%1\" a été copié dans \"%2\", mais le disque n'a pas "
                                     "confirmé l'écriture (%3) : l'original a été laissé à son "
                                     "emplacement.")
                          .arg(names.source, names.destination, errors::systemErrorText(error)));
    }
    // Only what was copied goes: the same entry, still in its place.
    struct stat now;
    if (fstatat(sourceParent, place.sourceName.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameEntry(now, place.source)) {
        return result(Outcome::Copied,
                      QStringLiteral("\"%1\" a été copié dans \"%2\", mais l'original a été "
                                     "remplacé pendant la copie : il a été laissé à son "
                                     "emplacement.")
                          .arg(names.source, names.destination));
    }
    failedPath.clear();
    const int removeError = removeTree(sourceParent, place.sourceName, false, failedPath);
    syncFolder(sourceParent);
    if (removeError) {
        return result(Outcome::Copied,
                      QStringLiteral("\"%1\" a été copié dans \"%2\", mais l'original n'a pas pu "
                                     "être retiré entièrement : %3%4. Ce qui en reste est "
                                     "toujours à son ancien emplacement.")
                          .arg(names.source, names.destination,
                               errors::systemErrorText(removeError), where(failedPath)));
    }
    return result(Outcome::Moved);
}

} // namespace

MoveResult moveFolderInto(const QString &sourcePath, const QString &destinationFolder,
                          const MoveProgress &progress)
{
    const Names names{lastPart(sourcePath), lastPart(destinationFolder)};
    QByteArray source = encodePath(sourcePath);
    const QByteArray destinationPath = encodePath(destinationFolder);
    while (source.size() > 1 && source.endsWith('/'))
        source.chop(1);
    if (source.isEmpty())
        return sourceVanished(names);

    Place place;
    const qsizetype slash = source.lastIndexOf('/');
    const QByteArray parent = slash < 0    ? QByteArrayLiteral(".")
                              : slash == 0 ? QByteArrayLiteral("/")
                                           : source.left(slash);
    place.sourceName = source.mid(slash + 1);
    if (place.sourceName.isEmpty() || place.sourceName == "." || place.sourceName == "..")
        return cannotMove(EINVAL, names);
    place.sourceParent.reset(::open(parent.constData(), kOpenFolder));
    if (!place.sourceParent.isValid() ||
        fstatat(place.sourceParent.get(), place.sourceName.constData(), &place.source,
                AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return sourceVanished(names);
        return cannotMove(errno, names);
    }

    place.destination.reset(
        destinationPath.isEmpty() ? -1 : ::open(destinationPath.constData(), kOpenFolder));
    if (!place.destination.isValid()) {
        const int error = destinationPath.isEmpty() ? ENOENT : errno;
        if (error == ENOENT)
            return result(Outcome::Refused,
                          QStringLiteral("Impossible de déplacer \"%1\" : le dossier de "
                                         "destination \"%2\" n'existe plus. Rien n'a été "
                                         "déplacé.")
                              .arg(names.source, names.destination));
        if (error == ENOTDIR)
            return result(Outcome::Refused,
                          QStringLiteral("Impossible de déplacer \"%1\" : \"%2\" n'est pas un "
                                         "dossier. Rien n'a été déplacé.")
                              .arg(names.source, names.destination));
        return cannotMove(error, names);
    }
    const int destination = place.destination.get();

    if (S_ISDIR(place.source.st_mode) && liesWithin(destination, place.source))
        return result(Outcome::Refused,
                      QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : un dossier ne "
                                     "peut pas être déplacé dans lui-même ni dans l'un de ses "
                                     "sous-dossiers. Rien n'a été déplacé.")
                          .arg(names.source, names.destination));
    struct stat parentStatus;
    struct stat destinationStatus;
    if (fstat(place.sourceParent.get(), &parentStatus) == 0 &&
        fstat(destination, &destinationStatus) == 0 && sameEntry(parentStatus, destinationStatus))
        return result(Outcome::Refused,
                      QStringLiteral("\"%1\" se trouve déjà dans \"%2\". Rien n'a été déplacé.")
                          .arg(names.source, names.destination));
    struct stat taken;
    if (fstatat(destination, place.sourceName.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
        return nameTaken(destination, place.sourceName, names);

    const int error = renameWithoutReplacing(place.sourceParent.get(), place.sourceName,
                                             destination, place.sourceName);
    switch (error) {
    case 0:
        break;
    case EXDEV:
        return moveAcross(place, names, progress);
    case EEXIST:
    case ENOTEMPTY:
        return nameTaken(destination, place.sourceName, names);
    case ENOENT:
        return sourceVanished(names);
    default:
        return cannotMove(error, names);
    }
    const int destinationSync = syncFolder(destination);
    const int sourceSync = syncFolder(place.sourceParent.get());
    if (const int syncError = destinationSync ? destinationSync : sourceSync)
        return result(
            Outcome::Moved,
            QStringLiteral("\"%1\" a été déplacé dans \"%2\", mais le disque n'a pas "
                           "confirmé l'écriture : %3.")
                .arg(names.source, names.destination, errors::systemErrorText(syncError)));
    return result(Outcome::Moved);
}

} // namespace platform
