#include "app/dialogs.h"

#include "platform/exe_identity.h"

int MessageDialog(Desktop &desktop, const QString &text, Desktop::DialogKind kind,
                  Desktop::Buttons buttons, Desktop::Button defaultButton)
{
    return desktop.messageDialog(text, kind, buttons, defaultButton);
}

void InfoBox(Desktop &desktop, const QString &text)
{
    MessageDialog(desktop, text, Desktop::DialogKind::Information, Desktop::Ok);
}

bool AlertBox(Desktop &desktop, const QString &text, Desktop::DialogKind kind)
{
    MessageDialog(desktop, text, kind, Desktop::Ok);
    return true;
}

bool ConfirmBox(Desktop &desktop, const QString &text, Desktop::DialogKind kind)
{
    return MessageDialog(desktop, text, kind, Desktop::Ok | Desktop::Cancel, Desktop::Ok) ==
           Desktop::Ok;
}

void NoticeBox(Desktop &desktop, const QString &text)
{
    MessageDialog(desktop, text, Desktop::DialogKind::Plain, Desktop::Ok);
}

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void showErrorBox(Desktop &desktop, const QString &message)
{
    desktop.errorBox(platform::ProgramTitle(), errorBoxText(message));
}
