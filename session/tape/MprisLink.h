#pragma once
// The link to a media player over MPRIS on the session bus (VLC, mpv with mpv-mpris, Celluloid,
// Totem, web browsers). Players do not announce their position as it moves, so it is asked about
// once a second and carried on between answers from the playback status and rate; a seek and a
// change of status are announced and taken at once. Every call is asynchronous.

#include "session/tape/TapeLink.h"

#include <QDBusConnection>
#include <QStringList>
#include <QTimer>
#include <functional>

class QDBusMessage;
class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

class MprisLink final : public TapeLink {
    Q_OBJECT

public:
    // Follows the player that owns `busName` ("org.mpris.MediaPlayer2.vlc") on `bus`.
    explicit MprisLink(const QString &busName, const QDBusConnection &bus = QDBusConnection::sessionBus(),
                       QObject *parent = nullptr);

    QString peerName() const override;
    void start() override;
    const QString &busName() const { return busName_; }

    // Asks the player to play from `ms` of its current track; false when it has told of no track
    // to seek in (or is not there).
    bool seekTo(qint64 ms);

    // The players on `bus` now, handed to `done` (in `context`'s thread) when the bus answers.
    static void listPlayers(const QDBusConnection &bus, QObject *context, std::function<void(QStringList)> done);
    // "vlc" of "org.mpris.MediaPlayer2.vlc".
    static QString shortName(const QString &busName);

    static constexpr int kPollMs = 1000;
    // A call the player has not answered by then is given up; the link says so.
    static constexpr int kCallTimeoutMs = 2000;

private slots:
    void seeked(const QDBusMessage &message);
    void propertiesChanged(const QDBusMessage &message);

private:
    void askOwner();
    void ownerChanged(const QString &newOwner);
    void poll();
    void polled(QDBusPendingCallWatcher *call, qint64 sentAt);
    void takeProperties(const QVariantMap &properties, qint64 takenAt, bool positionKnown);
    // The player is gone or silent: the tape holds where it was last seen.
    void hold(LinkState state, const QString &why);
    bool fromPlayer(const QDBusMessage &message) const;

    QString busName_;
    QDBusConnection bus_;
    QDBusServiceWatcher *watcher_ = nullptr;
    QString owner_;  // the player's unique name while it is on the bus
    bool ownerHeard_ = false;
    QString trackId_;
    QString status_;
    QTimer poll_;
    bool asking_ = false;
    bool everLinked_ = false;
};
