#pragma once

#include <QFrame>

class QLabel;
class QTimer;

// A notice that passes by where the desktop has no notification area: a small frameless
// window at the bottom right of the screen's work area with a title and a text. It never
// takes the focus and hides itself after a while, or at a click.
class PassingNotice : public QFrame
{
    Q_OBJECT
public:
    explicit PassingNotice(QWidget *parent = nullptr);

    // Shows (or refreshes) the notice for timeoutMs milliseconds.
    void showNotice(const QString &title, const QString &text, int timeoutMs);

    QString title() const;
    QString text() const;

Q_SIGNALS:
    // The notice has gone, whatever took it away.
    void hidden();

protected:
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void placeAtBottomRight();

    QLabel *m_title;
    QLabel *m_text;
    QTimer *m_timer;
    QString m_plainTitle;
    QString m_plainText;
};
