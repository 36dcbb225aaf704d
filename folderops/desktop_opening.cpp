#include "folderops/desktop_opening.h"

#include "platform/desktop_launch.h"
#include "platform/native_names.h"

#include <sys/stat.h>

namespace folderops {

namespace {

enum class Kind { None, Folder, Other };

// What stands at path, links followed.
Kind kindAt(const QString &path)
{
    const QByteArray native = platform::encodePath(path);
    struct stat status;
    if (native.isEmpty() || ::stat(native.constData(), &status) != 0)
        return Kind::None;
    return S_ISDIR(status.st_mode) ? Kind::Folder : Kind::Other;
}

Opening handOver(const QString &path, Kind expected, const Opener &open,
                 bool (*fallback)(const QString &))
{
    const Kind kind = kindAt(path);
    if (kind == Kind::None)
        return Opening::Missing;
    if (kind != expected)
        return Opening::WrongKind;
    const bool started = open ? open(path) : fallback(path);
    return started ? Opening::Opened : Opening::NoProgram;
}

} // namespace

Opening openFolder(const QString &path, const Opener &open)
{
    return handOver(path, Kind::Folder, open, platform::openFolderInFileBrowser);
}

QString notepadFilePath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    qsizetype end = path.size();
    while (end > slash + 1 && path.at(end - 1) == u' ')
        --end;
    return path.left(end);
}

Opening openInTextEditor(const QString &path, const Opener &open)
{
    return handOver(notepadFilePath(path), Kind::Other, open, platform::openFileInTextEditor);
}

QString folderOpeningMessage(Opening opening, const QString &path)
{
    switch (opening) {
    case Opening::Opened:
        return QString();
    case Opening::Missing:
        return QStringLiteral("Le dossier \"%1\" est introuvable").arg(path);
    case Opening::WrongKind:
        return QStringLiteral("\"%1\" n'est pas un dossier").arg(path);
    case Opening::NoProgram:
        break;
    }
    return QStringLiteral("Impossible d'ouvrir le dossier \"%1\" : le gestionnaire de fichiers "
                          "du bureau n'a pas pu être lancé (xdg-open)")
        .arg(path);
}

QString notepadOpeningMessage(Opening opening, const QString &path)
{
    const QString file = notepadFilePath(path);
    switch (opening) {
    case Opening::Opened:
        return QString();
    case Opening::Missing:
        return QStringLiteral("Le fichier \"%1\" est introuvable").arg(file);
    case Opening::WrongKind:
        return QStringLiteral("\"%1\" n'est pas un fichier").arg(file);
    case Opening::NoProgram:
        break;
    }
    return QStringLiteral("Impossible d'ouvrir le fichier \"%1\" : l'éditeur de texte du bureau "
                          "n'a pas pu être lancé (xdg-open)")
        .arg(file);
}

} // namespace folderops
