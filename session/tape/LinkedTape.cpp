#include "session/tape/LinkedTape.h"

#include <algorithm>

LinkedTape::LinkedTape(TapeLink &link, std::function<qint64()> now, QObject *parent)
    : TapeClock(parent), link_(link), now_(std::move(now)) {
    connect(&link_, &TapeLink::changed, this, [this] {
        refresh();
        emit changed();
    });
    refresh();
}

void LinkedTape::tick(const QDateTime &) { refresh(); }

qint64 LinkedTape::positionMs() const { return std::max<qint64>(0, link_.reading().at(now_())); }

int LinkedTape::stamp() const {
    // Stopped shows 00:00:00, as the observer's timer does.
    if (state() == TimerState::Stopped)
        return 0;
    return static_cast<int>(positionMs() / 1000 % kSecondsPerDay);
}

void LinkedTape::refresh() { shown_ = stamp(); }
