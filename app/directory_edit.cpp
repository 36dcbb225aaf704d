#include "app/directory_edit.h"

#include "app/app_resources.h"

#include <QHBoxLayout>
#include <QIcon>
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
}

QString DirectoryEdit::text() const
{
    return m_edit->text();
}

void DirectoryEdit::setText(const QString &text)
{
    m_edit->setText(text);
}
