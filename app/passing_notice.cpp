#include "app/passing_notice.h"

#include "app/message_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kTextWidth = 320;
constexpr int kScreenMargin = 12;

} // namespace

PassingNotice::PassingNotice(QWidget *parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      m_title(new QLabel(this)), m_text(new QLabel(this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("passingNotice"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // The colours of a tooltip, as the style and the theme give them.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setAutoFillBackground(true);

    for (QLabel *label : {m_title, m_text}) {
        label->setTextFormat(Qt::PlainText);
        label->setForegroundRole(QPalette::ToolTipText);
    }
    m_title->setObjectName(QStringLiteral("title"));
    m_text->setObjectName(QStringLiteral("text"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_text);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
}

void PassingNotice::showNotice(const QString &title, const QString &text, int timeoutMs)
{
    m_plainTitle = title;
    m_plainText = text;
    m_title->ensurePolished();
    m_text->ensurePolished();
    m_title->setText(wrapMessageText(title, m_title->font(), kTextWidth));
    m_text->setText(wrapMessageText(text, m_text->font(), kTextWidth));
    m_title->setVisible(!title.isEmpty());
    layout()->activate();
    adjustSize();
    placeAtBottomRight();
    if (isVisible())
        raise(); // a second notice comes back above what covered the first
    else
        show();
    m_timer->start(std::max(timeoutMs, 0));
}

QString PassingNotice::title() const
{
    return m_plainTitle;
}

QString PassingNotice::text() const
{
    return m_plainText;
}

void PassingNotice::placeAtBottomRight()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.right() - width() - kScreenMargin + 1, area.bottom() - height() - kScreenMargin + 1);
}

void PassingNotice::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QFrame::hideEvent(event);
    emit hidden();
}

void PassingNotice::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    hide();
}
