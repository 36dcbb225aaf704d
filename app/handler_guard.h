#pragma once

#include "app/desktop.h"
#include "errors/user_error.h"

#include <exception>
#include <new>
#include <utility>

// Shows an error that ended a handler in the standard error box. Never throws: a failure
// while showing the box is dropped so that the event loop goes on.
void reportHandlerError(Desktop &desktop, const QString &message) noexcept;
// The French text shown for an error that is not one of the program's own.
QString unexpectedErrorText(const char *what);
QString outOfMemoryText();

// Runs one event handler. An error that leaves it ends it at the failing step (what was
// done before stays done) and is shown in the standard error box; nothing reaches Qt's
// event loop. Returns true when the handler ran to its end.
template<class Handler> bool runGuarded(Desktop &desktop, Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const palvoric::UserError &error) {
        reportHandlerError(desktop, error.message());
    } catch (const std::bad_alloc &) {
        reportHandlerError(desktop, outOfMemoryText());
    } catch (const std::exception &error) {
        reportHandlerError(desktop, unexpectedErrorText(error.what()));
    } catch (...) {
        reportHandlerError(desktop, unexpectedErrorText(nullptr));
    }
    return false;
}
