#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>

class QAbstractButton;

// A panel with a coloured caption band along its top edge, optionally a close button in
// the band. It never hides itself: the close button only raises closeButtonClicked().
// Children go into contentArea(), laid out below the band with 3-pixel margins.
//
// A screen reader reads the panel as a group named by its caption, told of each change.
class CaptionedPanel : public QFrame
{
    Q_OBJECT
public:
    explicit CaptionedPanel(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QColor bandColor() const { return m_bandColor; }
    void setBandColor(const QColor &color);

    QFont captionFont() const { return m_captionFont; }
    QColor captionColor() const { return m_captionColor; }
    void setCaptionFont(const QFont &font, const QColor &color);

    void setCloseButtonVisible(bool visible);
    QAbstractButton *closeButton() const { return m_closeButton; }

    // Height of the caption band, the platform's window-caption height.
    int bandHeight() const;
    QRect bandRect() const;

Q_SIGNALS:
    void closeButtonClicked();
    void captionChanged(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void placeCloseButton();
    void updateMargins();

    QString m_caption;
    QColor m_bandColor;
    QFont m_captionFont;
    QColor m_captionColor = Qt::black;
    QAbstractButton *m_closeButton = nullptr;
};
