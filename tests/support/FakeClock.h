#pragma once
// A clock the test sets by hand.

#include "Clock.h"

class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 5), QTime(14, 15, 7))) : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    void set(const QDateTime &t) { now_ = t; }
    void advance(int seconds) { now_ = now_.addSecs(seconds); }

private:
    QDateTime now_;
};
