// The tape links against the real programs, each started and ended by its test class: OBS Studio
// itself, headless under an X server of its own, and mpv with its MPRIS plugin on the test's
// private session bus (run under dbus-run-session). One program for both, built once, run once
// for each; a part whose program is not installed says so and is skipped.
//
// OBS Studio: the VCR timer follows its recording through start, pause, resume and stop, and
// through OBS going away and coming back; a wrong password is told, the right one links. Every
// entry's tape time is checked against OBS's own record status, asked by a client apart from the
// program's.
//
// mpv: the VCR timer follows the player's position through play, pause and a seek, Ctrl+G on a
// line moves the player to that line's tape time, and a player that stops answering or vanishes
// costs the observer nothing. mpv is driven and read through its own IPC socket, apart from the
// program's link.

#include "tests/tape/RealPrograms.h"
#include "tests/tape/TapeFixture.h"

#include "ui/CommentList.h"

#include <QJsonArray>
#include <cmath>
#include <cstdio>

class TestTapeObs : public QObject {
    Q_OBJECT

    TapeFixture f;
    RealObs obs;
    int port_ = 0;
    // The program's tape against OBS's elapsed time at one moment, in ms: our error.
    QList<qint64> offsets_;

    void storeLink(const QString &password) {
        f.store->SaveSetting("Tape", "Source", "OBS");
        f.store->SaveSetting("Tape", "OBS Port", QString::number(port_));
        f.store->SaveSetting("Tape", "OBS Password", password);
    }
    double obsSeconds(const QJsonObject &status) const {
        return status.value("responseData").toObject().value("outputDuration").toDouble() / 1000;
    }
    // An entry made now carries OBS's elapsed recording time, whole seconds, within a second of
    // the record status asked just before and just after it.
    QString entryAgainstObs(const QString &comment, int *seconds = nullptr) {
        const QJsonObject before = obs.status();
        const int entry = f.entry(comment);
        const QJsonObject after = obs.status();
        const double mid = (after.value("before").toDouble() + after.value("after").toDouble()) / 2 * 1000;
        offsets_ << f.link()->reading().at(static_cast<qint64>(mid)) -
                        static_cast<qint64>(after.value("responseData").toObject().value("outputDuration").toDouble());
        if (seconds)
            *seconds = entry;
        if (entry > obsSeconds(before) - 1 && entry < obsSeconds(after) + 1)
            return {};
        return QStringLiteral("the entry says %1 s, OBS said %2 s before it and %3 s after")
            .arg(entry)
            .arg(obsSeconds(before))
            .arg(obsSeconds(after));
    }
    bool obsSays(const char *field, bool value) {
        return QTest::qWaitFor(
            [&] { return obs.status().value("responseData").toObject().value(field).toBool() == value; }, 5000);
    }

private slots:
    void initTestCase() {
        const QString missing = RealObs::missing();
        if (!missing.isEmpty())
            QSKIP(qPrintable("OBS Studio cannot run here: " + missing));
        port_ = freePort();
        QVERIFY2(obs.start(port_), qPrintable(obs.log()));
    }
    void init() { f.resetQuiet(); }
    void cleanup() { f.finish(); }
    void cleanupTestCase() { TapeFixture::reportOffsets("OBS's outputDuration", offsets_); }

    void followsTheRecording() {
        f.loadOnPcClock();
        QVERIFY(f.chooseObs(port_, {}));
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Connected, not recording"), 10000);
        QCOMPARE(f.entry("before the recording"), 0);
        QVERIFY(obs.call("StartRecord").value("requestStatus").toObject().value("result").toBool());
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Recording"), 5000);
        QTest::qWait(2500);
        QString wrong = entryAgainstObs("recording");
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QTRY_COMPARE(f.c().lblVCRTime->text(), clockText(f.session->tapeSource().stamp()));

        obs.call("PauseRecord");
        QVERIFY(obsSays("outputPaused", true));
        QTRY_COMPARE(f.linkText(), QString("Paused"));
        // OBS writes the frames still under way, then holds; the program hears the held time
        // at its next question.
        QTest::qWait(1200);
        int paused = 0;
        wrong = entryAgainstObs("paused", &paused);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QTest::qWait(1500);
        QCOMPARE(f.entry("still paused"), paused);

        obs.call("ResumeRecord");
        QVERIFY(obsSays("outputPaused", false));
        QTRY_COMPARE(f.linkText(), QString("Recording"));
        QTest::qWait(1500);
        int resumed = 0;
        wrong = entryAgainstObs("resumed", &resumed);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QVERIFY(resumed > paused);

        obs.call("StopRecord");
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Connected, not recording"), 5000);
        QCOMPARE(f.entry("stopped"), 0);
        QTRY_COMPARE(f.c().lblVCRTime->text(), QString("00:00:00"));
        QCOMPARE(f.c().cmdStartVCR->isEnabled(), false);
    }

    void lostAndBack() {
        storeLink({});
        f.loadOnPcClock();  // as at the next start of the program: the link is chosen already
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Connected, not recording"), 10000);
        obs.call("StartRecord");
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Recording"), 5000);
        QTest::qWait(1500);
        int before = 0;
        const QString wrong = entryAgainstObs("before OBS goes", &before);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));

        obs.kill();
        QTRY_COMPARE(f.linkText(), QString("Lost: going on by PC clock"));
        const int ticks = f.ticks;
        QTest::qWait(2200);
        QVERIFY(f.entry("while OBS is away") >= before + 2);  // the tape goes on by the PC's clock
        QVERIFY(f.ticks > ticks);  // and so does the window

        QVERIFY2(obs.start(port_), qPrintable(obs.log()));
        // Back by itself; OBS starts with no recording.
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Connected, not recording"), 20000);
        QCOMPARE(f.entry("OBS is back"), 0);
    }

    void withAPassword() {
        QVERIFY2(obs.start(port_, QStringLiteral("tape secret")), qPrintable(obs.log()));
        storeLink(QStringLiteral("wrong"));
        f.loadOnPcClock();
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Wrong password"), 10000);
        QVERIFY(f.chooseObs(port_, QStringLiteral("tape secret")));
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Connected, not recording"), 10000);
        QCOMPARE(f.store->GetSetting("Tape", "OBS Password"), QString("tape secret"));
    }
};

class TestTapePlayer : public QObject {
    Q_OBJECT

    TapeFixture f;
    RealMpv mpv;
    QList<qint64> offsets_;  // the program's tape against mpv's position at one moment, ms

    // An entry made now carries mpv's position, whole seconds, within a second of where mpv says
    // it was just before and just after.
    QString entryAgainstMpv(const QString &comment, int *seconds) {
        const double before = mpv.position();
        const int entry = f.entry(comment);
        const qint64 asked = monotonicMs();
        const double after = mpv.position();
        offsets_ << f.link()->reading().at((asked + monotonicMs()) / 2) - std::llround(after * 1000);
        *seconds = entry;
        if (entry > before - 1 && entry < after + 1)
            return {};
        return QStringLiteral("the entry says %1 s, mpv was at %2 s before it and %3 s after")
            .arg(entry)
            .arg(before)
            .arg(after);
    }

private slots:
    void initTestCase() {
        const QString missing = RealMpv::missing();
        if (!missing.isEmpty())
            QSKIP(qPrintable("mpv cannot run here: " + missing));
        QVERIFY(mpv.makeVideo());
        QVERIFY(mpv.start());
    }
    void init() { f.resetQuiet(); }
    void cleanup() { f.finish(); }
    void cleanupTestCase() { TapeFixture::reportOffsets("mpv's position", offsets_); }

    void followsThePlayer() {
        frmLogger &w = f.loadOnPcClock();
        QVERIFY(f.choosePlayer(Qt::Key_M, "mpv"));
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Paused"), 5000);
        QCOMPARE(f.c().frameVCR->title(), QString("VCR Timer - mpv"));
        QCOMPARE(f.store->GetSetting("Tape", "Player"), QString("org.mpris.MediaPlayer2.mpv"));
        QCOMPARE(f.entry("at the start"), 0);

        mpv.set("pause", false);
        QTRY_COMPARE(f.linkText(), QString("Playing"));
        QTest::qWait(2500);
        int played = 0;
        QString wrong = entryAgainstMpv("playing", &played);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QVERIFY(played >= 2);

        mpv.set("pause", true);
        QTRY_COMPARE(f.linkText(), QString("Paused"));
        int paused = 0;
        wrong = entryAgainstMpv("paused", &paused);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));

        mpv.command({"seek", 120, "absolute"});
        QTRY_COMPARE(f.c().lblVCRTime->text(), QString("00:02:00"));
        QCOMPARE(f.entry("after a seek"), 120);

        // Review: the line "playing" by the arrow keys, then Ctrl+G shows its moment.
        f.c().lstComment->setFocus();
        QTest::keyClick(f.c().lstComment, Qt::Key_Up);
        QTest::keyClick(f.c().lstComment, Qt::Key_Up);
        QCOMPARE(w.listIndex(), 2);
        QTest::keyClick(f.c().lstComment, Qt::Key_G, Qt::ControlModifier);
        QTRY_VERIFY(std::abs(mpv.position() - played) < 0.15);
        QTRY_COMPARE(f.c().lblVCRTime->text(), clockText(played));
        QCOMPARE(w.focusWidget(), f.c().lstComment);  // one key a moment: the list keeps the keys
    }

    void aPlayerThatStopsAnswering() {
        f.store->SaveSetting("Tape", "Source", "Player");
        f.store->SaveSetting("Tape", "Player", "org.mpris.MediaPlayer2.mpv");
        f.loadOnPcClock();
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Paused"), 5000);
        mpv.signal(SIGSTOP);
        QTRY_VERIFY_WITH_TIMEOUT(f.c().lblTapeLink->toolTip().contains("does not answer"), 10000);
        QCOMPARE(f.linkText(), QString("Lost: holding"));
        QVERIFY(f.entryWrittenAtOnce("while the player is silent"));
        const int ticks = f.ticks;
        QTest::qWait(1500);
        QVERIFY(f.ticks > ticks);
        mpv.signal(SIGCONT);
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Paused"), 10000);
    }

    void aPlayerThatVanishes() {
        f.store->SaveSetting("Tape", "Source", "Player");
        f.store->SaveSetting("Tape", "Player", "org.mpris.MediaPlayer2.mpv");
        f.loadOnPcClock();
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Paused"), 5000);
        const int at = f.entry("before the player goes");
        mpv.kill();
        QTRY_VERIFY(f.c().lblTapeLink->toolTip().contains("has gone"));
        QCOMPARE(f.linkText(), QString("Lost: holding"));
        QVERIFY(f.entryWrittenAtOnce("while the player is gone"));
        QCOMPARE(f.lastTapeSeconds(), at);
        const int ticks = f.ticks;
        QTest::qWait(1200);
        QVERIFY(f.ticks > ticks);
        QVERIFY(mpv.start());
        QTRY_COMPARE_WITH_TIMEOUT(f.linkText(), QString("Paused"), 10000);  // back by itself
        QCOMPARE(f.entry("the player is back"), 0);
    }
};

// "obs" or "player" first, then QtTest's own arguments: each part in a process of its own.
int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QByteArray part = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    argv[1] = argv[0];
    if (part == "obs") {
        TestTapeObs obs;
        return QTest::qExec(&obs, argc - 1, argv + 1);
    }
    if (part == "player") {
        TestTapePlayer player;
        return QTest::qExec(&player, argc - 1, argv + 1);
    }
    std::fprintf(stderr, "usage: tst_tape_real obs|player [QtTest arguments]\n");
    return 2;
}

#include "tst_tape_real.moc"
