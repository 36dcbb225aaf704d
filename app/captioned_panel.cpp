#include "app/captioned_panel.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kBandInset = 2;      // band inside the panel's client area
constexpr int kTextIndent = 8;     // caption text from the band's left edge
constexpr int kChildMargin = 3;    // children from each edge of the area below the band
constexpr int kCaptionHeight = 23; // a window caption at 96 dpi

// The close button of a window caption: a cross on the band, pushed while held. It draws
// itself entirely, and is no tool button: the theme's rules for buttons (their padding
// and minimum height) would make it taller than the band.
class CaptionCloseButton : public QAbstractButton
{
public:
    using QAbstractButton::QAbstractButton;

protected:
    void enterEvent(QEnterEvent *event) override
    {
        QAbstractButton::enterEvent(event);
        update(); // the hover shade
    }
    void leaveEvent(QEvent *event) override
    {
        QAbstractButton::leaveEvent(event);
        update();
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect r = rect();
        const bool down = isDown();
        painter.fillRect(r, palette().color(QPalette::Button));
        QPen frame(down ? QColor(0x60, 0x60, 0x60) : QColor(0xA0, 0xA0, 0xA0));
        painter.setPen(frame);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        if (underMouse() && !down)
            painter.fillRect(r.adjusted(1, 1, -1, -1), QColor(0xE8, 0x11, 0x23, 0x30));
        // The cross, drawn in device-independent pixels so it stays crisp when scaled.
        painter.setRenderHint(QPainter::Antialiasing);
        QPen cross(palette().color(QPalette::ButtonText), 1.4);
        painter.setPen(cross);
        const QRectF c =
            QRectF(r)
                .adjusted(r.width() * 0.3, r.height() * 0.3, -r.width() * 0.3, -r.height() * 0.3)
                .translated(down ? 1 : 0, down ? 1 : 0);
        painter.drawLine(c.topLeft(), c.bottomRight());
        painter.drawLine(c.topRight(), c.bottomLeft());
    }
};

// A panel is a group of elements for assistive technologies, not a frame of its own.
QAccessibleInterface *panelAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(CaptionedPanel::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Grouping);
    return nullptr;
}

} // namespace

CaptionedPanel::CaptionedPanel(QWidget *parent)
    : QFrame(parent), m_bandColor(palette().color(QPalette::Button))
{
    static const bool factoryInstalled = (QAccessible::installFactory(panelAccessible), true);
    Q_UNUSED(factoryInstalled);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setForegroundRole(QPalette::WindowText);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0xA0, 0xA0, 0xA0)); // the thin border
    setPalette(p);
    m_captionFont = font();
    m_captionFont.setBold(true);
    m_closeButton = new CaptionCloseButton(this);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setToolTip(QString());
    m_closeButton->setAccessibleName(QStringLiteral("Fermer"));
    m_closeButton->hide();
    connect(m_closeButton, &QAbstractButton::clicked, this, &CaptionedPanel::closeButtonClicked);
    updateMargins();
}

void CaptionedPanel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update(bandRect());
    // The caption is painted: the name is what a screen reader reads of it.
    setAccessibleName(caption);
    Q_EMIT captionChanged(caption);
}

void CaptionedPanel::setBandColor(const QColor &color)
{
    m_bandColor = color;
    update();
}

void CaptionedPanel::setCaptionFont(const QFont &font, const QColor &color)
{
    m_captionFont = font;
    m_captionColor = color;
    update();
}

void CaptionedPanel::setCloseButtonVisible(bool visible)
{
    m_closeButton->setVisible(visible);
    placeCloseButton();
}

int CaptionedPanel::bandHeight() const
{
    return kCaptionHeight;
}

QRect CaptionedPanel::bandRect() const
{
    const QRect client =
        contentsRect().adjusted(-contentsMargins().left(), -contentsMargins().top(),
                                contentsMargins().right(), contentsMargins().bottom());
    return QRect(client.left() + kBandInset, client.top() + kBandInset,
                 client.width() - 2 * kBandInset, bandHeight());
}

void CaptionedPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect band = bandRect();
    painter.fillRect(band, m_bandColor);
    painter.setFont(m_captionFont);
    painter.setPen(m_captionColor);
    QRect textRect = band.adjusted(kTextIndent, 0, 0, 0);
    if (m_closeButton->isVisible())
        textRect.setRight(m_closeButton->geometry().left() - 2);
    painter.setClipRect(band);
    // "&" is an ordinary character here, never an accelerator marker.
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, m_caption);
}

void CaptionedPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    placeCloseButton();
}

bool CaptionedPanel::event(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateMargins();
    return QFrame::event(event);
}

void CaptionedPanel::placeCloseButton()
{
    const QRect band = bandRect();
    const int width = bandHeight() - 3;
    const int height = width - 2;
    m_closeButton->setGeometry(band.right() - 2 - width + 1, band.top() + 3, width, height);
}

void CaptionedPanel::updateMargins()
{
    // The frame's own width plus the band: children start under it.
    const int top = kBandInset + bandHeight() + kChildMargin;
    setContentsMargins(kChildMargin, top, kChildMargin, kChildMargin);
}
