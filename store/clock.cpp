#include "store/clock.h"

namespace store {

namespace {

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

const SystemClock systemClock;
const Clock *currentClock = &systemClock;

} // namespace

const Clock &activeClock()
{
    return *currentClock;
}

void setClock(const Clock *clock)
{
    currentClock = clock ? clock : &systemClock;
}

} // namespace store
