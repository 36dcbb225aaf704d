#pragma once

#include <QDateTime>

// Where the activity logs take the current local date and time from, so that a test can
// set them.
namespace store {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The clock in use: the system's, unless a test has set another.
const Clock &activeClock();
// Sets the clock in use; nullptr gives the system's back. The caller keeps ownership.
void setClock(const Clock *clock);

} // namespace store
