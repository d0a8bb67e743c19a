#pragma once
// The VCR timer following a link: it shows the peer's own position, taken at the peer's last
// reading and carried on the monotonic clock between readings, never a stopwatch of its own
// that could drift from the recording. When the peer goes away, the last reading carries on as
// it was: a recording goes on on the PC's clock, a pause holds.

#include "session/Timers.h"
#include "session/tape/TapeLink.h"

#include <functional>

class LinkedTape final : public TapeClock {
    Q_OBJECT

public:
    // `now` gives monotonic milliseconds (the tests give their own).
    explicit LinkedTape(TapeLink &link, std::function<qint64()> now = monotonicMs, QObject *parent = nullptr);

    TimerState state() const override { return link_.reading().state; }
    int shown() const override { return shown_; }
    void tick(const QDateTime &now) override;

    // The tape's position at this moment, in milliseconds.
    qint64 positionMs() const;
    // The tape time an entry made at this moment carries: whole seconds of the day.
    int stamp() const;

private:
    void refresh();

    TapeLink &link_;
    std::function<qint64()> now_;
    int shown_ = 0;
};
