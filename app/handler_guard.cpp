#include "app/handler_guard.h"

#include "app/dialogs.h"

void reportHandlerError(Desktop &desktop, const QString &message) noexcept
{
    try {
        showErrorBox(desktop, message);
    } catch (...) {
        // Nothing left to tell the user with; the program goes on with the next event.
    }
}

QString unexpectedErrorText(const char *what)
{
    const QString detail = what ? QString::fromLocal8Bit(what).trimmed() : QString();
    if (detail.isEmpty())
        return QStringLiteral("Erreur inattendue");
    return QStringLiteral("Erreur inattendue : %1").arg(detail);
}

QString outOfMemoryText()
{
    return QStringLiteral("Mémoire insuffisante");
}
