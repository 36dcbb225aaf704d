#include "app/move_progress.h"

#include "platform/exe_identity.h"

#include <QProgressDialog>

namespace {

constexpr int kSteps = 1000;

} // namespace

MoveProgressWindow::MoveProgressWindow(QWidget *parent, const QString &source,
                                       const QString &destination, int showAfterMs)
    : m_parent(parent),
      m_label(QStringLiteral("Déplacement de \"%1\"\nvers \"%2\"").arg(source, destination)),
      m_showAfterMs(showAfterMs)
{}

MoveProgressWindow::~MoveProgressWindow() = default;

bool MoveProgressWindow::report(qint64 done, qint64 total)
{
    if (!m_dialog) {
        // Made at the first report: a move that is one rename never shows it.
        m_dialog = std::make_unique<QProgressDialog>(m_label, QStringLiteral("Annuler"), 0, kSteps,
                                                     m_parent);
        m_dialog->setWindowTitle(platform::programTitle());
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(m_showAfterMs);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
    }
    const int value =
        total > 0 ? int(qBound(qint64(0), done * kSteps / total, qint64(kSteps))) : kSteps;
    // A modal progress window lets events through here, so that Cancel can be pressed.
    m_dialog->setValue(value);
    return !m_dialog->wasCanceled();
}
