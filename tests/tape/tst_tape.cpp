// The tape source without the real programs: the linked tape's arithmetic, the choice kept in the
// settings store, the VCR frame with a link chosen and Manual again, and peers that are silent or
// speak garbage, which must cost the observer nothing.

#include "lists/SettingsStore.h"
#include "session/tape/LinkedTape.h"
#include "tests/tape/TapeFixture.h"

#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

class FakeLink final : public TapeLink {
public:
    QString peerName() const override { return QStringLiteral("fake"); }
    void start() override {}
    void say(LinkState state, const TapeReading &reading) {
        setReading(reading);
        setState(state);
    }
};

}  // namespace

class TestTape : public QObject {
    Q_OBJECT

    TapeFixture f;

    frmLogger &loadLinkedTo(int port) {
        f.store->SaveSetting("Tape", "Source", "OBS");
        f.store->SaveSetting("Tape", "OBS Port", QString::number(port));
        return f.loadOnPcClock();
    }

private slots:
    void init() { f.resetQuiet(); }
    void cleanup() { f.finish(); }

    void theTapeFollowsTheReadings_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("takenAt");
        QTest::addColumn<double>("rate");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("stamp");
        const int running = int(TimerState::Running), paused = int(TimerState::Paused);
        QTest::newRow("running, carried on") << running << qint64(5000) << qint64(10000) << 1.0 << qint64(12500) << 7;
        QTest::newRow("running at twice the speed") << running << qint64(1000) << qint64(0) << 2.0 << qint64(1000) << 3;
        QTest::newRow("paused holds") << paused << qint64(61900) << qint64(0) << 1.0 << qint64(99000) << 61;
        QTest::newRow("stopped shows nothing") << int(TimerState::Stopped) << qint64(61900) << qint64(0) << 1.0
                                               << qint64(9000) << 0;
        QTest::newRow("after a day from midnight again")
            << running << qint64(86399500) << qint64(0) << 1.0 << qint64(1000) << 0;
        QTest::newRow("never before the start") << running << qint64(-3000) << qint64(0) << 1.0 << qint64(1000) << 0;
    }
    void theTapeFollowsTheReadings() {
        QFETCH(int, state);
        QFETCH(qint64, position);
        QFETCH(qint64, takenAt);
        QFETCH(double, rate);
        QFETCH(qint64, now);
        QFETCH(int, stamp);
        FakeLink link;
        qint64 clock = takenAt;
        LinkedTape tape(link, [&] { return clock; });
        link.say(LinkState::Running, {TimerState(state), position, takenAt, rate});
        clock = now;
        QCOMPARE(tape.stamp(), stamp);
        tape.tick({});
        QCOMPARE(tape.shown(), stamp);
    }

    void aLostRecordingGoesOnAndAPauseHolds() {
        FakeLink link;
        qint64 clock = 0;
        LinkedTape tape(link, [&] { return clock; });
        link.say(LinkState::Running, {TimerState::Running, 10000, 0, 1.0});
        clock = 4000;
        link.say(LinkState::Lost, link.reading());  // the reading stays as the peer last said
        clock = 9000;
        QCOMPARE(tape.stamp(), 19);
        QCOMPARE(tape.state(), TimerState::Running);
        int changes = 0;
        connect(&tape, &TapeClock::changed, this, [&] { ++changes; });
        link.say(LinkState::Paused, {TimerState::Paused, 19400, clock, 1.0});
        QVERIFY(changes > 0);  // the window hears of it at once, not at the next tick
        QCOMPARE(tape.shown(), 19);
        clock = 60000;
        QCOMPARE(tape.stamp(), 19);
    }

    void theChoiceIsKeptInItsOwnSection() {
        ManualTape manual;
        {
            TapeSource source(*f.store, manual);
            source.restore();
            QCOMPARE(source.linked(), false);
            manual.setPosition(3723);
            manual.start(f.clock.now());
            QCOMPARE(source.stamp(), 3723);  // Manual: what the stopwatch shows
            source.useObs({QStringLiteral("127.0.0.1"), freePort(), QStringLiteral("a secret")});
            QCOMPARE(source.linked(), true);
        }
        {
            TapeSource again(*f.store, manual);
            again.restore();
            QCOMPARE(again.kind(), TapeSource::Kind::Obs);
            QCOMPARE(again.obs().host, QString("127.0.0.1"));
            QCOMPARE(again.obs().password, QString("a secret"));
            again.usePlayer(QStringLiteral("org.mpris.MediaPlayer2.vlc"));
        }
        {
            TapeSource again(*f.store, manual);
            again.restore();
            QCOMPARE(again.kind(), TapeSource::Kind::Player);
            QCOMPARE(again.player(), QString("org.mpris.MediaPlayer2.vlc"));
            QCOMPARE(again.obs().password, QString("a secret"));  // kept for the next time OBS is chosen
            again.useManual();
        }
        TapeSource last(*f.store, manual);
        last.restore();
        QCOMPARE(last.linked(), false);
        QSettings file(f.store->fileName(), QSettings::IniFormat);
        QCOMPARE(file.childGroups(), (QStringList{"Reminders", "Tape"}));  // written there alone
    }

    void theFrameWhileLinkedAndManualAgain() {
        f.store->SaveSetting("Reminders", "VCR Reminder", "1");
        frmLogger &w = f.loadAsStored();
        const QRect picker = f.c().dtpVCRTime->geometry();
        const int port = freePort();
        QVERIFY(f.chooseObs(port, {}));
        QCOMPARE(f.store->GetSetting("Tape", "OBS Port"), QString::number(port));
        QCOMPARE(f.c().frameVCR->title(), QString("VCR Timer - OBS Studio"));
        QCOMPARE(f.c().dtpVCRTime->isVisible(), false);
        QCOMPARE(f.c().lblTapeLink->isVisible(), true);
        QCOMPARE(f.c().lblTapeLink->geometry().right(), picker.right());  // in the picker's row, not past it
        QCOMPARE(f.c().lblTapeLink->geometry().top(), picker.top());
        QTRY_COMPARE(f.linkText(), QString("Not connected"));
        QVERIFY(f.c().lblTapeLink->toolTip().startsWith("OBS Studio at localhost:"));
        QCOMPARE(f.store->GetSetting("Tape", "Source"), QString("OBS"));
        // The observer's buttons rest, by key too; starting a scenario asks nothing of the VCR timer.
        QTest::keyClick(f.c().txtComment, Qt::Key_F2);
        QCOMPARE(f.c().cmdStartVCR->isEnabled(), false);
        QCOMPARE(f.session->tape().state(), TimerState::Stopped);
        QTest::keyClick(f.c().txtComment, Qt::Key_F5);
        QCOMPARE(f.session->scenario().running(), true);
        // The picker's row follows the frame when the window grows.
        w.setOuterSize(12000, 7000);
        QTRY_COMPARE(f.c().lblTapeLink->geometry().right(), f.c().dtpVCRTime->geometry().right());
        // Go to the Moment wants a player.
        f.prompts.answerMessage("Choose the player", Prompts::OK);
        QTest::keyClick(f.c().txtComment, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(f.menu(Qt::Key_M));
        QCOMPARE(f.c().frameVCR->title(), QString("VCR Timer"));
        QCOMPARE(f.c().dtpVCRTime->isVisible(), true);
        QCOMPARE(f.c().lblTapeLink->isVisible(), false);
        QCOMPARE(f.store->GetSetting("Tape", "Source"), QString("Manual"));
        QTest::keyClick(f.c().txtComment, Qt::Key_F2);
        QCOMPARE(f.session->tape().state(), TimerState::Running);
    }

    void aSilentPeerCostsNothing() {
        QTcpServer silent;  // accepts, and never says a word
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&silent, &QTcpServer::newConnection, this, [&] {
            while (silent.hasPendingConnections()) {
                silent.nextPendingConnection()->setParent(&silent);
                ++connections;
            }
        });
        loadLinkedTo(silent.serverPort());
        QVERIFY(f.entryWrittenAtOnce("while the peer says nothing"));
        QTRY_VERIFY_WITH_TIMEOUT(f.c().lblTapeLink->toolTip().contains("does not answer"), 20000);
        QCOMPARE(f.linkText(), QString("Not connected"));
        QVERIFY(f.ticks >= 3);  // the PC clock went on being shown the whole time
        QVERIFY(f.entryWrittenAtOnce("and still"));
        QTRY_VERIFY_WITH_TIMEOUT(connections >= 2, 20000);  // it tries again by itself
    }

    void aPeerSpeakingGarbage_data() {
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no JSON") << "{\"op\": 0, \"d\": " << "Not connected";
        QTest::newRow("bytes") << "<binary>" << "Not connected";
        QTest::newRow("a Hello, then a status of nothing") << "<hello>" << "Lost: holding";
    }
    void aPeerSpeakingGarbage() {
        QFETCH(QString, says);
        QFETCH(QString, shown);
        QWebSocketServer server(QStringLiteral("garbage"), QWebSocketServer::NonSecureMode);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&server, &QWebSocketServer::newConnection, this, [&] {
            QWebSocket *peer = server.nextPendingConnection();
            peer->setParent(&server);
            ++connections;
            if (says == "<binary>") {
                peer->sendBinaryMessage(QByteArray(64, '\xff'));
            } else if (says == "<hello>") {
                peer->sendTextMessage(R"({"op":0,"d":{"obsWebSocketVersion":"5.1.0","rpcVersion":1}})");
                connect(peer, &QWebSocket::textMessageReceived, peer, [peer](const QString &text) {
                    if (text.contains("\"op\":1"))
                        peer->sendTextMessage(R"({"op":2,"d":{"negotiatedRpcVersion":1}})");
                    else
                        peer->sendTextMessage(R"({"op":7,"d":{"requestType":"GetRecordStatus","requestId":"1",)"
                                              R"("requestStatus":{"result":true,"code":100},"responseData":{}}})");
                });
            } else {
                peer->sendTextMessage(says);
            }
        });
        loadLinkedTo(server.serverPort());
        QTRY_VERIFY_WITH_TIMEOUT(f.c().lblTapeLink->toolTip().contains("does not speak obs-websocket 5"), 15000);
        QCOMPARE(f.linkText(), shown);
        QVERIFY(f.entryWrittenAtOnce("whatever the peer says"));
        QTRY_VERIFY_WITH_TIMEOUT(connections >= 2, 20000);
    }
};

QTEST_MAIN(TestTape)
#include "tst_tape.moc"
