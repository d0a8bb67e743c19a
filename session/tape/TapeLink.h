#pragma once
// A link to the program that holds the recording (OBS Studio) or plays it back (a media player):
// where that program last said the tape was, and how the link stands. Every link talks to its
// peer asynchronously and tries again by itself; a peer that is silent, slow, speaks garbage or
// goes away costs the link its state and nothing else.

#include "session/Timers.h"

#include <QObject>
#include <QString>

// Monotonic milliseconds: readings are taken and extrapolated on this clock, which no change of
// the PC's time of day moves.
qint64 monotonicMs();

// What the peer last said, and when: while running, the tape moves on from `positionMs` at
// `rate` from `takenAt` on.
struct TapeReading {
    TimerState state = TimerState::Stopped;
    qint64 positionMs = 0;
    qint64 takenAt = 0;  // monotonic ms
    double rate = 1.0;

    qint64 at(qint64 now) const;
};

enum class LinkState {
    Connecting,    // not linked yet, trying (detail() says why the last try failed)
    Connected,     // linked, the tape's state not known yet
    NotRecording,  // linked: OBS Studio is not recording, the player has nothing playing
    Running,       // recording, or playing
    Paused,
    Lost,          // the peer went away or stopped answering; trying again
    Refused,       // the peer refused us (a wrong password); trying again
};

class TapeLink : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    LinkState state() const { return state_; }
    const TapeReading &reading() const { return reading_; }
    // Why the link is not linked, in a few words for the observer; empty while linked.
    const QString &detail() const { return detail_; }
    // The program at the other end, as the observer knows it ("OBS Studio", "mpv").
    virtual QString peerName() const = 0;
    // Starts linking; from then on the link keeps itself up.
    virtual void start() = 0;

signals:
    // The state, the detail or the reading changed.
    void changed();

protected:
    void setState(LinkState state, const QString &detail = {});
    void setReading(const TapeReading &reading);

private:
    LinkState state_ = LinkState::Connecting;
    TapeReading reading_;
    QString detail_;
};

// Waits between tries that grow after each failure up to a ceiling, and start short again once
// a try succeeded: a peer that is away is not hammered, one that comes back is found soon.
class Backoff {
public:
    Backoff(int firstMs, int mostMs) : first_(firstMs), most_(mostMs), next_(firstMs) {}
    int next();
    void succeeded() { next_ = first_; }

private:
    int first_, most_, next_;
};
