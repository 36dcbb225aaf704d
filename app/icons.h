#pragma once

#include <QIcon>

class QAction;

// The pictures of the menu items and buttons, drawn as SVG files among the program's
// resources so that they stay crisp at any size. Named after what they show: one
// picture serves several items.
enum class Icon {
    None = -1,
    Door,
    StackedWindows,
    Folder,
    CircularArrows,
    OpenFolder,
    RedCross,
    Magnifier,
    Man,
    Woman,
    Clipboard,
    QuestionMark,
    Profile,
    Pencil,
    FilmReels,
    CheckBox,
    Chart,
    StruckAccent,
};

inline constexpr int kIconCount = 17;

// The picture; a null icon for Icon::None.
QIcon icon(Icon picture);
// The picture's resource path; empty for Icon::None.
QString iconResourcePath(Icon picture);

// Gives an action its picture and remembers which one it is, for actionIcon().
void setActionIcon(QAction *action, Icon picture);
// The picture an action was given; Icon::None when it has none.
Icon actionIcon(const QAction *action);
