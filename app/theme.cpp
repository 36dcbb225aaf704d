#include "app/theme.h"

#include "app/app_resources.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

constexpr int kMenuIconSize = 32;

// Fusion, flattened by the style sheet, with the window's own timings and sizes.
class MetropolisStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        // The context menu shows its pictures at 32 x 32.
        if (metric == PM_SmallIconSize && qobject_cast<const QMenu *>(widget))
            return kMenuIconSize;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        // Room for the 32 x 32 picture of a menu item, with a little air around it.
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (type == CT_MenuItem && item && item->menuItemType != QStyleOptionMenuItem::Separator &&
            qobject_cast<const QMenu *>(widget))
            result.setHeight(qMax(result.height(), kMenuIconSize + 6));
        return result;
    }
};

QPalette metropolisPalette(const QPalette &base)
{
    QPalette p = base;
    const QColor face(0xF0, 0xF0, 0xF0);
    const QColor accent(0x00, 0x78, 0xD7);
    const QColor text(0x1E, 0x1E, 0x1E);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, face);
        p.setColor(group, QPalette::Button, face);
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::AlternateBase, QColor(0xF7, 0xF9, 0xFC));
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Highlight, accent);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Link, accent);
        // The classic pale yellow of tooltips, which the result list uses as background.
        p.setColor(group, QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
        p.setColor(group, QPalette::ToolTipText, Qt::black);
    }
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0x99, 0xC9, 0xEF));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x8C, 0x8C, 0x8C));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x8C, 0x8C, 0x8C));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x8C, 0x8C, 0x8C));
    return p;
}

} // namespace

QString themeResourcePath(const QString &name)
{
    QString file = name.toLower();
    file.replace(QLatin1Char(' '), QLatin1Char('_'));
    return QStringLiteral(":/themes/%1.qss").arg(file);
}

bool applyTheme(QApplication &app, const QString &name)
{
    initAppResources();
    QFile sheet(themeResourcePath(name));
    if (!sheet.open(QIODevice::ReadOnly))
        return false;
    const QString styleSheet = QString::fromUtf8(sheet.readAll());
    if (styleSheet.isEmpty())
        return false;
    QApplication::setStyle(new MetropolisStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    QApplication::setPalette(metropolisPalette(QApplication::style()->standardPalette()));
    app.setStyleSheet(styleSheet);
    return true;
}
