#include "session/tape/ObsLink.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QWebSocket>
#include <QWebSocketHandshakeOptions>

namespace {

enum Op { Hello = 0, Identify = 1, Identified = 2, Event = 5, Request = 6, RequestResponse = 7 };
constexpr int kOutputEvents = 1 << 6;  // RecordStateChanged is an output event
constexpr int kAuthenticationFailed = 4009;
// OBS's messages are a few hundred bytes; a peer sending more is no OBS worth buffering for.
constexpr quint64 kLargestMessage = 1 << 20;

QString authentication(const QString &password, const QString &salt, const QString &challenge) {
    const QByteArray secret = QCryptographicHash::hash((password + salt).toUtf8(), QCryptographicHash::Sha256).toBase64();
    return QString::fromLatin1(
        QCryptographicHash::hash(secret + challenge.toUtf8(), QCryptographicHash::Sha256).toBase64());
}

const QString kNotObs = QStringLiteral("the peer does not speak obs-websocket 5");

}  // namespace

ObsLink::ObsLink(const ObsSettings &settings, QObject *parent) : TapeLink(parent), settings_(settings) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &ObsLink::askStatus);
    silence_.setSingleShot(true);
    silence_.setInterval(kSilenceMs);
    connect(&silence_, &QTimer::timeout, this, [this] { giveUp(QStringLiteral("OBS Studio does not answer")); });
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &ObsLink::connectNow);
}

ObsLink::~ObsLink() {
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
}

void ObsLink::start() { connectNow(); }

void ObsLink::connectNow() {
    identified_ = false;
    statusAsked_ = -1;
    auto *socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    socket_ = socket;
    socket->setMaxAllowedIncomingMessageSize(kLargestMessage);
    socket->setMaxAllowedIncomingFrameSize(kLargestMessage);
    connect(socket, &QWebSocket::textMessageReceived, this, &ObsLink::received);
    connect(socket, &QWebSocket::binaryMessageReceived, this, [this] { giveUp(kNotObs); });
    connect(socket, &QWebSocket::disconnected, this, &ObsLink::socketClosed);
    connect(socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this, &ObsLink::socketClosed);
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(settings_.host);
    url.setPort(settings_.port);
    QWebSocketHandshakeOptions options;
    options.setSubprotocols({QStringLiteral("obswebsocket.json")});
    silence_.start();  // a peer that accepts and never answers is given up too
    socket->open(url, options);
}

void ObsLink::giveUp(const QString &why, bool refused) {
    poll_.stop();
    silence_.stop();
    if (socket_) {
        // Its last signals are of no interest any more; it goes once they are delivered.
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
        socket_.clear();
    }
    identified_ = false;
    statusAsked_ = -1;
    // The reading stays as it was: a recording goes on, by the PC's clock, until OBS says again.
    if (refused)
        setState(LinkState::Refused, why);
    else
        setState(everLinked_ ? LinkState::Lost : LinkState::Connecting, why);
    retry_.start(backoff_.next());
}

void ObsLink::socketClosed() {
    if (!socket_)
        return;
    if (socket_->closeCode() == kAuthenticationFailed) {
        giveUp(QStringLiteral("wrong password"), true);
        return;
    }
    QString why = socket_->errorString();
    if (identified_ || why.isEmpty() || socket_->error() == QAbstractSocket::RemoteHostClosedError)
        why = QStringLiteral("OBS Studio closed the connection");
    giveUp(why);
}

void ObsLink::send(int op, const QJsonObject &d) {
    if (socket_)
        socket_->sendTextMessage(
            QString::fromUtf8(QJsonDocument(QJsonObject{{"op", op}, {"d", d}}).toJson(QJsonDocument::Compact)));
}

void ObsLink::received(const QString &text) {
    silence_.start();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    const QJsonObject message = doc.object();
    if (error.error != QJsonParseError::NoError || !message.value("op").isDouble() || !message.value("d").isObject()) {
        giveUp(kNotObs);
        return;
    }
    const QJsonObject d = message.value("d").toObject();
    switch (message.value("op").toInt()) {
    case Hello:
        hello(d);
        break;
    case Identified:
        identified();
        break;
    case Event:
        if (identified_ && d.value("eventType").toString() == QLatin1String("RecordStateChanged"))
            recordStateChanged(d.value("eventData").toObject());
        break;
    case RequestResponse:
        if (identified_)
            response(d);
        break;
    default:
        break;  // a later protocol's message of no concern to the tape
    }
}

void ObsLink::hello(const QJsonObject &d) {
    QJsonObject identify{{"rpcVersion", 1}, {"eventSubscriptions", kOutputEvents}};
    if (d.contains("authentication")) {
        const QJsonObject challenge = d.value("authentication").toObject();
        identify.insert("authentication", authentication(settings_.password, challenge.value("salt").toString(),
                                                         challenge.value("challenge").toString()));
    }
    send(Identify, identify);
}

void ObsLink::identified() {
    identified_ = true;
    everLinked_ = true;
    backoff_.succeeded();
    setState(LinkState::Connected);
    freshFrom_ = sent_ + 1;
    askStatus();
    poll_.start();
}

void ObsLink::askStatus() {
    if (!identified_ || statusAsked_ >= 0)
        return;  // one at a time: a peer that stopped answering is found by the silence
    statusAsked_ = ++sent_;
    statusSentAt_ = monotonicMs();
    send(Request, {{"requestType", "GetRecordStatus"}, {"requestId", QString::number(statusAsked_)}});
}

void ObsLink::response(const QJsonObject &d) {
    const int id = d.value("requestId").toString().toInt();
    if (id == statusAsked_)
        statusAsked_ = -1;
    if (id < freshFrom_ || d.value("requestType").toString() != QLatin1String("GetRecordStatus"))
        return;
    const QJsonObject status = d.value("responseData").toObject();
    const QJsonValue active = status.value("outputActive"), paused = status.value("outputPaused"),
                     duration = status.value("outputDuration");
    if (!d.value("requestStatus").toObject().value("result").toBool() || !active.isBool() || !paused.isBool() ||
        !duration.isDouble()) {
        giveUp(kNotObs);
        return;
    }
    // Just after a stop OBS may still call the output active once; the event said otherwise.
    if (stoppedByEvent_ && active.toBool())
        return;
    const qint64 now = monotonicMs();
    const qint64 takenAt = statusSentAt_ + (now - statusSentAt_) / 2;
    if (paused.toBool())
        takeReading(TimerState::Paused, static_cast<qint64>(duration.toDouble()), takenAt);
    else if (active.toBool())
        takeReading(TimerState::Running, static_cast<qint64>(duration.toDouble()), takenAt);
    else
        takeReading(TimerState::Stopped, 0, takenAt);
}

void ObsLink::recordStateChanged(const QJsonObject &data) {
    const QString state = data.value("outputState").toString();
    const qint64 now = monotonicMs();
    if (state == QLatin1String("OBS_WEBSOCKET_OUTPUT_STARTED")) {
        stoppedByEvent_ = false;
        takeReading(TimerState::Running, 0, now);
    } else if (state == QLatin1String("OBS_WEBSOCKET_OUTPUT_PAUSED")) {
        takeReading(TimerState::Paused, reading().at(now), now);
    } else if (state == QLatin1String("OBS_WEBSOCKET_OUTPUT_RESUMED")) {
        takeReading(TimerState::Running, reading().positionMs, now);
    } else if (state == QLatin1String("OBS_WEBSOCKET_OUTPUT_STOPPING") ||
               state == QLatin1String("OBS_WEBSOCKET_OUTPUT_STOPPED")) {
        stoppedByEvent_ = true;
        takeReading(TimerState::Stopped, 0, now);
    } else {
        return;
    }
    // OBS's own figure at once; an answer already on its way is from before the change.
    freshFrom_ = sent_ + 1;
    statusAsked_ = -1;
    askStatus();
}

void ObsLink::takeReading(TimerState state, qint64 positionMs, qint64 takenAt) {
    setReading({state, positionMs, takenAt, 1.0});
    setState(state == TimerState::Running  ? LinkState::Running
             : state == TimerState::Paused ? LinkState::Paused
                                           : LinkState::NotRecording);
}
