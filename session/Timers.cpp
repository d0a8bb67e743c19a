#include "session/Timers.h"

#include <QTime>

namespace {

// A time of day plus the seconds elapsed since a moment; after 23:59:59 from 00:00:00 again.
int advanced(int start, const QDateTime &since, const QDateTime &now) {
    const qint64 elapsed = since.secsTo(now) % kSecondsPerDay;
    return static_cast<int>(((start + elapsed) % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay);
}

int numberAt(const QString &text, qsizetype from, qsizetype length) {
    if (from < 0)
        return 0;
    // The leading digits of the piece; a piece without any reads as 0.
    int value = 0;
    for (const QChar c : text.mid(from, length)) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}

}  // namespace

QString clockText(int seconds) { return QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss")); }

int secondsOfClockText(const QString &text) {
    return numberAt(text, 0, 2) * 3600 + numberAt(text, 3, 2) * 60 + numberAt(text, text.size() - 2, 2);
}

void ManualTape::tick(const QDateTime &now) {
    if (state_ != TimerState::Running)
        return;
    shown_ = advanced(startValue_, startMoment_, now);
    position_ = shown_;  // a later start goes on from here
}

void ManualTape::setPosition(int seconds) {
    if (!positionLocked())
        position_ = seconds;
}

void ManualTape::start(const QDateTime &now) {
    startMoment_ = now;
    startValue_ = position_;
    state_ = TimerState::Running;
    // Shown at once, so an entry made before the next tick carries the tape position.
    shown_ = startValue_;
}

void ManualTape::pause() { state_ = TimerState::Paused; }

void ManualTape::stop() {
    shown_ = 0;
    state_ = TimerState::Stopped;
}

void ScenarioTimer::start(const QDateTime &now) {
    startMoment_ = now;
    elapsedAtStart_ = shown_;  // 0 from stopped, the paused value on a resume
    state_ = TimerState::Running;
}

void ScenarioTimer::pause() { state_ = TimerState::Paused; }

void ScenarioTimer::stop() {
    shown_ = 0;
    state_ = TimerState::Stopped;
}

void ScenarioTimer::tick(const QDateTime &now) {
    if (state_ == TimerState::Running)
        shown_ = advanced(elapsedAtStart_, startMoment_, now);
}

QString scenarioMarker(const char *kind, const QString &scenario) {
    return QStringLiteral("***%1 SCENARIO TIMER - %2***").arg(QLatin1String(kind), scenario);
}
