#include "app/message_dialog.h"

#include "platform/exe_identity.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The standard width of a dialog button (50 dialog units in the usual message font).
constexpr int kMinimumButtonWidth = 75;
constexpr int kIconSize = 32;

QString captionWithoutAccelerator(const QString &caption)
{
    // "&&" stands for one "&"; a single "&" only marks the next letter.
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&') {
            if (i + 1 < caption.size() && caption.at(i + 1) == u'&') {
                plain += u'&';
                ++i;
            }
            continue;
        }
        plain += caption.at(i);
    }
    return plain;
}

QStyle::StandardPixmap iconOf(Desktop::DialogKind kind)
{
    switch (kind) {
    case Desktop::DialogKind::Warning:
        return QStyle::SP_MessageBoxWarning;
    case Desktop::DialogKind::Error:
        return QStyle::SP_MessageBoxCritical;
    case Desktop::DialogKind::Information:
        return QStyle::SP_MessageBoxInformation;
    case Desktop::DialogKind::Confirmation:
        return QStyle::SP_MessageBoxQuestion;
    case Desktop::DialogKind::Plain:
        break;
    }
    return QStyle::SP_CustomBase;
}

QScreen *screenFor(const QWidget *parent)
{
    if (parent && parent->screen())
        return parent->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace

QString dialogKindTitle(Desktop::DialogKind kind)
{
    switch (kind) {
    case Desktop::DialogKind::Warning:
        return QStringLiteral("Avertissement");
    case Desktop::DialogKind::Error:
        return QStringLiteral("Erreur");
    case Desktop::DialogKind::Information:
        return QStringLiteral("Informations");
    case Desktop::DialogKind::Confirmation:
        return QStringLiteral("Confirmer");
    case Desktop::DialogKind::Plain:
        break;
    }
    return platform::programTitle();
}

QString buttonCaption(Desktop::Button button)
{
    switch (button) {
    case Desktop::Button::Ok:
        return QStringLiteral("OK");
    case Desktop::Button::Cancel:
        return QStringLiteral("Annuler");
    case Desktop::Button::Close:
        return QStringLiteral("Fer&mer");
    case Desktop::Button::None:
        break;
    }
    return QString();
}

QList<Desktop::Button> dialogButtons(Desktop::Buttons buttons)
{
    QList<Desktop::Button> shown;
    for (const auto button :
         {Desktop::Button::Ok, Desktop::Button::Cancel, Desktop::Button::Close}) {
        if (buttons & button)
            shown.append(button);
    }
    if (shown.isEmpty())
        shown.append(Desktop::Button::Ok);
    return shown;
}

Desktop::Button defaultButtonOf(Desktop::Buttons buttons, Desktop::Button requested)
{
    const auto shown = dialogButtons(buttons);
    if (requested != Desktop::Button::None && shown.contains(requested))
        return requested;
    return shown.contains(Desktop::Button::Ok) ? Desktop::Button::Ok : Desktop::Button::None;
}

Desktop::Button cancelButtonOf(Desktop::Buttons buttons)
{
    const auto shown = dialogButtons(buttons);
    if (shown.contains(Desktop::Button::Cancel))
        return Desktop::Button::Cancel;
    return shown.contains(Desktop::Button::Ok) ? Desktop::Button::Ok : Desktop::Button::None;
}

Desktop::Button dismissResult(Desktop::Buttons buttons)
{
    const auto cancel = cancelButtonOf(buttons);
    return cancel != Desktop::Button::None ? cancel : Desktop::Button::Cancel;
}

QString messageDialogCopyText(const QString &title, const QString &text,
                              const QStringList &captions)
{
    const QString rule = QString(27, u'-') + QStringLiteral("\r\n");
    QString buttonLine;
    for (const QString &caption : captions)
        buttonLine += captionWithoutAccelerator(caption) + QStringLiteral("   ");
    return rule + title + QStringLiteral("\r\n") + rule + text + QStringLiteral("\r\n") + rule +
           buttonLine + QStringLiteral("\r\n") + rule;
}

QString wrapMessageText(const QString &text, const QFont &font, int maxWidth)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString &paragraph : normalized.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        QStringList paragraphLines;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(maxWidth, 1));
            paragraphLines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (paragraphLines.isEmpty())
            paragraphLines.append(QString());
        // Blanks at the end of a line are not seen, and would widen the dialog.
        for (QString &line : paragraphLines) {
            while (!line.isEmpty() && line.back() == u' ')
                line.chop(1);
        }
        lines += paragraphLines;
    }
    return lines.join(u'\n');
}

MessageDialogWindow::MessageDialogWindow(const QString &text, Desktop::DialogKind kind,
                                         Desktop::Buttons buttons, Desktop::Button defaultButton,
                                         QWidget *parent)
    : QDialog(parent), m_title(dialogKindTitle(kind)), m_text(text),
      m_default(defaultButtonOf(buttons, defaultButton)), m_cancel(cancelButtonOf(buttons))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(m_title);
    setModal(true);

    auto *content = new QHBoxLayout;
    if (kind != Desktop::DialogKind::Plain) {
        auto *icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("icon"));
        const QIcon standard = style()->standardIcon(iconOf(kind), nullptr, this);
        icon->setPixmap(standard.pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
        icon->setFixedSize(kIconSize, kIconSize);
        content->addWidget(icon, 0, Qt::AlignTop);
        m_hasIcon = true;
    }
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("text"));
    // Names come from the file system: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    label->ensurePolished();
    const QScreen *screen = screenFor(parent);
    const int maxWidth = screen ? screen->geometry().width() / 2 : 400;
    label->setText(wrapMessageText(text, label->font(), maxWidth));
    content->addWidget(label, 1, Qt::AlignTop | Qt::AlignLeft);

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (const auto which : dialogButtons(buttons)) {
        auto *button = new QPushButton(buttonCaption(which), this);
        button->setObjectName(QStringLiteral("button%1").arg(int(which)));
        button->setProperty("result", int(which));
        connect(button, &QPushButton::clicked, this, [this, which] { done(int(which)); });
        row->addWidget(button);
        m_buttons.append(button);
    }
    row->addStretch(1);

    QSize buttonSize(kMinimumButtonWidth, 0);
    for (const QPushButton *button : std::as_const(m_buttons))
        buttonSize = buttonSize.expandedTo(button->sizeHint());
    for (QPushButton *button : std::as_const(m_buttons))
        button->setFixedSize(buttonSize);

    if (QPushButton *button = this->button(m_default)) {
        button->setDefault(true);
        button->setFocus(Qt::OtherFocusReason);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(content);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton *MessageDialogWindow::button(Desktop::Button which) const
{
    for (QPushButton *button : m_buttons) {
        if (button->property("result").toInt() == int(which) && which != Desktop::Button::None)
            return button;
    }
    return nullptr;
}

QString MessageDialogWindow::copyText() const
{
    QStringList captions;
    for (const QPushButton *button : m_buttons)
        captions.append(button->text());
    return messageDialogCopyText(m_title, m_text, captions);
}

Desktop::Button MessageDialogWindow::run()
{
    setResult(int(Desktop::Button::Cancel));
    centreOnScreen();
    return Desktop::Button(exec());
}

void MessageDialogWindow::reject()
{
    done(int(Desktop::Button::Cancel));
}

void MessageDialogWindow::keyPressEvent(QKeyEvent *event)
{
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_C && modifiers == Qt::ControlModifier) {
        QApplication::beep();
        QGuiApplication::clipboard()->setText(copyText());
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cancel)) {
        // Esc presses the cancel button; a dialog without one ignores it.
        if (QPushButton *cancel = button(m_cancel))
            cancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageDialogWindow::centreOnScreen()
{
    layout()->activate();
    adjustSize();
    if (const QScreen *screen = screenFor(parentWidget())) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}
