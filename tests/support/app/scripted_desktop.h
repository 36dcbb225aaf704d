#pragma once

#include "app/desktop.h"

#include <QList>
#include <QQueue>

// The desktop of the tests: dialogs and the folder chooser answer from queues filled in
// advance, and every call is recorded. A dialog shown with no answer queued answers as
// its cancel button would and is listed in failures(), so that a test can QFAIL on it
// instead of hanging on a real modal dialog.
class ScriptedDesktop : public Desktop
{
public:
    struct DialogCall
    {
        QString text;
        DialogKind kind;
        Buttons buttons;
        Button requestedDefault; // as the caller asked
        Button defaultButton;    // the one Enter would press
        Button result;
        bool answered; // false: nothing was queued
    };
    struct ErrorBoxCall
    {
        QString title;
        QString text;
    };
    struct TraySend
    {
        TrayCommand command;
        TrayRecord record;
        bool accepted;
    };
    struct Notice
    {
        QString title;
        QString text;
    };

    // Answers, used in the order they were queued.
    void setNextAnswer(Button result) { m_answers.enqueue(result); }
    void setNextFolder(const QString &folder) { m_folders.enqueue(folder); }
    qsizetype pendingAnswers() const { return m_answers.size() + m_folders.size(); }

    // Desktop behaviour a test may change.
    void setTrayDeleteRefused(bool refused) { m_trayDeleteRefused = refused; }
    void setOpenSucceeds(bool succeeds) { m_openSucceeds = succeeds; }
    // The balloon goes away, as the desktop would report it.
    void hideBalloon();

    // Calls seen so far.
    const QList<DialogCall> &dialogs() const { return m_dialogs; }
    const QList<ErrorBoxCall> &errorBoxes() const { return m_errorBoxes; }
    const QList<TraySend> &traySends() const { return m_traySends; }
    // The balloons shown: every accepted change of the record with a balloon requested.
    const QList<Notice> &notices() const { return m_notices; }
    const QStringList &chooserStarts() const { return m_chooserStarts; }
    const QStringList &openedFolders() const { return m_openedFolders; }
    const QStringList &openedTextFiles() const { return m_openedTextFiles; }
    const QStringList &clipboardHistory() const { return m_clipboardHistory; }
    bool trayIconPresent() const { return m_trayPresent; }
    bool balloonShowing() const { return m_balloonShowing; }

    // What went wrong in the script: dialogs or choosers shown with nothing queued.
    const QStringList &failures() const { return m_failures; }

    Button messageDialog(const QString &text, DialogKind kind, Buttons buttons,
                         Button defaultButton = Button::None) override;
    void errorBox(const QString &title, const QString &text) override;
    bool sendTrayRecord(TrayCommand command, const TrayRecord &record) override;
    void setTrayBalloonHiddenHandler(std::function<void()> handler) override;
    QString chooseFolder(QWidget *parent, const QString &startFolder) override;
    bool openFolder(const QString &path) override;
    bool openTextFile(const QString &path) override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() const override { return m_clipboard; }

private:
    QQueue<Button> m_answers;
    QQueue<QString> m_folders;
    QList<DialogCall> m_dialogs;
    QList<ErrorBoxCall> m_errorBoxes;
    QList<TraySend> m_traySends;
    QList<Notice> m_notices;
    QStringList m_chooserStarts;
    QStringList m_openedFolders;
    QStringList m_openedTextFiles;
    QStringList m_clipboardHistory;
    QStringList m_failures;
    QString m_clipboard;
    std::function<void()> m_balloonHidden;
    bool m_trayPresent = false;
    bool m_balloonShowing = false;
    bool m_trayDeleteRefused = false;
    bool m_openSucceeds = true;
};
