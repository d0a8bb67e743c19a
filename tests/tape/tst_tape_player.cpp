// mpv itself, with its MPRIS plugin on the test's private session bus: the VCR timer follows the
// player's position through play, pause and a seek, Ctrl+G on a line moves the player to that
// line's tape time, and a player that stops answering or vanishes costs the observer nothing.
// mpv is driven and read through its own IPC socket, apart from the program's link.

#include "tests/tape/RealPrograms.h"
#include "tests/tape/TapeFixture.h"

#include "ui/CommentList.h"

#include <QJsonArray>
#include <cmath>

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

QTEST_MAIN(TestTapePlayer)
#include "tst_tape_player.moc"
