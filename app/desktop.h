#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// The record of the notification-area icon, sent whole at each change: the desktop
// never keeps a piece of it that the sender does not know.
struct TrayRecord
{
    enum class BalloonIcon { None, Information };

    QString tip;          // the icon's tooltip (empty: none)
    QString balloonTitle; // at most 63 characters
    QString balloonText;  // at most 255 characters
    bool balloon = false; // a balloon is requested: the desktop shows title and text
    BalloonIcon balloonIcon = BalloonIcon::None;
    int balloonTimeoutMs = 10000;
};

// Everything the window asks of the desktop it runs on: modal message dialogs, the
// standard error box, the tray notice, the folder chooser, opening a folder or a text
// file, and the clipboard. The program holds one Desktop; tests install a scripted
// one that answers dialogs from a queue and records every call.
class Desktop
{
public:
    enum class DialogKind { Warning, Error, Information, Confirmation, Plain };

    // A dialog's buttons; a dialog returns the one pressed.
    enum class Button { None = 0x0, Ok = 0x1, Cancel = 0x2, Close = 0x4 };
    Q_DECLARE_FLAGS(Buttons, Button)

    // What is done with the tray record: the icon put into the notification area,
    // its record changed, the icon taken out.
    enum class TrayCommand { Add, Modify, Delete };

    virtual ~Desktop() = default;

    // The program's main window, which the desktop's dialogs belong to: each opens over it
    // and stays above it, whichever window is active when it opens (files dropped from the
    // file browser leave the browser active). A desktop that shows no dialog ignores it.
    virtual void setMainWindow(QWidget *window) { Q_UNUSED(window); }

    // A modal dialog; returns the button pressed (Cancel for the close box). A
    // defaultButton of None means OK when the dialog has OK.
    virtual Button messageDialog(const QString &text, DialogKind kind, Buttons buttons,
                                 Button defaultButton = Button::None) = 0;

    // The standard error box: the title, an error icon, the text, one OK button.
    virtual void errorBox(const QString &title, const QString &text) = 0;

    // The notification-area icon. Returns false when the desktop refused the command
    // (taking out an icon that is not there, for one). A Modify with a balloon requested
    // shows the balloon; the desktop says through the handler when it has gone again.
    virtual bool sendTrayRecord(TrayCommand command, const TrayRecord &record) = 0;
    virtual void setTrayBalloonHiddenHandler(std::function<void()> handler) = 0;

    // The folder chooser, modal over parent; returns the empty text on Cancel.
    virtual QString chooseFolder(QWidget *parent, const QString &startFolder) = 0;

    // Hands a folder to the file browser, a text file to the text editor.
    // Return false when the desktop could not be asked.
    virtual bool openFolder(const QString &path) = 0;
    virtual bool openTextFile(const QString &path) = 0;

    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() const = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Desktop::Buttons)
