// The main window: load and exit, pickers, event button bar, comment list reload.

#include "LoggerFixture.h"
#include "Twips.h"
#include "logio.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimeEdit>

class TestMainWindow : public QObject {
    Q_OBJECT

    LoggerFixture f;

    static QStringList items(const QComboBox *box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }

private slots:
    void init() { f.reset(); }
    void cleanup() {
        QVERIFY2(f.prompts.done(), qPrintable(f.prompts.report()));
        f.window.reset();
    }

    void loadWithAnEmptyStore() {
        frmLogger &w = f.load();
        const LoggerControls &c = w.controls();
        QCOMPARE(w.windowTitle(), QString("Quorvane"));
        QVERIFY(!w.isMaximized());
        QCOMPARE(w.outerWidth(), 9000.0);
        QCOMPARE(w.outerHeight(), 6000.0);
        QVERIFY(c.chkVCRTimeReminder->isChecked() && c.chkScenarioTimeReminder->isChecked());
        QCOMPARE(c.cmbScenarios->count(), 0);
        QCOMPARE(c.cmbParticipants->currentText(), QString());
        for (const QPushButton *b : c.cmd)
            QVERIFY(b->isHidden() && !b->isEnabled());
        QCOMPARE(c.lblPCTime->text(), QString("02:15:07 PM"));
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));
        QCOMPARE(c.lblScenarioTime->text(), QString("00:00:00"));
        QVERIFY(c.cmdStartVCR->isEnabled() && !c.cmdPauseVCR->isEnabled() && !c.cmdStopVCR->isEnabled());
        QVERIFY(c.cmdStartScenario->isEnabled() && !c.cmdPauseScenario->isEnabled() &&
                !c.cmdStopScenario->isEnabled());
        QVERIFY(!modVariables.VCRTimerRunning && !modVariables.ScenarioTimerRunning);
        // A file holding only its header row: one line, selected; the focus in the comment box.
        QCOMPARE(f.listLines(), QStringList{"Participant    |    Scenario    |    Scenario Time    |    Comment"});
        QCOMPARE(w.listIndex(), 0);
        QCOMPARE(w.focusWidget(), c.txtComment);
        QVERIFY(c.tmrMainTimer->isActive());
        // Laid out for the window's size: the list fills the space left without a button row.
        QCOMPARE(w.geometryTwips()[layout::lstComment].height, 2355.0f);
        QCOMPARE(c.lstComment->geometry(), twipsToPixels(120, 2280, 8640, 2355));
    }

    void placementAtLoad_data() {
        QTest::addColumn<QString>("maximized");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("expectMaximized");
        QTest::addColumn<double>("expectWidth");
        QTest::addColumn<double>("expectHeight");
        QTest::newRow("True") << "True" << "10500" << "7290" << true << 0.0 << 0.0;
        QTest::newRow("False with sizes") << "False" << "10500" << "7290" << false << 10500.0 << 7290.0;
        QTest::newRow("False without sizes") << "False" << "" << "" << false << 9000.0 << 6000.0;
        QTest::newRow("missing") << "" << "10500" << "7290" << false << 9000.0 << 6000.0;
        QTest::newRow("other text") << "false" << "10500" << "7290" << false << 9000.0 << 6000.0;
        QTest::newRow("sizes not numbers") << "False" << "wide" << "-3" << false << 9000.0 << 6000.0;
    }
    void placementAtLoad() {
        QFETCH(QString, maximized);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(bool, expectMaximized);
        QFETCH(double, expectWidth);
        QFETCH(double, expectHeight);
        if (!maximized.isEmpty())
            f.store->SaveSetting("Settings", "Maximized", maximized);
        if (!width.isEmpty()) {
            f.store->SaveSetting("Settings", "MainWidth", width);
            f.store->SaveSetting("Settings", "MainHeight", height);
        }
        frmLogger &w = f.load();
        QCOMPARE(w.isMaximized(), expectMaximized);
        if (!expectMaximized) {
            QCOMPARE(w.outerWidth(), expectWidth);
            QCOMPARE(w.outerHeight(), expectHeight);
        }
    }

    void remindersAtLoad() {
        f.store->SaveSetting("Reminders", "VCR Reminder", "0");
        f.store->SaveSetting("Reminders", "Scenario Reminder", "2");
        const LoggerControls &c = f.load().controls();
        QVERIFY(!c.chkVCRTimeReminder->isChecked());
        QVERIFY(!c.chkScenarioTimeReminder->isChecked());  // only exactly 1 ticks a box
    }

    void exit_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("maximized");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("normal") << "normal" << "False" << "10500" << "7290";
        QTest::newRow("maximized") << "maximized" << "True" << "11000" << "8000";
        QTest::newRow("minimized") << "minimized" << "previous" << "11000" << "8000";
    }
    void exit() {
        QFETCH(QString, state);
        QFETCH(QString, maximized);
        QFETCH(QString, width);
        QFETCH(QString, height);
        f.store->SaveSetting("Settings", "Maximized", "previous");
        f.store->SaveSetting("Settings", "MainWidth", "11000");
        f.store->SaveSetting("Settings", "MainHeight", "8000");
        frmLogger &w = f.load();
        w.setOuterSize(10500, 7290);
        if (state == "maximized")
            w.showMaximized();
        else if (state == "minimized")
            w.showMinimized();
        QTRY_VERIFY(w.outerWidth() == 10500 || state != "normal");
        w.controls().chkVCRTimeReminder->setChecked(false);
        QSignalSpy ended(&w, &frmLogger::programEnded);

        w.controls().mnuExit->trigger();
        QCOMPARE(ended.count(), 1);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.controls().tmrMainTimer->isActive());
        w.close();  // the window closing afterwards runs nothing again
        QCOMPARE(ended.count(), 1);

        SettingsStore later;
        QCOMPARE(later.GetSetting("Settings", "Maximized"), maximized);
        QCOMPARE(later.GetSetting("Settings", "MainWidth"), width);
        QCOMPARE(later.GetSetting("Settings", "MainHeight"), height);
        QCOMPARE(later.GetSetting("Reminders", "VCR Reminder"), QString("0"));
        QCOMPARE(later.GetSetting("Reminders", "Scenario Reminder"), QString("1"));
    }

    void closeBoxExitsOnce() {
        frmLogger &w = f.load();
        QSignalSpy ended(&w, &frmLogger::programEnded);
        QVERIFY(w.close());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(SettingsStore().GetSetting("Settings", "Maximized"), QString("False"));
        QCOMPARE(SettingsStore().GetSetting("Settings", "MainWidth"), QString("9000"));
    }

    void pickers() {
        f.saveScenarios({"beta", "Alpha", "gamma"});
        f.store->SaveSetting("Participants", "Number Of Participants", "0");
        f.store->SaveSetting("Participants", "Participant 0", "P1");
        frmLogger &w = f.load();
        const LoggerControls &c = w.controls();
        QCOMPARE(items(c.cmbScenarios), (QStringList{"Alpha", "beta", "gamma"}));
        QCOMPARE(c.cmbScenarios->currentText(), QString("Alpha"));
        QCOMPARE(c.cmbScenarios->toolTip(), QString("Alpha"));
        QCOMPARE(modVariables.ScenarioCount, QString("2"));
        QCOMPARE(c.cmbParticipants->currentText(), QString("P1"));
        QCOMPARE(c.cmbParticipants->toolTip(), QString("P1"));

        // Picking from the list moves the tool tip; typing does not.
        c.cmbScenarios->setCurrentIndex(2);
        emit c.cmbScenarios->activated(2);
        QCOMPARE(c.cmbScenarios->toolTip(), QString("gamma"));
        QTest::keyClicks(c.cmbScenarios->lineEdit(), "x");
        QCOMPARE(c.cmbScenarios->currentText(), QString("gammax"));
        QCOMPARE(c.cmbScenarios->toolTip(), QString("gamma"));
        QCOMPARE(c.cmbScenarios->count(), 3);

        // A list saved empty: nothing listed, nothing selected, the count kept as read.
        f.store->SaveSetting("Scenarios", "Number Of Scenarios", "-1");
        w.GetScenarios();
        QCOMPARE(c.cmbScenarios->count(), 0);
        QCOMPARE(c.cmbScenarios->currentText(), QString());
        QCOMPARE(modVariables.ScenarioCount, QString("-1"));
        f.store->DeleteSetting("Participants", "Number Of Participants");
        w.GetParticipants();
        QCOMPARE(c.cmbParticipants->count(), 0);
        QCOMPARE(modVariables.ParticipantCount, QString());
    }

    void buttonBar_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("shown");
        QTest::addColumn<float>("width");
        QTest::newRow("never saved") << QStringList() << false << 0 << 0.0f;
        QTest::newRow("saved empty") << QStringList() << true << 0 << 0.0f;
        QTest::newRow("one") << QStringList{"Help &Used"} << true << 1 << 8640.0f;
        QStringList twelve;
        for (int i = 0; i < 12; ++i)
            twelve << QString("E%1").arg(i);
        QTest::newRow("ten") << twelve.mid(0, 10) << true << 10 << 756.0f;
        QTest::newRow("twelve") << twelve << true << 10 << 610.0f;
    }
    void buttonBar() {
        QFETCH(QStringList, names);
        QFETCH(bool, saved);
        QFETCH(int, shown);
        QFETCH(float, width);
        if (saved)
            f.saveButtons(names);
        frmLogger &w = f.load();
        const LoggerControls &c = w.controls();
        for (int k = 0; k < 10; ++k) {
            const QPushButton *b = c.cmd[std::size_t(k)];
            QCOMPARE(b->isVisible(), k < shown);
            QCOMPARE(b->isEnabled(), k < shown);
            if (k >= shown)
                continue;
            QCOMPARE(b->text(), names[k]);
            const layout::Rect &r = w.geometryTwips()[layout::eventButton(k)];
            QCOMPARE(r.width, width);
            QCOMPARE(r.left, 120 + k * (width + 120));
            QCOMPARE(r.top, 4305.0f);
            QCOMPARE(b->geometry(), twipsToPixels(r.left, r.top, r.width, r.height));
        }
        QCOMPARE(w.geometryTwips()[layout::lstComment].height, shown > 0 ? 1875.0f : 2355.0f);

        // Fewer names saved later: the surplus buttons are hidden and disabled again.
        f.saveButtons({"Only"});
        w.GetButtons();
        QVERIFY(c.cmd[0]->isVisible() && c.cmd[0]->text() == "Only");
        for (int k = 1; k < 10; ++k)
            QVERIFY(!c.cmd[std::size_t(k)]->isVisible() && !c.cmd[std::size_t(k)]->isEnabled());
    }

    void listFollowsTheFile() {
        frmLogger &w = f.load();
        std::string rows;
        for (int i = 0; i < 50; ++i) {
            logformat::Record r;
            r.fill(logformat::Field::txt(""));
            r[logformat::Participant] = logformat::Field::txt("P" + std::to_string(i % 3));
            r[logformat::Scenario] = logformat::Field::txt("S, one");
            r[logformat::ScenarioTime] = logformat::Field::txt("00:00:" + std::to_string(10 + i));
            r[logformat::Comment] = logformat::Field::txt("  comment " + std::to_string(i));
            r[logformat::VCRSeconds] = logformat::Field::num(i);
            rows += logformat::encodeRow(r);
        }
        QVERIFY(!logfile::appendRow(f.logPath().toStdString(), rows, logfile::Sync::No));
        w.GetLogData();
        const QStringList lines = f.listLines();
        QCOMPARE(lines.size(), 51);
        QCOMPARE(lines[0], QString("Participant    |    Scenario    |    Scenario Time    |    Comment"));
        QCOMPARE(lines[50], QString("P1    |    S, one    |    00:00:59    |      comment 49"));

        // The file gone: said in a message, the list left as it was.
        f.prompts.answerMessage(Prompts::OK);
        QVERIFY(QFile::remove(f.logPath()));
        w.GetLogData();
        QCOMPARE(f.prompts.calls.size(), 1);
        QCOMPARE(f.prompts.calls[0].text, QString("This file no longer exists."));
        QCOMPARE(f.prompts.calls[0].title, QString("File Not Found"));
        QCOMPARE(f.prompts.calls[0].buttons, Prompts::Buttons::Ok);
        QCOMPARE(f.prompts.calls[0].icon, Prompts::Icon::None);
        QCOMPARE(f.listLines(), lines);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
