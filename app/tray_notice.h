#pragma once

#include "app/desktop.h"

#include <QObject>

// TrayIcon1: the notification-area icon whose balloon confirms a copy. It keeps the
// icon's whole record and sends it to the desktop at each change; a title or text equal
// to the one set last sends nothing. Absent at creation; taken out when destroyed.
// The desktop must outlive it.
class TrayNotice : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTipLength = 127;
    static constexpr int kTitleLength = 63;
    static constexpr int kTextLength = 255;
    static constexpr int kBalloonTimeoutMs = 10000;

    explicit TrayNotice(Desktop &desktop, QObject *parent = nullptr);
    ~TrayNotice() override;

    // Puts the icon into the notification area; nothing when it is there already.
    void show();
    // Takes the icon out; nothing when it is not there. Raises palvoric::UserError when
    // the desktop refuses; the icon counts as absent all the same.
    void hide();
    bool isVisible() const { return m_present; }

    void setBalloonIcon(TrayRecord::BalloonIcon icon) { m_balloonIcon = icon; }
    void setBalloonTitle(const QString &title);
    void setBalloonHint(const QString &text);
    // Shows the balloon with the title and text set last.
    void showBalloonHint();

    // The copy's notice: icon present, information icon, title, text, balloon.
    void notify(const QString &title, const QString &text);

    bool balloonRequested() const { return m_record.balloon; }
    const TrayRecord &record() const { return m_record; }

    // The desktop reports that the balloon has gone: a later change of the record must
    // not bring it back.
    void balloonHidden();

private:
    void modify();

    Desktop &m_desktop;
    TrayRecord m_record;
    QString m_title;
    QString m_text;
    TrayRecord::BalloonIcon m_balloonIcon = TrayRecord::BalloonIcon::None;
    bool m_present = false;
};

// The text cut to at most length UTF-16 code units, never inside a surrogate pair.
QString cutTrayText(const QString &text, int length);
