#pragma once

// Drives the real modal dialogs of the app tests from inside their own event loop.

#include <QApplication>
#include <QDialog>
#include <QMetaType>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

enum class WayOut { Enter, Escape, CloseBox, ClickOk, ClickCancel, ClickClose };

// Runs open(), which shows a modal dialog, while act() works on that dialog from the
// event loop. A dialog that act() leaves open is closed so that a failed check cannot
// hang the test; dialogLeftOpen() tells.
class ModalDriver
{
public:
    template<class Open> auto run(Open &&open, const std::function<void(QDialog *)> &act)
    {
        m_acted = false;
        m_leftOpen = false;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            poll.stop();
            m_acted = true;
            act(dialog);
            if (dialog->isVisible()) {
                m_leftOpen = true;
                dialog->done(-1);
            }
        });
        poll.start();
        return open();
    }
    bool acted() const { return m_acted; }
    bool dialogLeftOpen() const { return m_leftOpen; }

private:
    bool m_acted = false;
    bool m_leftOpen = false;
};

inline QPushButton *buttonCaptioned(QDialog *dialog, const QString &caption)
{
    for (auto *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

inline void takeWayOut(QDialog *dialog, WayOut way)
{
    switch (way) {
    case WayOut::Enter:
        QTest::keyClick(dialog, Qt::Key_Return);
        break;
    case WayOut::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case WayOut::CloseBox:
        dialog->close(); // what the close box and Alt+F4 ask of the window
        break;
    case WayOut::ClickOk:
        QTest::mouseClick(buttonCaptioned(dialog, QStringLiteral("OK")), Qt::LeftButton);
        break;
    case WayOut::ClickCancel:
        QTest::mouseClick(buttonCaptioned(dialog, QStringLiteral("Annuler")), Qt::LeftButton);
        break;
    case WayOut::ClickClose:
        QTest::mouseClick(buttonCaptioned(dialog, QStringLiteral("Fer&mer")), Qt::LeftButton);
        break;
    }
}

Q_DECLARE_METATYPE(WayOut)
