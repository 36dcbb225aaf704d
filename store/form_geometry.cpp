#include "store/form_geometry.h"

#include "errors/user_error.h"
#include "store/ini_file.h"
#include "store/int_conversion.h"
#include "store/split_string.h"

namespace store {

namespace {

constexpr int kLimit = 1 << 28;

int bounded(int value)
{
    return qBound(-kLimit, value, kLimit);
}

int pieceValue(const QString &piece)
{
    const auto value = textToInt(piece);
    if (!value)
        throw palvoric::UserError(
            QStringLiteral("''%1'' n'est pas une valeur entière valide").arg(piece));
    return bounded(*value);
}

} // namespace

QString formatGeometry(const QRect &geometry)
{
    return QStringLiteral("%1:%2:%3:%4")
        .arg(geometry.left())
        .arg(geometry.top())
        .arg(geometry.width())
        .arg(geometry.height());
}

void applyGeometryPieces(const QStringList &pieces, QRect &geometry, const QRect &workArea)
{
    const int areaWidth = workArea.width();
    const int areaHeight = workArea.height();
    int left = bounded(geometry.left());
    int top = bounded(geometry.top());
    int width = bounded(geometry.width());
    int height = bounded(geometry.height());
    auto commit = [&] {
        geometry = QRect(left, top, width, height);
    };

    if (pieces.size() > 0) {
        left = pieceValue(pieces[0]);
        // The width the window has before its own piece is applied.
        if (left > areaWidth)
            left = areaWidth - width;
        commit();
    }
    if (pieces.size() > 1) {
        top = pieceValue(pieces[1]);
        if (top < 0)
            top = 0;
        commit();
    }
    if (pieces.size() > 2) {
        width = pieceValue(pieces[2]);
        if (areaWidth < width)
            width = areaWidth;
        commit();
    }
    if (pieces.size() > 3) {
        height = pieceValue(pieces[3]);
        if (areaHeight < height)
            height = areaHeight;
        commit();
    }
    // Missing pieces keep the current values, bounded the same way.
    if (pieces.size() < 1 && left > areaWidth)
        left = areaWidth - width;
    if (pieces.size() < 2 && top < 0)
        top = 0;
    if (pieces.size() < 3 && areaWidth < width)
        width = areaWidth;
    if (pieces.size() < 4 && areaHeight < height)
        height = areaHeight;
    commit();
}

void saveWindowGeometry(const QString &section, const QString &windowName, const QRect &geometry,
                        const QString &file)
{
    iniWriteString(section, windowName, formatGeometry(geometry), file);
}

void loadWindowGeometry(const QString &section, const QString &windowName, QRect &geometry,
                        const QRect &workArea, const QString &file)
{
    const QString stored = iniReadString(section, windowName, formatGeometry(geometry), file);
    applyGeometryPieces(splitString(stored, QStringLiteral(":")), geometry, workArea);
}

} // namespace store
