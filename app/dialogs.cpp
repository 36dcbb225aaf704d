#include "app/dialogs.h"

#include "platform/exe_identity.h"

Desktop::Button messageDialog(Desktop &desktop, const QString &text, Desktop::DialogKind kind,
                              Desktop::Buttons buttons, Desktop::Button defaultButton)
{
    return desktop.messageDialog(text, kind, buttons, defaultButton);
}

void infoBox(Desktop &desktop, const QString &text)
{
    messageDialog(desktop, text, Desktop::DialogKind::Information, Desktop::Button::Ok);
}

bool alertBox(Desktop &desktop, const QString &text, Desktop::DialogKind kind)
{
    messageDialog(desktop, text, kind, Desktop::Button::Ok);
    return true;
}

bool confirmBox(Desktop &desktop, const QString &text, Desktop::DialogKind kind)
{
    return messageDialog(desktop, text, kind, Desktop::Button::Ok | Desktop::Button::Cancel,
                         Desktop::Button::Ok) == Desktop::Button::Ok;
}

void noticeBox(Desktop &desktop, const QString &text)
{
    messageDialog(desktop, text, Desktop::DialogKind::Plain, Desktop::Button::Ok);
}

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void showErrorBox(Desktop &desktop, const QString &message)
{
    desktop.errorBox(platform::programTitle(), errorBoxText(message));
}
