#include "app/image_list.h"

#include "app/app_resources.h"

#include <QFile>

namespace ImageList1 {

QString resourcePath(int index)
{
    return QStringLiteral(":/pictures/%1.svg").arg(index, 2, 10, QLatin1Char('0'));
}

QIcon icon(int index)
{
    if (index < 0 || index >= kCount)
        return QIcon();
    initAppResources();
    const QString path = resourcePath(index);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

} // namespace ImageList1
