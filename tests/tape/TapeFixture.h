#pragma once
// The main window with a tape source chosen as the observer chooses it: the VCR Timer menu by its
// keys, OBS Studio's dialog filled in with keys, a player picked from the menu by its letter.

#include "session/tape/TapeSource.h"
#include "tests/support/LoggerFixture.h"
#include "windows/frmObsLink.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTimeEdit>

// A port no one listens on now.
inline int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

class TapeFixture : public LoggerFixture {
public:
    // The main timer's ticks since loadOnPcClock(): the window is alive while they come.
    int ticks = 0;

    // Afresh, with the reminders off: these tests are about the tape, not the reminders.
    void resetQuiet() {
        reset();
        store->SaveSetting("Reminders", "VCR Reminder", "0");
        store->SaveSetting("Reminders", "Scenario Reminder", "0");
    }
    // As the program runs: on the PC's clock, the main timer ticking.
    frmLogger &loadOnPcClock() {
        frmLogger &w = loadAsStored(true);
        ticks = 0;
        QObject::connect(c().tmrMainTimer, &QTimer::timeout, c().tmrMainTimer, [this] { ++ticks; });
        return w;
    }
    // An entry goes to disk at once, whatever the peer does.
    bool entryWrittenAtOnce(const QString &comment) {
        const std::size_t before = rows().size();
        enter(comment);
        return rows().size() == before + 1 && comments().constLast() == comment;
    }
    // How far the program's tape was from the peer's own time, over a test program's samples.
    static void reportOffsets(const char *against, QList<qint64> offsets) {
        if (offsets.isEmpty())
            return;
        std::sort(offsets.begin(), offsets.end());
        qInfo("tape against %s: %lld samples, min %lld ms, median %lld ms, max %lld ms", against,
              static_cast<long long>(offsets.size()), offsets.first(), offsets.at(offsets.size() / 2), offsets.last());
    }

    // The link's state as the frame shows it.
    QString linkText() const { return c().lblTapeLink->text(); }
    const TapeLink *link() const { return session->tapeSource().link(); }
    // The tape time of the last row written, in seconds.
    int lastTapeSeconds() const {
        const std::vector<logformat::Record> all = rows();
        return all.empty() ? -1 : static_cast<int>(all.back()[logformat::VCRSeconds].number);
    }
    // Types a comment and returns the tape time its row carries.
    int entry(const QString &comment) {
        enter(comment);
        return lastTapeSeconds();
    }

    // Alt+V, then the item's letter, as the observer does.
    bool menu(Qt::Key item) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
        if (!QTest::qWaitFor([&] { return c().mnuVCRTimer->isVisible(); }, 5000))
            return false;
        QTest::keyClick(c().mnuVCRTimer, item);
        return true;
    }
    // OBS Studio at localhost, `port`, with `password`, typed into its dialog.
    bool chooseObs(int port, const QString &password) {
        bool typed = false;
        QTimer::singleShot(0, [&] {
            auto *d = activeDialog<frmObsLink>();
            if (d == nullptr)
                return;
            QTest::keyClick(d->txtHost, Qt::Key_Tab);  // the port
            QTest::keyClick(d->focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d->focusWidget(), QString::number(port));
            QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(d->focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d->focusWidget(), password);
            if (password.isEmpty())
                QTest::keyClick(d->focusWidget(), Qt::Key_Delete);
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
            typed = true;
        });
        // Active again once the dialog is gone, as a window manager makes it.
        return menu(Qt::Key_O) && QTest::qWaitFor([&] { return typed; }, 5000) && showActive(window.get());
    }
    // The player whose name begins with `letter`, once the menu lists it.
    bool choosePlayer(Qt::Key letter, const QString &name) {
        if (!menu(Qt::Key_P))
            return false;
        QMenu *players = c().mnuTapePlayer;
        if (!QTest::qWaitFor(
                [&] {
                    for (QAction *a : players->actions())
                        if (a->text().remove(u'&') == name && a->isEnabled())
                            return players->isVisible();
                    return false;
                },
                5000))
            return false;
        QTest::keyClick(players, letter);
        return true;
    }
};
