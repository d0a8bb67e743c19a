// The main window: load and exit, pickers, event button bar, comment list reload.

#include "LoggerFixture.h"
#include "Twips.h"
#include "logio.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

class TestMainWindow : public QObject {
    Q_OBJECT

    LoggerFixture f;

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void loadWithAnEmptyStore() {
        frmLogger &w = f.load();
        const LoggerControls &c = w.controls();
        QCOMPARE(w.windowTitle(), QString("Quorvane"));
        QVERIFY(!w.isMaximized() && w.outerWidth() == 9000 && w.outerHeight() == 6000);
        QVERIFY(c.chkVCRTimeReminder->isChecked() && c.chkScenarioTimeReminder->isChecked());
        QVERIFY(c.cmbScenarios->count() == 0 && c.cmbParticipants->currentText().isEmpty());
        for (const QPushButton *b : c.cmd)
            QVERIFY(b->isHidden() && !b->isEnabled());
        QCOMPARE(c.lblPCTime->text(), QString("02:15:07 PM"));
        QVERIFY(c.lblVCRTime->text() == "00:00:00" && c.lblScenarioTime->text() == "00:00:00");
        QVERIFY(c.cmdStartVCR->isEnabled() && !c.cmdPauseVCR->isEnabled() && !c.cmdStopScenario->isEnabled());
        // A file holding only its header row: one line, selected; the focus in the comment box.
        QCOMPARE(f.listLines(), QStringList{"Participant    |    Scenario    |    Scenario Time    |    Comment"});
        QCOMPARE(w.listIndex(), 0);
        QCOMPARE(w.focusWidget(), c.txtComment);
        // Laid out for its size: the list fills the space left without a button row.
        QCOMPARE(c.lstComment->geometry(), twipsToPixels(120, 2280, 8640, 2355));
    }

    void placementAndRemindersAtLoad_data() {
        QTest::addColumn<QString>("maximized");
        QTest::addColumn<QString>("width");
        QTest::addColumn<bool>("expectMaximized");
        QTest::addColumn<double>("expectWidth");
        QTest::addColumn<double>("expectHeight");
        QTest::newRow("True") << "True" << "10500" << true << 0.0 << 0.0;
        QTest::newRow("False with sizes") << "False" << "10500" << false << 10500.0 << 7290.0;
        QTest::newRow("False without sizes") << "False" << "" << false << 9000.0 << 6000.0;
        QTest::newRow("missing") << "" << "10500" << false << 9000.0 << 6000.0;
        QTest::newRow("other text") << "false" << "10500" << false << 9000.0 << 6000.0;
        QTest::newRow("width not a number") << "False" << "wide" << false << 9000.0 << 7290.0;
    }
    void placementAndRemindersAtLoad() {
        QFETCH(QString, maximized);
        QFETCH(QString, width);
        QFETCH(bool, expectMaximized);
        QFETCH(double, expectWidth);
        QFETCH(double, expectHeight);
        if (!maximized.isEmpty())
            f.store->SaveSetting("Settings", "Maximized", maximized);
        if (!width.isEmpty()) {
            f.store->SaveSetting("Settings", "MainWidth", width);
            f.store->SaveSetting("Settings", "MainHeight", "7290");
        }
        f.store->SaveSetting("Reminders", "VCR Reminder", "0");
        f.store->SaveSetting("Reminders", "Scenario Reminder", "2");  // only exactly 1 ticks a box
        frmLogger &w = f.load();
        QCOMPARE(w.isMaximized(), expectMaximized);
        if (!expectMaximized) {
            QCOMPARE(w.outerWidth(), expectWidth);
            QCOMPARE(w.outerHeight(), expectHeight);
        }
        QVERIFY(!w.controls().chkVCRTimeReminder->isChecked() && !w.controls().chkScenarioTimeReminder->isChecked());
    }

    void exit_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("saved");  // Maximized, MainWidth, MainHeight
        QTest::newRow("normal") << "normal" << QStringList{"False", "10500", "7290"};
        QTest::newRow("maximized") << "maximized" << QStringList{"True", "11000", "8000"};
        QTest::newRow("minimized") << "minimized" << QStringList{"previous", "11000", "8000"};
        QTest::newRow("close box") << "closed" << QStringList{"False", "10500", "7290"};
    }
    void exit() {
        QFETCH(QString, state);
        QFETCH(QStringList, saved);
        f.store->SaveSetting("Settings", "Maximized", "previous");
        f.store->SaveSetting("Settings", "MainWidth", "11000");
        f.store->SaveSetting("Settings", "MainHeight", "8000");
        frmLogger &w = f.load();
        w.setOuterSize(10500, 7290);
        if (state == "maximized")
            w.showMaximized();
        else if (state == "minimized")
            w.showMinimized();
        QTRY_VERIFY(w.outerWidth() == 10500 || state == "maximized" || state == "minimized");
        w.controls().chkVCRTimeReminder->setChecked(false);
        QSignalSpy ended(&w, &frmLogger::programEnded);
        if (state == "closed")
            w.close();
        else
            w.controls().mnuExit->trigger();
        w.close();  // closing afterwards runs nothing again
        QCOMPARE(ended.count(), 1);
        QVERIFY(!w.isVisible() && !w.controls().tmrMainTimer->isActive());
        SettingsStore later;
        QCOMPARE((QStringList{later.GetSetting("Settings", "Maximized"), later.GetSetting("Settings", "MainWidth"),
                              later.GetSetting("Settings", "MainHeight")}),
                 saved);
        QCOMPARE(later.GetSetting("Reminders", "VCR Reminder"), QString("0"));
        QCOMPARE(later.GetSetting("Reminders", "Scenario Reminder"), QString("1"));
    }

    void pickers() {
        f.saveScenarios({"beta", "Alpha", "gamma"});
        f.saveList("Participants", "Number Of Participants", "Participant", {"P1"});
        frmLogger &w = f.load();
        QComboBox *scenarios = w.controls().cmbScenarios;
        QCOMPARE(scenarios->itemText(0) + scenarios->itemText(1) + scenarios->itemText(2), QString("Alphabetagamma"));
        QVERIFY(scenarios->currentText() == "Alpha" && scenarios->toolTip() == "Alpha");
        QCOMPARE(f.window->modVariables.ScenarioCount, QString("2"));
        QVERIFY(w.controls().cmbParticipants->currentText() == "P1" && w.controls().cmbParticipants->toolTip() == "P1");
        // Picking from the list moves the tool tip; typing does not.
        scenarios->setCurrentIndex(2);
        emit scenarios->activated(2);
        QTest::keyClicks(scenarios->lineEdit(), "x");
        QVERIFY(scenarios->currentText() == "gammax" && scenarios->toolTip() == "gamma" && scenarios->count() == 3);
        // Saved empty: nothing listed or selected, the count kept exactly as read.
        f.store->SaveSetting("Scenarios", "Number Of Scenarios", "-1");
        w.GetScenarios();
        QVERIFY(scenarios->count() == 0 && scenarios->currentText().isEmpty());
        QCOMPARE(f.window->modVariables.ScenarioCount, QString("-1"));
    }

    void buttonBar_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<float>("width");
        QStringList twelve;
        for (int i = 0; i < 12; ++i)
            twelve << QString("E%1").arg(i);
        QTest::newRow("never saved") << QStringList() << false << 0.0f;
        QTest::newRow("saved empty") << QStringList() << true << 0.0f;
        QTest::newRow("one") << QStringList{"Help &Used"} << true << 8640.0f;
        QTest::newRow("ten") << twelve.mid(0, 10) << true << 756.0f;
        QTest::newRow("twelve") << twelve << true << 610.0f;
    }
    void buttonBar() {
        QFETCH(QStringList, names);
        QFETCH(bool, saved);
        QFETCH(float, width);
        if (saved)
            f.saveButtons(names);
        frmLogger &w = f.load();
        const int shown = std::min(10, int(names.size()));
        for (int k = 0; k < 10; ++k) {
            const QPushButton *b = w.controls().cmd[std::size_t(k)];
            QCOMPARE(b->isVisible() && b->isEnabled(), k < shown);
            if (k >= shown)
                continue;
            QCOMPARE(b->text(), names[k]);
            const layout::Rect &r = w.geometryTwips()[layout::eventButton(k)];
            QVERIFY(r.width == width && r.left == 120 + k * (width + 120) && r.top == 4305);
            QCOMPARE(b->geometry(), twipsToPixels(r.left, r.top, r.width, r.height));
        }
        // Fewer names saved later: the surplus buttons are hidden and disabled again.
        f.saveButtons({"Only"});
        w.GetButtons();
        QVERIFY(w.controls().cmd[0]->isVisible() && !w.controls().cmd[1]->isVisible() && !w.controls().cmd[9]->isEnabled());
    }

    void listFollowsTheFile() {
        frmLogger &w = f.load();
        std::string rows;
        for (int i = 0; i < 50; ++i) {
            logformat::Record r;
            r.fill(logformat::Field::txt("S, one"));
            r[logformat::ScenarioTime] = logformat::Field::txt("00:00:" + std::to_string(10 + i));
            r[logformat::Comment] = logformat::Field::txt("  comment " + std::to_string(i));
            rows += logformat::encodeRow(r);
        }
        QVERIFY(logfile::appendRow(f.logPath().toStdString(), rows, logfile::Sync::No).result ==
                logfile::AppendOutcome::Result::Done);
        w.GetLogData();
        const QStringList lines = f.listLines();
        QCOMPARE(lines.size(), 51);
        QCOMPARE(lines[50], QString("S, one    |    S, one    |    00:00:59    |      comment 49"));
        // The file gone: said, the list left as it was.
        f.prompts.answerMessage(Prompts::OK);
        QVERIFY(QFile::remove(f.logPath()));
        w.GetLogData();
        const ScriptedPrompts::Call told = f.prompts.calls.at(0);
        QVERIFY(told.text == "This file no longer exists." && told.title == "File Not Found" &&
                told.buttons == Prompts::Buttons::Ok && told.icon == Prompts::Icon::None);
        QCOMPARE(f.listLines(), lines);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
