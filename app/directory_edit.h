#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The start-folder field: a path the user may type freely, with a browse button at its
// right end. Its text is the folder the search runs in, read afresh at each use. The
// button takes no focus; from the keyboard, Alt+Down or F4 in the field browses, as they
// open the list of a combo box.
class DirectoryEdit : public QWidget
{
    Q_OBJECT
public:
    explicit DirectoryEdit(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *browseButton() const { return m_browse; }

Q_SIGNALS:
    // The browse button clicked, or its key pressed in the field.
    void browseClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    QToolButton *m_browse;
};
