#include "folderops/folder_nesting.h"

#include "errors/system_error_text.h"
#include "platform/move_records.h"

namespace folderops {

namespace {

using Reason = platform::MoveResult::Reason;

// The name a message shows: the last part of the path, shortened.
QString lastPart(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return shortenedPath(path.mid(path.lastIndexOf(u'/') + 1));
}

// The entry concerned, after the cause: ` ("DUPONT Marie/radios")`.
QString where(const QString &entry)
{
    return entry.isEmpty() ? QString() : QStringLiteral(" (\"%1\")").arg(shortenedPath(entry));
}

// What stayed in the source: the first few entries, then how many more.
QString keptList(const QStringList &kept)
{
    constexpr qsizetype kShown = 3;
    QStringList shown;
    for (qsizetype i = 0; i < qMin(kShown, kept.size()); ++i)
        shown.append(u'"' + shortenedPath(kept[i]) + u'"');
    QString text = shown.join(QStringLiteral(", "));
    if (kept.size() > kShown)
        text += QStringLiteral(" et %1 autre(s)").arg(kept.size() - kShown);
    return text;
}

// The end of a refusal for a name the destination holds already, by what holds it.
QString takenNameText(Reason reason)
{
    switch (reason) {
    case Reason::NameTakenByEmptyFolder:
        return QStringLiteral("un dossier vide de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    case Reason::NameTakenByFolder:
        return QStringLiteral("un dossier de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé, remplacé ni fusionné.");
    case Reason::NameTakenByFile:
        return QStringLiteral("un fichier de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    default:
        return QStringLiteral("un élément de ce nom s'y trouve déjà. "
                              "Rien n'a été déplacé ni remplacé.");
    }
}

} // namespace

QString shortenedPath(const QString &path)
{
    constexpr qsizetype kLongest = 120;
    if (path.size() <= kLongest)
        return path;
    // The beginning and the end, which name the patient and the entry.
    constexpr qsizetype kHalf = kLongest / 2 - 1;
    return path.left(kHalf) + QStringLiteral("…") + path.right(kHalf);
}

NestingResult nestFolder(const QString &sourcePath, const QString &destinationFolder,
                         const platform::MoveProgress &progress, const QString &recordFolder)
{
    platform::finishInterruptedMoves(recordFolder);
    NestingResult nested;
    nested.move = platform::moveFolderInto(sourcePath, destinationFolder, progress, recordFolder);
    nested.message = nestingMessage(nested.move, sourcePath, destinationFolder);
    return nested;
}

QString nestingMessage(const platform::MoveResult &move, const QString &sourcePath,
                       const QString &destinationFolder)
{
    const QString source = lastPart(sourcePath);
    const QString destination = lastPart(destinationFolder);
    switch (move.reason) {
    case Reason::None:
        return QString();
    case Reason::SourceMissing:
        return QStringLiteral("Impossible de déplacer \"%1\" : il n'existe plus à cet "
                              "emplacement (déplacé ou supprimé entre-temps). Rien n'a été "
                              "déplacé.")
            .arg(source);
    case Reason::DestinationMissing:
        return QStringLiteral("Impossible de déplacer \"%1\" : le dossier de destination \"%2\" "
                              "n'existe plus. Rien n'a été déplacé.")
            .arg(source, destination);
    case Reason::DestinationNotFolder:
        return QStringLiteral("Impossible de déplacer \"%1\" : \"%2\" n'est pas un dossier. Rien "
                              "n'a été déplacé.")
            .arg(source, destination);
    case Reason::IntoItself:
        return QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : un dossier ne peut pas "
                              "être déplacé dans lui-même ni dans l'un de ses sous-dossiers. Rien "
                              "n'a été déplacé.")
            .arg(source, destination);
    case Reason::AlreadyInDestination:
        return QStringLiteral("\"%1\" se trouve déjà dans \"%2\". Rien n'a été déplacé.")
            .arg(source, destination);
    case Reason::NameTakenByFile:
    case Reason::NameTakenByEmptyFolder:
    case Reason::NameTakenByFolder:
    case Reason::NameTakenByOther:
        return QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : ")
                   .arg(source, destination) +
               takenNameText(move.reason);
    case Reason::UnsupportedEntry:
        return QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : \"%3\" n'est ni un "
                              "dossier, ni un fichier, ni un lien. Rien n'a été déplacé.")
            .arg(source, destination, shortenedPath(move.entry));
    case Reason::SourceNotMovable:
    case Reason::SystemError:
        return QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : %3%4. Rien n'a été "
                              "déplacé.")
            .arg(source, destination, errors::systemErrorText(move.error), where(move.entry));
    case Reason::CopyFailed:
        return QStringLiteral("Le déplacement de \"%1\" vers \"%2\" a échoué : %3%4. L'original "
                              "est resté intact et la copie partielle a été retirée.")
            .arg(source, destination, errors::systemErrorText(move.error), where(move.entry));
    case Reason::CopyNotSynced:
        return QStringLiteral("\"%1\" a été copié dans \"%2\", mais le disque n'a pas confirmé "
                              "l'écriture (%3) : l'original a été laissé à son emplacement.")
            .arg(source, destination, errors::systemErrorText(move.error));
    case Reason::SourceChanged:
        return QStringLiteral("\"%1\" a été copié dans \"%2\", mais l'original a changé pendant "
                              "la copie : %3 conservé à son emplacement, le reste de l'original "
                              "a été retiré.")
            .arg(source, destination, keptList(move.kept));
    case Reason::MountInside:
        return QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : \"%3\" est un autre "
                              "volume monté dans le dossier. Rien n'a été déplacé.")
            .arg(source, destination, shortenedPath(move.entry));
    case Reason::SourceNotRemoved:
        return QStringLiteral("\"%1\" a été copié dans \"%2\", mais l'original n'a pas pu être "
                              "retiré entièrement : %3%4. Ce qui en reste est toujours à son "
                              "ancien emplacement.")
            .arg(source, destination, errors::systemErrorText(move.error), where(move.entry));
    case Reason::MoveNotSynced:
        return QStringLiteral("\"%1\" a été déplacé dans \"%2\", mais le disque n'a pas confirmé "
                              "l'écriture : %3.")
            .arg(source, destination, errors::systemErrorText(move.error));
    }
    return QString();
}

} // namespace folderops
