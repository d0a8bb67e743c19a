#pragma once
// The PC clock as the program reads it: local date and time to the whole second. Tests replace
// it with a clock they set by hand instead of waiting.

#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};
