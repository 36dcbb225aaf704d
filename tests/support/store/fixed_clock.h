#pragma once

#include "store/clock.h"

#include <QDateTime>
#include <QList>

namespace store {

// A clock that gives the times it was set to, one per call, the last one again and again.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QList<QDateTime> times) : m_times(std::move(times)) {}
    QDateTime now() const override;

private:
    QList<QDateTime> m_times;
    mutable qsizetype m_next = 0;
};

} // namespace store
