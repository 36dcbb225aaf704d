#include "store/clock.h"

namespace store {

namespace {

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

const SystemClock kSystemClock;
const Clock *currentClock = &kSystemClock;

} // namespace

const Clock &activeClock()
{
    return *currentClock;
}

void setClock(const Clock *clock)
{
    currentClock = clock ? clock : &kSystemClock;
}

QDateTime FixedClock::now() const
{
    if (m_times.isEmpty())
        return QDateTime();
    const QDateTime time = m_times[qMin(m_next, m_times.size() - 1)];
    ++m_next;
    return time;
}

} // namespace store
