#include "folderops/recycle_folder.h"

#include "errors/system_error_text.h"
#include "platform/trash.h"

#include <cerrno>

namespace folderops {

namespace {

QString refusalReason(const platform::TrashOutcome &trashed)
{
    using Status = platform::TrashOutcome::Status;
    if (trashed.status == Status::NoTrash) {
        switch (trashed.error) {
        case EROFS:
            return errors::systemErrorText(EROFS);
        case EACCES:
        case EPERM:
            return QStringLiteral("aucune corbeille ne peut être créée sur son disque (accès "
                                  "refusé)");
        default:
            return QStringLiteral("aucune corbeille n'est utilisable sur son disque");
        }
    }
    switch (trashed.error) {
    case EINVAL:
        return QStringLiteral("la corbeille se trouve à l'intérieur de ce dossier");
    case EBUSY:
        return QStringLiteral("un disque y est monté");
    case EEXIST:
        return QStringLiteral("la corbeille contient déjà trop d'éléments de ce nom");
    default:
        return errors::systemErrorText(trashed.error);
    }
}

} // namespace

RecycleResult recycleFolder(const QString &path)
{
    using Status = platform::TrashOutcome::Status;
    const platform::TrashOutcome trashed = platform::moveToTrash(path);
    RecycleResult result;
    switch (trashed.status) {
    case Status::Trashed:
        result.outcome = RecycleResult::Outcome::Recycled;
        break;
    case Status::NotFound:
        result.outcome = RecycleResult::Outcome::Missing;
        break;
    case Status::NoTrash:
    case Status::Failed:
        result.outcome = RecycleResult::Outcome::Refused;
        result.reason = refusalReason(trashed);
        break;
    }
    return result;
}

QString recycleFailureMessage(const RecycleResult &result, const QString &folderName)
{
    switch (result.outcome) {
    case RecycleResult::Outcome::Recycled:
        return QString();
    case RecycleResult::Outcome::Missing:
        return QStringLiteral("Le dossier \"%1\" n'existe plus").arg(folderName);
    case RecycleResult::Outcome::Refused:
        break;
    }
    return QStringLiteral("Le dossier \"%1\" n'a pas pu être mis à la corbeille : %2. Il n'a pas "
                          "été supprimé")
        .arg(folderName, result.reason);
}

} // namespace folderops
