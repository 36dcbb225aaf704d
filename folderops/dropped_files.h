#pragma once

#include <QString>

// Files dropped from the file browser onto the window move into the folder of the list's
// current line, one by one: each is copied (never over an existing name) and its original
// deleted only once the copy is complete and on the disk.
namespace folderops {

// "Vous devez sélectionner un dossier cible"
QString noTargetText();

// The confirmation: "Déplacer <count> fichier(s)", an empty line, "vers", an empty line
// and the target folder.
QString dropConfirmationText(qsizetype count, const QString &target);

// The name of a dropped item: the part of its path after the last separator.
QString droppedItemName(const QString &path);

// Moves one dropped item into target under its own name. Returns the empty text when it
// moved, else the message for the user; the item then stays where it was, also when it
// was copied but changed during the copy. A folder is not moved.
QString moveDroppedFile(const QString &source, const QString &target);

} // namespace folderops
