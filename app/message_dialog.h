#pragma once

#include "app/desktop.h"

#include <QDialog>
#include <QList>

class QFont;
class QPushButton;

// The rules of a message dialog, shared by the real dialog and the scripted desktop.

// "Avertissement", "Erreur", "Informations", "Confirmer", or the program title (plain).
QString dialogKindTitle(Desktop::DialogKind kind);
// "OK", "Annuler", "Fer&mer" ("&" marks the accelerator).
QString buttonCaption(Desktop::Button button);
// The buttons a dialog shows, in the order they stand: OK, Cancel, Close. A dialog
// asked with none of them gets OK, so that it always has a button to end it.
QList<Desktop::Button> dialogButtons(Desktop::Buttons buttons);
// The button pressed by Enter: the one asked for when the dialog has it, else OK when
// the dialog has OK, else none.
Desktop::Button defaultButtonOf(Desktop::Buttons buttons, Desktop::Button requested);
// The button pressed by Esc: Cancel, else OK, else none.
Desktop::Button cancelButtonOf(Desktop::Buttons buttons);
// The result of a dialog ended without choosing: its cancel button's, else Cancel's (the
// close box).
Desktop::Button dismissResult(Desktop::Buttons buttons);

// What Ctrl+C puts on the clipboard: rule, title, rule, text, rule, the captions (without
// "&") each followed by three blanks, rule; every line ended by "\r\n".
QString messageDialogCopyText(const QString &title, const QString &text,
                              const QStringList &captions);

// The text broken into lines that fit maxWidth in font: at word boundaries, and inside
// a word only when it is longer than a line by itself.
QString wrapMessageText(const QString &text, const QFont &font, int maxWidth);

// The modal window of messageDialog: the kind's icon at the top left, the text to its
// right, the buttons in one centred row under it; fixed size, centred on the screen.
class MessageDialogWindow : public QDialog
{
    Q_OBJECT
public:
    MessageDialogWindow(const QString &text, Desktop::DialogKind kind, Desktop::Buttons buttons,
                        Desktop::Button defaultButton = Desktop::Button::None,
                        QWidget *parent = nullptr);

    // Centres the dialog, runs it modally and returns the result of the button pressed.
    Desktop::Button run();

    QPushButton *button(Desktop::Button which) const;
    QList<QPushButton *> buttonsInOrder() const { return m_buttons; }
    Desktop::Button defaultButton() const { return m_default; }
    Desktop::Button cancelButton() const { return m_cancel; }
    bool hasIcon() const { return m_hasIcon; }
    QString copyText() const;

public Q_SLOTS:
    // The close box and Alt+F4 end the dialog with Cancel's result.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void centreOnScreen();

    QString m_title;
    QString m_text;
    QList<QPushButton *> m_buttons;
    Desktop::Button m_default = Desktop::Button::None;
    Desktop::Button m_cancel = Desktop::Button::None;
    bool m_hasIcon = false;
};
