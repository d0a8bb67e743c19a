#include "session/tape/TapeLink.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cmath>

qint64 monotonicMs() { return QDeadlineTimer::current(Qt::PreciseTimer).deadline(); }

qint64 TapeReading::at(qint64 now) const {
    if (state != TimerState::Running)
        return positionMs;
    return positionMs + std::llround(static_cast<double>(now - takenAt) * rate);
}

void TapeLink::setState(LinkState state, const QString &detail) {
    if (state == state_ && detail == detail_)
        return;
    state_ = state;
    detail_ = detail;
    emit changed();
}

void TapeLink::setReading(const TapeReading &reading) {
    reading_ = reading;
    emit changed();
}

int Backoff::next() {
    const int wait = next_;
    next_ = std::min(most_, next_ * 2);
    return wait;
}
