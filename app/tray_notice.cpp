#include "app/tray_notice.h"

#include "errors/user_error.h"
#include "platform/exe_identity.h"

QString cutTrayText(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    qsizetype end = length;
    // Half a character would reach the desktop as a broken one.
    if (end > 0 && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
        --end;
    return text.left(end);
}

TrayNotice::TrayNotice(Desktop &desktop, QObject *parent) : QObject(parent), m_desktop(desktop)
{
    m_record.tip = cutTrayText(platform::programTitle(), kTipLength);
    m_record.balloonTimeoutMs = kBalloonTimeoutMs;
    m_desktop.setTrayBalloonHiddenHandler([this] { balloonHidden(); });
}

TrayNotice::~TrayNotice()
{
    m_desktop.setTrayBalloonHiddenHandler({});
    if (m_present) {
        // The program is ending: a refusal has nobody left to be told to.
        m_present = false;
        m_desktop.sendTrayRecord(Desktop::TrayCommand::Delete, m_record);
    }
}

void TrayNotice::show()
{
    if (m_present)
        return;
    m_present = true;
    // A refused icon only costs the notice; what it confirms has happened.
    m_desktop.sendTrayRecord(Desktop::TrayCommand::Add, m_record);
}

void TrayNotice::hide()
{
    if (!m_present)
        return;
    m_present = false;
    // Taking the icon out takes its balloon with it.
    m_record.balloon = false;
    if (!m_desktop.sendTrayRecord(Desktop::TrayCommand::Delete, m_record)) {
        throw palvoric::UserError(
            QStringLiteral("Impossible de supprimer l'icône de notification de shell"));
    }
}

void TrayNotice::modify()
{
    // An absent icon has no record on the desktop to change; it gets the whole record
    // when it is added.
    if (m_present)
        m_desktop.sendTrayRecord(Desktop::TrayCommand::Modify, m_record);
}

void TrayNotice::setBalloonTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    m_record.balloonTitle = cutTrayText(title, kTitleLength);
    modify();
}

void TrayNotice::setBalloonHint(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_record.balloonText = cutTrayText(text, kTextLength);
    modify();
}

void TrayNotice::showBalloonHint()
{
    if (!m_present)
        return;
    m_record.balloon = true;
    m_record.balloonIcon = m_balloonIcon;
    modify();
}

void TrayNotice::notify(const QString &title, const QString &text)
{
    show();
    setBalloonIcon(TrayRecord::BalloonIcon::Information);
    setBalloonTitle(title);
    setBalloonHint(text);
    showBalloonHint();
}

void TrayNotice::balloonHidden()
{
    m_record.balloon = false;
}
