#pragma once

#include <QByteArray>
#include <QString>

#include <exception>
#include <utility>

namespace palvoric {

// An error meant for the user: its message is the French text the standard error box
// shows. Raised by any layer, caught only by the guard that runs each window handler.
class UserError : public std::exception
{
public:
    explicit UserError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {}

    QString message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace palvoric
