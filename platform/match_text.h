#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// How a name and a search text are put before they are compared, so that a name matches
// however it was written: composed or decomposed accents (a folder made on a Mac stores
// "é" as "e" and a combining accent), and, when asked, without the accents at all.
namespace platform::matchtext {

// The canonical composed form (NFC) of text. With ignoreAccents, the letters without
// their non-spacing marks (in every script Unicode decomposes), and "œ" and "æ" written
// out as "oe" and "ae". Letter case is kept: compare with sameFolded().
QString canonical(QStringView text, bool ignoreAccents);

// The index past the end of each character as the user sees it (a letter with its
// combining marks, an emoji sequence), in order. An ASCII character is always one of its
// own, as in a name's raw bytes (each half of a line end "\r\n" too). Empty when every
// code unit is a character of its own, the common case, which needs no list.
std::vector<qsizetype> characterEnds(QStringView text);

// Code point by code point, letter case ignored (simple case folding).
bool sameFolded(QStringView folded, QStringView text);

} // namespace platform::matchtext
