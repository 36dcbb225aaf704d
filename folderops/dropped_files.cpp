#include "folderops/dropped_files.h"

#include "errors/system_error_text.h"
#include "folderops/folder_nesting.h"
#include "platform/file_copy.h"

#include <cerrno>

namespace folderops {

QString noTargetText()
{
    return QStringLiteral("Vous devez sélectionner un dossier cible");
}

QString dropConfirmationText(qsizetype count, const QString &target)
{
    return QStringLiteral("Déplacer ") + QString::number(count) + QStringLiteral(" fichier(s)") +
           QStringLiteral("\r\n") + QStringLiteral("\r\n") + QStringLiteral("vers") +
           QStringLiteral("\r\n") + QStringLiteral("\r\n") + target;
}

QString droppedItemName(const QString &path)
{
    QString trimmed = path;
    // A folder's path may come with a final separator; its name is before it.
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

QString moveDroppedFile(const QString &source, const QString &target)
{
    const QString name = droppedItemName(source);
    const QString destination = target + u'/' + name;
    // What copies killed midway left in the folder goes first.
    platform::removeLeftoverCopies(target);
    int error = 0;
    platform::CopiedFile copied;
    if (platform::copyOneFile(source, destination, &error, &copied)) {
        // The copy is whole and on the disk; a failed deletion leaves the file in both
        // places, which loses nothing. An original written or replaced during the copy
        // holds what the copy lacks: it stays.
        if (platform::deleteCopiedFile(source, copied) == ESTALE)
            return QStringLiteral("\"%1\" a été copié, mais l'original a changé pendant la "
                                  "copie : \"%1\" conservé à son emplacement.")
                .arg(shortenedPath(name));
        return QString();
    }
    const QString message = QStringLiteral("Erreur en copie : le fichier ") + shortenedPath(name) +
                            QStringLiteral(" existe peut être déjà sur la cible !");
    // An existing name and a folder are what the message says; any other cause is named.
    if (error == EEXIST || error == EISDIR)
        return message;
    QString cause = errors::systemErrorText(error);
    cause[0] = cause.at(0).toUpper();
    return message + QStringLiteral("\r\n\r\n") + cause + u'.';
}

} // namespace folderops
