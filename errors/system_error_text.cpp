#include "errors/system_error_text.h"

#include <cerrno>

namespace errors {

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("le disque est plein");
    case EDQUOT:
        return QStringLiteral("le quota de disque est atteint");
    case EIO:
        return QStringLiteral("erreur d'entrée-sortie sur le disque");
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule");
    case ENOENT:
        return QStringLiteral("l'élément n'existe plus");
    case ENOTDIR:
        return QStringLiteral("un élément du chemin n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("c'est un dossier");
    case EEXIST:
    case ENOTEMPTY:
        return QStringLiteral("un élément de ce nom existe déjà");
    case ENAMETOOLONG:
        return QStringLiteral("le nom est trop long");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("l'élément est en cours d'utilisation");
    case ELOOP:
        return QStringLiteral("trop de liens symboliques");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("trop de fichiers ouverts");
    case ENOMEM:
        return QStringLiteral("mémoire insuffisante");
    case EOPNOTSUPP:
        return QStringLiteral("opération non prise en charge par ce système de fichiers");
    case EINVAL:
        return QStringLiteral("opération impossible sur cet élément");
    case ETIMEDOUT:
        return QStringLiteral("un autre poste le modifie en ce moment");
    case ECANCELED:
        return QStringLiteral("opération annulée");
    default:
        return qt_error_string(error);
    }
}

QString untrustedLinkText(const QString &path)
{
    return QStringLiteral("%1 est un lien symbolique qui appartient à un autre utilisateur.")
        .arg(path);
}

} // namespace errors
