#include "app/directory_edit.h"

#include "app/app_resources.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

DirectoryEdit::DirectoryEdit(QWidget *parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_browse(new QToolButton(this))
{
    initAppResources();
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_browse);
    m_browse->setIcon(QIcon(QStringLiteral(":/pictures/folder.svg")));
    m_browse->setFocusPolicy(Qt::NoFocus);
    m_browse->setCursor(Qt::ArrowCursor);
    setFocusProxy(m_edit);
    connect(m_browse, &QToolButton::clicked, this, &DirectoryEdit::browseClicked);
    m_edit->installEventFilter(this);
}

bool DirectoryEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool browseKey = (key->key() == Qt::Key_F4 && modifiers == Qt::NoModifier) ||
                           (key->key() == Qt::Key_Down && modifiers == Qt::AltModifier);
    if (!browseKey)
        return false;
    Q_EMIT browseClicked();
    return true;
}

QString DirectoryEdit::text() const
{
    return m_edit->text();
}

void DirectoryEdit::setText(const QString &text)
{
    m_edit->setText(text);
}
