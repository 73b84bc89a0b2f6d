#pragma once
// The wall clock, injected so tests can choose the time (midnight, late ticks).

#include <QDateTime>

namespace tarnby {

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace tarnby
