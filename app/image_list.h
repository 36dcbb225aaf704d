#pragma once

#include <QIcon>

// `ImageList1`: the pictures of the menu items and buttons, by index, drawn as SVG
// files among the program's resources so they stay crisp at any size.
namespace ImageList1 {

inline constexpr int kCount = 16;

// The picture at index; a null icon for -1 or any index out of range.
QIcon icon(int index);
// The resource path of the picture at index.
QString resourcePath(int index);

} // namespace ImageList1
