// Event logging: log entries, clocks and timers, reminders, comments, event buttons, the editor.

#include "LogEntry.h"
#include "LoggerFixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>

using logformat::Field;

namespace {
const QString kScenarioReminder =
    QStringLiteral("The Scenario Timer has not been started. Do you want to start the Scenario Timer?");
const QString kVCRReminder = QStringLiteral("The VCR Timer has not been started. Do you want to start the VCR Timer?");
const QString kStart = QStringLiteral("***START SCENARIO TIMER - Checkout***");
}  // namespace

class TestEntries : public QObject {
    Q_OBJECT

    LoggerFixture f;

    // With the scenario "Checkout" picked.
    frmLogger &window(bool vcrReminder = false, bool scenarioReminder = false) {
        f.saveScenarios({"Checkout", "Search"});
        return f.loadQuiet(vcrReminder, scenarioReminder);
    }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void clockTextsInSeconds() {
        QCOMPARE(secondsOfClockText("01:02:03"), 3723);
        QCOMPARE(secondsOfClockText("23:59:59"), 86399);
        QCOMPARE(secondsOfClockText("01.02.03"), 3723);  // separators are skipped by position
    }

    void aCommentRow() {
        frmLogger &w = window();
        f.clock.set(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59)));
        w.tmrMainTimer_Timer();
        f.clock.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 0)));  // the date is read fresh, the time as shown
        w.controls().cmbParticipants->setEditText("Ann \"Mac\"");
        f.enter(" Said \"no\", twice");
        const logformat::Record r = f.rows().at(0);
        QVERIFY(r[logformat::Date] == Field::txt("12/06/2026") && r[logformat::PCTime] == Field::txt("11:59:59 PM"));
        QVERIFY(r[logformat::VCRTime] == Field::txt("00:00:00") && r[logformat::VCRSeconds] == Field::num(0));
        QVERIFY(r[logformat::ScenarioSeconds] == Field::num(0));
        QVERIFY(r[logformat::Participant] == Field::txt("Ann 'Mac'") && r[logformat::Scenario] == Field::txt("Checkout"));
        QVERIFY(r[logformat::Comment] == Field::txt(" Said 'no', twice"));
        QVERIFY(r[logformat::FirstEventColumn + 9] == Field::txt(""));
        // The list shows what a reload shows, the new line selected, the box emptied.
        const QString added = f.listLines().last();
        QCOMPARE(added, QString("Ann 'Mac'    |    Checkout    |    00:00:00    |     Said 'no', twice"));
        QCOMPARE(w.listIndex(), 1);
        QCOMPARE(w.controls().txtComment->text(), QString());
        w.GetLogData();
        QCOMPARE(f.listLines().last(), added);
        // Blanks alone are a comment; an empty box is not.
        f.enter("   ");
        f.enter("");
        QCOMPARE(f.comments(), (QStringList{" Said 'no', twice", "   "}));
    }

    void vcrTimer() {
        frmLogger &w = window();
        const LoggerControls &c = w.controls();
        c.dtpVCRTime->setTime(QTime(23, 59, 58));
        w.cmdStartVCR_Click();
        QVERIFY(isTimePickerLocked(c.dtpVCRTime));
        QVERIFY(!c.cmdStartVCR->isEnabled() && c.cmdPauseVCR->isEnabled() && c.cmdStopVCR->isEnabled());
        QCOMPARE(c.lblVCRTime->text(), QString("23:59:58"));  // at once
        f.tick(1);
        QCOMPARE(c.lblVCRTime->text(), QString("23:59:59"));
        f.tick(1);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));
        f.tick(2);  // a late tick skips a second and does not drift
        f.tick(1);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:03"));
        QCOMPARE(c.dtpVCRTime->time(), QTime(0, 0, 3));

        w.cmdPauseVCR_Click();
        QVERIFY(c.cmdStartVCR->isEnabled() && !c.cmdPauseVCR->isEnabled() && c.cmdStopVCR->isEnabled());
        QVERIFY(isTimePickerLocked(c.dtpVCRTime));
        f.tick(30);
        w.cmdStartVCR_Click();  // continues from the picker
        f.tick(4);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:07"));
        w.cmdStopVCR_Click();
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));
        QVERIFY(!isTimePickerLocked(c.dtpVCRTime) && !c.cmdStopVCR->isEnabled());
        c.dtpVCRTime->setTime(QTime(1, 2, 2));
        w.cmdStartVCR_Click();
        f.tick(1);
        f.enter("at the tape mark");  // the VCR timer itself writes nothing
        QCOMPARE(f.rows().size(), std::size_t(1));
        QVERIFY(f.rows()[0][logformat::VCRTime] == Field::txt("01:02:03"));
        QVERIFY(f.rows()[0][logformat::VCRSeconds] == Field::num(3723));
    }

    void scenarioTimerMarkers() {
        frmLogger &w = window();
        const LoggerControls &c = w.controls();
        w.cmdStartScenario_Click();
        f.tick(65);
        w.cmdPauseScenario_Click();
        QVERIFY(c.cmdStartScenario->isEnabled() && !c.cmdPauseScenario->isEnabled() && c.cmdStopScenario->isEnabled());
        f.tick(100);
        QCOMPARE(c.lblScenarioTime->text(), QString("00:01:05"));
        w.cmdStartScenario_Click();
        f.tick(5);
        c.cmbScenarios->setEditText("Search");  // the timer runs on; markers name what is picked
        w.cmdStopScenario_Click();
        QCOMPARE(c.lblScenarioTime->text(), QString("00:00:00"));
        QVERIFY(c.cmdStartScenario->isEnabled() && !c.cmdStopScenario->isEnabled());
        QCOMPARE(f.comments(), (QStringList{kStart, "***PAUSE SCENARIO TIMER - Checkout***",
                                            "***RESUME SCENARIO TIMER - Checkout***", "***STOP SCENARIO TIMER - Search***"}));
        const char *times[] = {"00:00:00", "00:01:05", "00:01:05", "00:01:10"};
        const int seconds[] = {0, 65, 65, 70};
        for (std::size_t i = 0; i < 4; ++i)
            QVERIFY(f.rows()[i][logformat::ScenarioTime] == Field::txt(times[i]) &&
                    f.rows()[i][logformat::ScenarioSeconds] == Field::num(seconds[i]));
        QCOMPARE(w.listIndex(), 4);
        QCOMPARE(w.focusWidget(), c.txtComment);
    }

    void scenarioReminder() {
        frmLogger &w = window(false, true);
        // Any key but F1 asks, and No abandons the entry; Enter on an empty box asks too.
        f.prompts.answerMessage(Prompts::No);
        QTest::keyClick(w.controls().txtComment, Qt::Key_A);
        QTest::keyClick(w.controls().txtComment, Qt::Key_F1);
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY(asked.text == kScenarioReminder && asked.title == "Start Scenario Timer?");
        QVERIFY(asked.buttons == Prompts::Buttons::YesNo && asked.defaultButton == Prompts::Yes &&
                asked.icon == Prompts::Icon::None);
        w.controls().txtComment->clear();
        f.prompts.answerMessage(Prompts::No);
        w.cmdEnter_Click();
        QCOMPARE(f.prompts.calls.size(), 2);
        QVERIFY(f.rows().empty());
        // Yes: the START entry first, then the comment. Enter away from a button means cmdEnter.
        w.controls().txtComment->setText("first");
        f.prompts.answerMessage(Prompts::Yes);
        QTest::keyClick(w.controls().lstComment, Qt::Key_Return);
        QCOMPARE(f.comments(), (QStringList{kStart, "first"}));
    }

    void reminderAnswersTogether_data() {
        QTest::addColumn<int>("scenarioAnswer");
        QTest::addColumn<int>("vcrAnswer");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("yes, then no") << int(Prompts::Yes) << int(Prompts::No) << QStringList();
        QTest::newRow("yes, yes") << int(Prompts::Yes) << int(Prompts::Yes) << QStringList{kStart, "Error"};
        QTest::newRow("no") << int(Prompts::No) << 0 << QStringList();
    }
    void reminderAnswersTogether() {
        QFETCH(int, scenarioAnswer);
        QFETCH(int, vcrAnswer);
        QFETCH(QStringList, logged);
        f.saveButtons({"Error"});
        frmLogger &w = window(true, true);
        w.controls().txtComment->setText("typed");
        f.prompts.answerMessage(scenarioAnswer);
        if (vcrAnswer != 0)
            f.prompts.answerMessage(vcrAnswer);
        w.controls().cmd[0]->click();
        QCOMPARE(f.comments(), logged);
        QCOMPARE(f.window->modVariables.VCRTimerRunning, !logged.isEmpty());
        QCOMPARE(f.window->modVariables.ScenarioTimerRunning, !logged.isEmpty());
        QCOMPARE(w.controls().txtComment->text(), QString("typed"));
        if (vcrAnswer != 0)
            QCOMPARE(f.prompts.calls[1].text, kVCRReminder);
    }

    void vcrReminderWhilePaused() {
        frmLogger &w = window(true, false);
        f.prompts.answerMessage(Prompts::Yes);
        w.cmdStartScenario_Click();
        w.cmdPauseScenario_Click();
        w.cmdPauseVCR_Click();
        // Paused counts as not running; No leaves the scenario timer paused and writes nothing.
        f.prompts.answerMessage(Prompts::No);
        w.cmdStartScenario_Click();
        QVERIFY(w.controls().cmdStartScenario->isEnabled() && w.controls().cmdStopScenario->isEnabled());
        QCOMPARE(f.comments().size(), 2);
    }

    void stopWithAPendingComment_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("logged");
        const QString pause = "***PAUSE SCENARIO TIMER - Checkout***", stop = "***STOP SCENARIO TIMER - Checkout***";
        QTest::newRow("no") << int(Prompts::No) << QStringList{kStart, pause, stop};
        QTest::newRow("yes") << int(Prompts::Yes)
                             << QStringList{kStart, pause, "***RESUME SCENARIO TIMER - Checkout***", "pending", stop};
    }
    void stopWithAPendingComment() {
        QFETCH(int, answer);
        QFETCH(QStringList, logged);
        frmLogger &w = window(false, true);
        w.cmdStartScenario_Click();
        w.cmdPauseScenario_Click();
        w.controls().txtComment->setText("pending");
        f.prompts.answerMessage(answer);
        w.cmdStopScenario_Click();
        QCOMPARE(f.comments(), logged);
        QCOMPARE(w.controls().txtComment->text(), answer == Prompts::No ? QString("pending") : QString());
    }

    void eventButtons() {
        f.saveButtons({"Error", "Say \"hi\" &&now", "Help &Used"});
        frmLogger &w = window();
        w.controls().txtComment->setText("half typed");
        w.controls().cmd[1]->click();
        w.controls().cmd[2]->click();
        const auto r = f.rows();
        for (std::size_t k = 0; k < 10; ++k) {
            QVERIFY(r[0][logformat::FirstEventColumn + k] == Field::txt(k == 1 ? "Say 'hi' now" : ""));
            QVERIFY(r[1][logformat::FirstEventColumn + k] == Field::txt(k == 2 ? "Help Used" : ""));
        }
        QCOMPARE(f.comments(), (QStringList{"Say 'hi' now", "Help Used"}));
        QCOMPARE(w.controls().txtComment->text(), QString("half typed"));
        QCOMPARE(w.listIndex(), 2);
        // Enter with the focus on a button presses that button.
        QTest::keyClick(w.controls().cmdStartVCR, Qt::Key_Return);
        QVERIFY(f.window->modVariables.VCRTimerRunning);
    }

    void aLogThatIsGone() {
        frmLogger &w = window();
        f.enter("kept");
        const QStringList before = f.listLines();
        QVERIFY(QFile::remove(f.logPath()));  // deleted or renamed behind the program
        f.prompts.answerMessage(Prompts::No);
        f.enter("an important remark");
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY2(asked.text.contains(f.logPath()) && asked.text.contains("is gone") &&
                     asked.buttons == Prompts::Buttons::YesNo, qPrintable(asked.text));
        QVERIFY(!QFile::exists(f.logPath()) && f.listLines() == before);
        QCOMPARE(w.controls().txtComment->text(), QString("an important remark"));
        // Yes: made again with its header, and the entry goes in.
        f.prompts.answerMessage(Prompts::Yes);
        w.cmdEnter_Click();
        QVERIFY(f.logBytes().startsWith("\"Date\",\"PC Time\""));
        QCOMPARE(f.comments(), QStringList{"an important remark"});
        QCOMPARE(f.listLines().size(), 2);
        // A folder that is gone too: told, and the list stays in step.
        QDir gone(f.path("gone"));
        QVERIFY(gone.mkpath("."));
        w.modVariables.LogFilePath = gone.filePath("log.csv");
        QVERIFY(gone.removeRecursively());
        f.prompts.answerMessage(Prompts::Yes);
        f.prompts.answerMessage(Prompts::OK);
        w.cmdStartScenario_Click();
        QVERIFY(f.prompts.messageTexts().last().contains("No such file or directory"));
        QCOMPARE(f.listLines().size(), 2);
    }

    void editingAComment() {
        frmLogger &w = window();
        for (const char *text : {"one", "two, with a comma", "three"})
            f.enter(text);
        const QByteArray before = f.logBytes();
        const auto rowsBefore = f.rows();
        // Cancel and the same text leave the file byte for byte.
        for (const QString &answer : {QString(), QString("two, with a comma")}) {
            w.selectLine(2);
            f.prompts.answerInput(answer);
            w.lstComment_DblClick();
        }
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY(asked.text == "Edit this comment." && asked.title == "Quorvane" && asked.proposed == "two, with a comma");
        QCOMPARE(f.logBytes(), before);

        w.selectLine(2);
        f.prompts.answerInput("two \"edited\"");
        w.lstComment_DblClick();
        auto expected = rowsBefore;
        expected[1][logformat::Comment] = Field::txt("two 'edited'");
        QVERIFY(f.rows() == expected);
        QCOMPARE(w.listIndex(), 2);
        QVERIFY(f.listLines()[2].endsWith("|    two 'edited'"));
        QVERIFY(!QFile::exists(f.logPath() + ".bak"));
        // The header line edits the Comment title.
        w.selectLine(0);
        f.prompts.answerInput("Remark");
        w.lstComment_DblClick();
        QVERIFY(f.listLines()[0].endsWith("|    Remark"));
    }

    void editingWhenTheFileChangedOrCannotBeWritten() {
        frmLogger &w = window();
        f.enter("one");
        f.enter("two");
        // Another program removes the first row: line 2 no longer shows record 2.
        QByteArray bytes = f.logBytes();
        const qsizetype firstRow = bytes.indexOf("\r\n") + 2;
        bytes.remove(firstRow, bytes.indexOf("\r\n", firstRow) + 2 - firstRow);
        QVERIFY(writeBytes(f.logPath(), bytes));
        w.selectLine(2);
        f.prompts.answerMessage(Prompts::OK);
        w.lstComment_DblClick();
        QVERIFY(f.prompts.calls.at(0).text.contains("has changed"));
        QCOMPARE(f.logBytes(), bytes);
        QCOMPARE(f.listLines().size(), 2);  // reloaded
    }
};

QTEST_MAIN(TestEntries)
#include "tst_entries.moc"
