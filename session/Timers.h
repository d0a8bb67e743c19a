#pragma once
// The session's clocks as state machines, apart from any widget: the tape clock (the VCR timer)
// and the scenario timer, each stopped, running or paused. What they show is worked out from the
// PC clock at each tick, never counted in ticks, so a late tick causes no drift; what an entry
// carries is what they show.

#include <QDateTime>
#include <QObject>
#include <QString>

enum class TimerState { Stopped, Running, Paused };

inline constexpr int kSecondsPerDay = 24 * 60 * 60;

// "HH:mm:ss" of a time of day in seconds.
QString clockText(int seconds);
// Seconds of a clock text "HH:mm:ss", read by position: the first two characters are the hours,
// the fourth and fifth the minutes, the last two the seconds, whatever the separators are.
int secondsOfClockText(const QString &text);

// The tape position an entry is stamped with. Behind this interface so that something other than
// the observer's stopwatch can drive it.
class TapeClock : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual TimerState state() const = 0;
    // The tape position shown, in seconds of the day; 0 while stopped.
    virtual int shown() const = 0;
    // Works out what is shown at `now`.
    virtual void tick(const QDateTime &now) = 0;

signals:
    // The state or what is shown changed other than by a call of the window's.
    void changed();
};

// The VCR timer as the observer runs it: started at a tape position set by hand, it counts the
// PC clock's seconds from there; paused, it holds; stopped, it shows 0 and the position stays where
// it got to, for the next start.
class ManualTape final : public TapeClock {
    Q_OBJECT

public:
    using TapeClock::TapeClock;

    TimerState state() const override { return state_; }
    int shown() const override { return shown_; }
    void tick(const QDateTime &now) override;

    // The tape position the next start begins at (the time picker's value).
    int position() const { return position_; }
    // The observer sets it only while the timer is stopped.
    bool positionLocked() const { return state_ != TimerState::Stopped; }
    void setPosition(int seconds);

    void start(const QDateTime &now);
    void pause();
    void stop();

private:
    TimerState state_ = TimerState::Stopped;
    QDateTime startMoment_;
    int startValue_ = 0;
    int position_ = 0;
    int shown_ = 0;
};

// The time spent in the current scenario. A start from stopped counts from 0, a start from paused
// (a resume) from the time shown.
class ScenarioTimer {
public:
    TimerState state() const { return state_; }
    bool running() const { return state_ == TimerState::Running; }
    int shown() const { return shown_; }
    // The marker the next start writes: "START" when stopped, "RESUME" when paused.
    const char *startMarker() const { return state_ == TimerState::Paused ? "RESUME" : "START"; }

    void start(const QDateTime &now);
    void pause();
    void stop();
    void tick(const QDateTime &now);

private:
    TimerState state_ = TimerState::Stopped;
    QDateTime startMoment_;
    int elapsedAtStart_ = 0;
    int shown_ = 0;
};

// The entry a scenario timer's start, resume, pause or stop writes.
QString scenarioMarker(const char *kind, const QString &scenario);
