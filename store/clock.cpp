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

} // namespace store
