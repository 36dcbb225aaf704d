#include "tests/support/store/fixed_clock.h"

namespace store {

QDateTime FixedClock::now() const
{
    if (m_times.isEmpty())
        return QDateTime();
    const QDateTime time = m_times[qMin(m_next, m_times.size() - 1)];
    ++m_next;
    return time;
}

} // namespace store
