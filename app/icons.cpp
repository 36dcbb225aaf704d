#include "app/icons.h"

#include "app/app_resources.h"

#include <QAction>
#include <QFile>

namespace {

const char *const kIconProperty = "palvoricIcon";

} // namespace

QString iconResourcePath(Icon picture)
{
    const int number = int(picture);
    if (number < 0 || number >= kIconCount)
        return QString();
    return QStringLiteral(":/pictures/%1.svg").arg(number, 2, 10, QLatin1Char('0'));
}

QIcon icon(Icon picture)
{
    const QString path = iconResourcePath(picture);
    if (path.isEmpty())
        return QIcon();
    initAppResources();
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

void setActionIcon(QAction *action, Icon picture)
{
    action->setProperty(kIconProperty, int(picture));
    action->setIcon(icon(picture));
}

Icon actionIcon(const QAction *action)
{
    const QVariant picture = action->property(kIconProperty);
    return picture.isValid() ? Icon(picture.toInt()) : Icon::None;
}
