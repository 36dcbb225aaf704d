#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Everything the window asks of the desktop it runs on: modal message dialogs, the
// standard error box, the tray notice, the folder chooser, opening a folder or a text
// file, and the clipboard. The program holds one Desktop; tests install a scripted
// one that answers dialogs from a queue and records every call.
class Desktop
{
public:
    enum class DialogKind { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Plain = 4 };

    // Buttons and the results they return.
    enum Button { NoButton = 0, Ok = 1, Cancel = 2, Close = 8 };
    using Buttons = int; // OR of Button values

    virtual ~Desktop() = default;

    // A modal dialog; returns the result of the button pressed (Cancel for the close box).
    // A defaultButton of NoButton means OK when the dialog has OK.
    virtual int messageDialog(const QString &text, DialogKind kind, Buttons buttons,
                              Button defaultButton = NoButton) = 0;

    // The standard error box: the program title, an error icon, one OK button.
    virtual void errorBox(const QString &title, const QString &text) = 0;

    // Tray notice: the balloon of the notification-area icon, or a passing notice of
    // our own where the desktop has no notification area.
    virtual void showTrayNotice(const QString &title, const QString &text) = 0;
    virtual void hideTrayIcon() = 0;
    virtual bool trayIconPresent() const = 0;

    // The folder chooser, modal over parent; returns the empty text on Cancel.
    virtual QString chooseFolder(QWidget *parent, const QString &startFolder) = 0;

    // Hands a folder to the file browser, a text file to the text editor.
    // Return false when the desktop could not be asked.
    virtual bool openFolder(const QString &path) = 0;
    virtual bool openTextFile(const QString &path) = 0;

    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() const = 0;
};
