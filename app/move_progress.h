#pragma once

#include "platform/folder_move.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// The progress window of a long move (a folder copied to another disk), as the file
// browser shows one: it appears only once the move has run a while, and its Cancel button
// stops the move, which then removes its partial copy and leaves the original whole.
class MoveProgressWindow
{
public:
    MoveProgressWindow(QWidget *parent, const QString &source, const QString &destination,
                       int showAfterMs = 500);
    ~MoveProgressWindow();
    MoveProgressWindow(const MoveProgressWindow &) = delete;
    MoveProgressWindow &operator=(const MoveProgressWindow &) = delete;

    // Shows how far the move is; false once the user has cancelled it.
    bool report(qint64 done, qint64 total);
    platform::MoveProgress callback()
    {
        return [this](qint64 done, qint64 total) {
            return report(done, total);
        };
    }
    // The window, once the move has reported; nullptr before.
    QProgressDialog *dialog() const { return m_dialog.get(); }

private:
    QWidget *m_parent;
    QString m_label;
    int m_showAfterMs;
    std::unique_ptr<QProgressDialog> m_dialog;
};
