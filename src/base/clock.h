#pragma once
// The clock: where every date and time of the program comes from (chart title,
// report, file names, recording rows). The window uses the system clock; tests
// set the time.
#include <QDateTime>

namespace kelvaron {

class Clock {
public:
    virtual ~Clock() = default;
    // The local date and time now.
    virtual QDateTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace kelvaron
