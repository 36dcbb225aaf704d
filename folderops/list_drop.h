#pragma once

#include <QString>

// Nesting a folder into another by dragging its line of the result list: which lines a
// drop names, the line selected again once the list is rebuilt, and the texts of the
// dialogs, as plain values.
namespace folderops {

// A drop resolved into a source line (the list's current line) and a destination line
// (the line just above the insertion bar).
struct ListDrop
{
    bool resolved = false;
    int sourceLine = -1;
    int destinationLine = -1;
};

// currentLine: the list's current line, -1 for none. lineUnderPoint: the line index under
// the drop point, the number of lines below the last line, -1 outside the list. A drop is
// not resolved without a current line, with the bar on the top edge of the first line, or
// outside the list.
ListDrop resolveListDrop(int currentLine, int lineUnderPoint);

// The line to select once the list has been rebuilt without the moved folder: the
// destination's line when the source lay above it, the line just above the destination
// otherwise; -1 (keep what the search selected) when the destination was the first line.
int reselectionLine(int lineUnderPoint);

// Source and destination are the same line: the texts are compared exactly.
bool isSameFolder(const QString &source, const QString &destination);

// "Vous devez placer la barre \"SOUS\" le Nom de la destination"
QString dropUnderNameText();
// The warning for a folder dropped under its own line.
QString sameFolderText(const QString &source);
// The confirmation: the source, an empty line, "Déplacer tout vers ->", an empty line and
// the destination.
QString nestingConfirmationText(const QString &source, const QString &destination);
// The report of a failed re-selection: "ERR#325: Listbox1 Draganddrop", an empty line and
// the error's text.
QString reselectionErrorText(const QString &error);
// "Index de liste hors limites (%d)"
QString listIndexErrorText(int index);

} // namespace folderops
