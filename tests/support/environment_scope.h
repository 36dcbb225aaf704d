#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets an environment variable (a null value unsets it) for as long as the scope lives,
// then puts back what was there before, unset included.
class EnvironmentScope
{
public:
    EnvironmentScope(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentScope()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentScope(const EnvironmentScope &) = delete;
    EnvironmentScope &operator=(const EnvironmentScope &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};
