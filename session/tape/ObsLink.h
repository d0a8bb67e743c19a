#pragma once
// The link to OBS Studio's recording over obs-websocket 5 (built into OBS Studio 28 and later).
// The recording's state comes from OBS's RecordStateChanged events, its elapsed time from
// GetRecordStatus, asked on linking, after every event and about once a second.

#include "session/tape/TapeLink.h"

#include <QJsonObject>
#include <QPointer>
#include <QTimer>

class QWebSocket;

struct ObsSettings {
    QString host = QStringLiteral("localhost");
    int port = 4455;
    QString password;  // empty: OBS Studio asks for none
    bool operator==(const ObsSettings &) const = default;
};

class ObsLink final : public TapeLink {
    Q_OBJECT

public:
    explicit ObsLink(const ObsSettings &settings, QObject *parent = nullptr);
    ~ObsLink() override;

    QString peerName() const override { return QStringLiteral("OBS Studio"); }
    void start() override;
    const ObsSettings &settings() const { return settings_; }

    // A peer silent this long (no handshake, no Hello, no answer) is given up and tried again.
    static constexpr int kSilenceMs = 5000;
    static constexpr int kPollMs = 1000;

private:
    void connectNow();
    // Closes the connection; the next try comes after the back-off.
    void giveUp(const QString &why, bool refused = false);
    void socketClosed();
    void received(const QString &text);
    void hello(const QJsonObject &d);
    void identified();
    void response(const QJsonObject &d);
    void recordStateChanged(const QJsonObject &data);
    void askStatus();
    void send(int op, const QJsonObject &d);
    // Where a request's answer was taken: midway between asking and hearing back.
    void takeReading(TimerState state, qint64 positionMs, qint64 takenAt);

    ObsSettings settings_;
    QPointer<QWebSocket> socket_;
    QTimer poll_, silence_, retry_;
    Backoff backoff_{500, 5000};
    bool identified_ = false;
    bool everLinked_ = false;
    int sent_ = 0;            // the last request id given
    int statusAsked_ = -1;    // the GetRecordStatus awaited, -1 for none
    qint64 statusSentAt_ = 0;
    int freshFrom_ = 0;       // answers to requests sent before the last event are stale
    bool stoppedByEvent_ = false;
};
