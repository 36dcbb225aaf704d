#include "tests/support/app/scripted_desktop.h"

#include "app/message_dialog.h"

Desktop::Button ScriptedDesktop::messageDialog(const QString &text, DialogKind kind,
                                               Buttons buttons, Button defaultButton)
{
    DialogCall call{text,
                    kind,
                    buttons,
                    defaultButton,
                    defaultButtonOf(buttons, defaultButton),
                    Desktop::Button::Cancel,
                    false};
    if (m_answers.isEmpty()) {
        call.result = dismissResult(buttons);
        m_failures.append(QStringLiteral("dialog \"%1\" (%2) shown with no answer queued")
                              .arg(text, dialogKindTitle(kind)));
    } else {
        call.result = m_answers.dequeue();
        call.answered = true;
    }
    m_dialogs.append(call);
    return call.result;
}

void ScriptedDesktop::errorBox(const QString &title, const QString &text)
{
    m_errorBoxes.append({title, text});
}

bool ScriptedDesktop::sendTrayRecord(TrayCommand command, const TrayRecord &record)
{
    bool accepted = true;
    switch (command) {
    case TrayCommand::Add:
        accepted = !m_trayPresent;
        m_trayPresent = true;
        break;
    case TrayCommand::Modify:
        accepted = m_trayPresent;
        break;
    case TrayCommand::Delete:
        accepted = m_trayPresent && !m_trayDeleteRefused;
        if (accepted) {
            m_trayPresent = false;
            m_balloonShowing = false;
        }
        break;
    }
    if (accepted && command != TrayCommand::Delete && record.balloon) {
        m_notices.append({record.balloonTitle, record.balloonText});
        m_balloonShowing = true;
    }
    m_traySends.append({command, record, accepted});
    return accepted;
}

void ScriptedDesktop::setTrayBalloonHiddenHandler(std::function<void()> handler)
{
    m_balloonHidden = std::move(handler);
}

void ScriptedDesktop::hideBalloon()
{
    m_balloonShowing = false;
    if (m_balloonHidden)
        m_balloonHidden();
}

QString ScriptedDesktop::chooseFolder(QWidget *, const QString &startFolder)
{
    m_chooserStarts.append(startFolder);
    if (m_folders.isEmpty()) {
        m_failures.append(QStringLiteral("folder chooser at \"%1\" shown with no folder queued")
                              .arg(startFolder));
        return QString();
    }
    return m_folders.dequeue();
}

bool ScriptedDesktop::openFolder(const QString &path)
{
    m_openedFolders.append(path);
    return m_openSucceeds;
}

bool ScriptedDesktop::openTextFile(const QString &path)
{
    m_openedTextFiles.append(path);
    return m_openSucceeds;
}

void ScriptedDesktop::setClipboardText(const QString &text)
{
    m_clipboard = text;
    m_clipboardHistory.append(text);
}
