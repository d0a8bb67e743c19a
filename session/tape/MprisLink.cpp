#include "session/tape/MprisLink.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <cmath>

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// Calls whose answer is handed to `done`; the watcher goes with the answer.
template <typename Done>
void callAsync(const QDBusConnection &bus, const QDBusMessage &message, QObject *context, Done done) {
    auto *watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(message, MprisLink::kCallTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [done](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        done(call->reply());
    });
}

QVariantMap mapOf(const QVariant &value) {
    return value.canConvert<QDBusArgument>() ? qdbus_cast<QVariantMap>(value) : value.toMap();
}

QString trackIdOf(const QVariant &value) {
    const QString id = value.canConvert<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path() : value.toString();
    return id == kNoTrack ? QString() : id;
}

}  // namespace

MprisLink::MprisLink(const QString &busName, const QDBusConnection &bus, QObject *parent)
    : TapeLink(parent), busName_(busName), bus_(bus) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &MprisLink::poll);
}

QString MprisLink::peerName() const { return shortName(busName_); }

QString MprisLink::shortName(const QString &busName) {
    return busName.startsWith(kPrefix) ? busName.mid(kPrefix.size()) : busName;
}

void MprisLink::start() {
    if (!bus_.isConnected()) {
        setState(LinkState::Connecting, QStringLiteral("no session bus"));
        return;
    }
    // The bus tells when the player comes, goes or is replaced; its signals are taken from any
    // sender and kept when they come from the player's owner, so that nothing here waits for the
    // bus to look the owner up.
    watcher_ = new QDBusServiceWatcher(busName_, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                ownerHeard_ = true;
                ownerChanged(newOwner);
            });
    bus_.connect(QString(), kPath, kPlayer, QStringLiteral("Seeked"), this, SLOT(seeked(QDBusMessage)));
    bus_.connect(QString(), kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                 SLOT(propertiesChanged(QDBusMessage)));
    setState(LinkState::Connecting, QStringLiteral("looking for the player"));
    askOwner();
}

void MprisLink::askOwner() {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kBusService, QStringLiteral("/org/freedesktop/DBus"), kBusService,
                                       QStringLiteral("GetNameOwner"));
    message << busName_;
    callAsync(bus_, message, this, [this](const QDBusMessage &reply) {
        if (ownerHeard_)
            return;  // the watcher told of a newer owner meanwhile
        if (reply.type() == QDBusMessage::ReplyMessage)
            ownerChanged(reply.arguments().value(0).toString());
        else
            setState(LinkState::Connecting, QStringLiteral("the player is not running"));
    });
}

void MprisLink::ownerChanged(const QString &newOwner) {
    owner_ = newOwner;
    asking_ = false;  // an answer still due is from the owner before
    if (newOwner.isEmpty()) {
        poll_.stop();
        hold(everLinked_ ? LinkState::Lost : LinkState::Connecting, QStringLiteral("the player has gone"));
        return;
    }
    poll();
    poll_.start();
}

void MprisLink::poll() {
    if (owner_.isEmpty() || asking_)
        return;  // one call at a time: a player that does not answer is not piled up on
    asking_ = true;
    QDBusMessage message = QDBusMessage::createMethodCall(owner_, kPath, kProperties, QStringLiteral("GetAll"));
    message << kPlayer;
    const qint64 sentAt = monotonicMs();
    const QString owner = owner_;
    callAsync(bus_, message, this, [this, sentAt, owner](const QDBusMessage &reply) {
        if (owner != owner_)
            return;
        asking_ = false;
        if (reply.type() != QDBusMessage::ReplyMessage) {
            hold(everLinked_ ? LinkState::Lost : LinkState::Connecting, QStringLiteral("the player does not answer"));
            return;
        }
        const qint64 now = monotonicMs();
        takeProperties(mapOf(reply.arguments().value(0)), sentAt + (now - sentAt) / 2, true);
    });
}

void MprisLink::takeProperties(const QVariantMap &properties, qint64 takenAt, bool positionKnown) {
    if (properties.contains(QStringLiteral("PlaybackStatus")))
        status_ = properties.value(QStringLiteral("PlaybackStatus")).toString();
    if (properties.contains(QStringLiteral("Metadata")))
        trackId_ = trackIdOf(mapOf(properties.value(QStringLiteral("Metadata"))).value(QStringLiteral("mpris:trackid")));
    TapeReading next = reading();
    if (properties.contains(QStringLiteral("Rate"))) {
        const double rate = properties.value(QStringLiteral("Rate")).toDouble();
        next.rate = std::isfinite(rate) && rate > 0 ? rate : 1.0;
    }
    next.positionMs = positionKnown && properties.contains(QStringLiteral("Position"))
                          ? properties.value(QStringLiteral("Position")).toLongLong() / 1000
                          : reading().at(takenAt);
    next.takenAt = takenAt;
    next.state = status_ == QLatin1String("Playing")  ? TimerState::Running
                 : status_ == QLatin1String("Paused") ? TimerState::Paused
                                                      : TimerState::Stopped;
    if (next.state == TimerState::Stopped)
        next.positionMs = 0;
    everLinked_ = true;
    setReading(next);
    setState(next.state == TimerState::Running  ? LinkState::Running
             : next.state == TimerState::Paused ? LinkState::Paused
                                                : LinkState::NotRecording);
}

void MprisLink::hold(LinkState state, const QString &why) {
    // A player that is gone or silent plays nothing we could see: the tape stays where it was.
    TapeReading held = reading();
    if (held.state == TimerState::Running) {
        const qint64 now = monotonicMs();
        held = {TimerState::Paused, held.at(now), now, held.rate};
        setReading(held);
    }
    setState(state, why);
}

bool MprisLink::fromPlayer(const QDBusMessage &message) const {
    return !owner_.isEmpty() && message.service() == owner_;
}

void MprisLink::seeked(const QDBusMessage &message) {
    if (!fromPlayer(message))
        return;
    TapeReading next = reading();
    next.positionMs = message.arguments().value(0).toLongLong() / 1000;
    next.takenAt = monotonicMs();
    setReading(next);
}

void MprisLink::propertiesChanged(const QDBusMessage &message) {
    const QList<QVariant> args = message.arguments();
    if (!fromPlayer(message) || args.value(0).toString() != kPlayer)
        return;
    const QVariantMap changed = mapOf(args.value(1));
    takeProperties(changed, monotonicMs(), changed.contains(QStringLiteral("Position")));
    poll();  // the position exactly, and whatever the player named without its value
}

bool MprisLink::seekTo(qint64 ms) {
    if (owner_.isEmpty() || trackId_.isEmpty())
        return false;
    QDBusMessage message =
        QDBusMessage::createMethodCall(owner_, kPath, kPlayer, QStringLiteral("SetPosition"));
    message << QVariant::fromValue(QDBusObjectPath(trackId_)) << qlonglong(ms * 1000);
    // The player's Seeked signal moves the tape; a player that declines leaves it where it is.
    callAsync(bus_, message, this, [](const QDBusMessage &) {});
    return true;
}

void MprisLink::listPlayers(const QDBusConnection &bus, QObject *context, std::function<void(QStringList)> done) {
    if (!bus.isConnected()) {
        done({});
        return;
    }
    const QDBusMessage message = QDBusMessage::createMethodCall(
        kBusService, QStringLiteral("/org/freedesktop/DBus"), kBusService, QStringLiteral("ListNames"));
    callAsync(bus, message, context, [done](const QDBusMessage &reply) {
        QStringList players;
        for (const QString &name : reply.arguments().value(0).toStringList())
            if (name.startsWith(kPrefix))
                players << name;
        players.sort();
        done(players);
    });
}
