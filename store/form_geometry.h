#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// The main window's outer geometry in the settings file: "left:top:width:height" under
// the executable's base name, keyed by the window's name.
namespace store {

QString formatGeometry(const QRect &geometry);

// Applies the four pieces to geometry in order, each bound tested against the geometry
// at that moment: the left edge (past the work area's width: the width minus the
// window's width), the top edge (above 0: 0), the width and the height (each at most the
// work area's). A piece that is not an integer raises palvoric::UserError
// "''<piece>'' n'est pas une valeur entière valide"; geometry then holds the pieces
// applied before it. A missing piece (fewer than four) keeps the current value, bounds
// still applied. Values are kept within +/-2^28 so that a rectangle of them never
// overflows.
void applyGeometryPieces(const QStringList &pieces, QRect &geometry, const QRect &workArea);

void saveWindowGeometry(const QString &section, const QString &windowName, const QRect &geometry,
                        const QString &file = QString());

// Reads the stored geometry (the current one when absent) and applies it to geometry as
// applyGeometryPieces does. The window applies each value before reading the next; with
// plain values, computing them in the same order gives the same result, so the window
// sets the result at the end. When this raises, the window sets geometry (the pieces
// applied before the bad one) before passing the error on.
void loadWindowGeometry(const QString &section, const QString &windowName, QRect &geometry,
                        const QRect &workArea, const QString &file = QString());

} // namespace store
