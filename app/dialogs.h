#pragma once

#include "app/desktop.h"

// The dialog routines through which the handlers talk to the user. Each takes the
// Desktop the window runs on: the real one shows dialogs, a scripted one answers them.

// A modal dialog of the kind with the text and the buttons; returns the result of the
// button pressed (1 OK, 2 Cancel or the close box, 8 Close). Without a default button,
// OK is the default when the dialog has it.
Desktop::Button messageDialog(Desktop &desktop, const QString &text, Desktop::DialogKind kind,
                              Desktop::Buttons buttons,
                              Desktop::Button defaultButton = Desktop::Button::None);

// "Informations" with OK.
void infoBox(Desktop &desktop, const QString &text);

// The kind's dialog with OK; true, always, once it is closed, so that a caller warns and
// stops in one line: if (alertBox(...)) return;
bool alertBox(Desktop &desktop, const QString &text, Desktop::DialogKind kind);

// The kind's dialog with OK and Cancel, OK the default; true only for OK.
bool confirmBox(Desktop &desktop, const QString &text, Desktop::DialogKind kind);

// The plain box: the program title, no icon, OK.
void noticeBox(Desktop &desktop, const QString &text);

// The text of the standard error box: the message with a full stop appended when its
// last character's code is above that of ".".
QString errorBoxText(const QString &message);

// The standard error box: program title, error icon, errorBoxText(message), OK.
void showErrorBox(Desktop &desktop, const QString &message);
