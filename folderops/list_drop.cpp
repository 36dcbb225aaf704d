#include "folderops/list_drop.h"

namespace folderops {

ListDrop resolveListDrop(int currentLine, int lineUnderPoint)
{
    if (currentLine < 0)
        return {};
    // The line just above the bar; none on the first line's top edge, nor outside the list.
    const int above = lineUnderPoint - 1;
    if (above < 0)
        return {};
    return {true, currentLine, above};
}

int reselectionLine(int lineUnderPoint)
{
    return lineUnderPoint - 2;
}

bool isSameFolder(const QString &source, const QString &destination)
{
    return source == destination;
}

QString dropUnderNameText()
{
    return QStringLiteral("Vous devez placer la barre \"SOUS\" le Nom de la destination");
}

QString sameFolderText(const QString &source)
{
    return QStringLiteral("Il n'est pas possible de déplacer un dossier vers lui-même, car cela "
                          "n'a pas de sens !\r\n\r\n") +
           source + QStringLiteral("\r\n") + QStringLiteral("\r\n") +
           QStringLiteral("\"Source\" et \"cible\" doivent être différents");
}

QString nestingConfirmationText(const QString &source, const QString &destination)
{
    return QStringLiteral("%1Déplacer tout vers ->%2")
        .arg(source + QStringLiteral("\r\n\r\n"), QStringLiteral("\r\n\r\n") + destination);
}

QString reselectionErrorText(const QString &error)
{
    return QStringLiteral("ERR#325: Listbox1 Draganddrop\r\n\r\n") + error;
}

QString listIndexErrorText(int index)
{
    return QStringLiteral("Index de liste hors limites (%1)").arg(index);
}

} // namespace folderops
