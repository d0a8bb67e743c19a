// Event logging: log entries, clocks and timers, reminders, comments, event buttons, the editor.

#include "LogEntry.h"
#include "LoggerFixture.h"
#include "logio.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QPushButton>
#include <QTimeEdit>

using logformat::Field;

namespace {

const QString kScenarioReminder =
    QStringLiteral("The Scenario Timer has not been started. Do you want to start the Scenario Timer?");
const QString kVCRReminder = QStringLiteral("The VCR Timer has not been started. Do you want to start the VCR Timer?");

}  // namespace

class TestEntries : public QObject {
    Q_OBJECT

    LoggerFixture f;

    // The rows after the header, as read back from the file.
    std::vector<logformat::Record> rows() const {
        std::vector<logformat::Record> out;
        const std::string bytes = f.logBytes().toStdString();
        std::size_t pos = 0;
        logformat::RecordView view;
        while (logformat::parseRecord(bytes, pos, true, view) == logformat::ParseStatus::Parsed) {
            logformat::Record r;
            for (std::size_t i = 0; i < logformat::kFieldCount; ++i)
                r[i] = logformat::toField(view[i]);
            out.push_back(r);
        }
        if (!out.empty())
            out.erase(out.begin());
        return out;
    }
    QStringList comments() const {
        QStringList out;
        for (const auto &r : rows())
            out << QString::fromStdString(r[logformat::Comment].text);
        return out;
    }

    // A window with both reminders off unless asked for, and the scenario "Checkout" picked.
    frmLogger &window(bool vcrReminder = false, bool scenarioReminder = false) {
        f.store->SaveSetting("Reminders", "VCR Reminder", vcrReminder ? "1" : "0");
        f.store->SaveSetting("Reminders", "Scenario Reminder", scenarioReminder ? "1" : "0");
        f.saveScenarios({"Checkout", "Search"});
        f.saveParticipants({"P3"});
        frmLogger &w = f.load();
        w.controls().tmrMainTimer->stop();  // ticks come from the test
        return w;
    }

    void type(frmLogger &w, const QString &text) { w.controls().txtComment->setText(text); }
    void tick(frmLogger &w, int seconds) {
        f.clock.advance(seconds);
        w.tmrMainTimer_Timer();
    }

private slots:
    void init() { f.reset(); }
    void cleanup() {
        QVERIFY2(f.prompts.done(), qPrintable(f.prompts.report()));
        f.window.reset();
    }

    void clockTextsInSeconds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");
        QTest::newRow("01:02:03") << "01:02:03" << 3723;
        QTest::newRow("last second") << "23:59:59" << 86399;
        QTest::newRow("other separators") << "01.02.03" << 3723;
        QTest::newRow("stopped") << "00:00:00" << 0;
    }
    void clockTextsInSeconds() {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        QCOMPARE(secondsOfClockText(text), seconds);
    }

    void aCommentRow() {
        frmLogger &w = window();
        f.clock.set(QDateTime(QDate(2026, 12, 5), QTime(14, 15, 7)));
        w.tmrMainTimer_Timer();
        w.controls().cmbParticipants->setEditText("Ann \"Mac\"");
        type(w, " Said \"no\", twice");
        w.cmdEnter_Click();
        const auto r = rows();
        QCOMPARE(r.size(), std::size_t(1));
        QVERIFY(r[0][logformat::Date] == Field::txt("12/05/2026"));
        QVERIFY(r[0][logformat::PCTime] == Field::txt("02:15:07 PM"));
        QVERIFY(r[0][logformat::VCRTime] == Field::txt("00:00:00"));
        QVERIFY(r[0][logformat::VCRSeconds] == Field::num(0));
        QVERIFY(r[0][logformat::ScenarioSeconds] == Field::num(0));
        QVERIFY(r[0][logformat::Participant] == Field::txt("Ann 'Mac'"));
        QVERIFY(r[0][logformat::Scenario] == Field::txt("Checkout"));
        QVERIFY(r[0][logformat::Comment] == Field::txt(" Said 'no', twice"));
        for (std::size_t k = 0; k < 10; ++k)
            QVERIFY(r[0][logformat::FirstEventColumn + k] == Field::txt(""));
        // The list shows what a reload would show, the new line selected, the box emptied.
        const QString added = f.listLines().last();
        QCOMPARE(added, QString("Ann 'Mac'    |    Checkout    |    00:00:00    |     Said 'no', twice"));
        QCOMPARE(w.listIndex(), 1);
        QCOMPARE(w.controls().txtComment->text(), QString());
        w.GetLogData();
        QCOMPARE(f.listLines().last(), added);

        // Blanks alone are a comment; an empty box is not.
        type(w, "   ");
        w.cmdEnter_Click();
        w.cmdEnter_Click();
        QCOMPARE(comments(), (QStringList{" Said 'no', twice", "   "}));
    }

    void theDateIsReadFreshTheTimesAsShown() {
        frmLogger &w = window();
        f.clock.set(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59)));
        w.tmrMainTimer_Timer();
        f.clock.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 0)));  // no tick yet
        type(w, "midnight");
        w.cmdEnter_Click();
        QVERIFY(rows()[0][logformat::Date] == Field::txt("12/06/2026"));
        QVERIFY(rows()[0][logformat::PCTime] == Field::txt("11:59:59 PM"));
    }

    void vcrTimer() {
        frmLogger &w = window();
        const LoggerControls &c = w.controls();
        c.dtpVCRTime->setTime(QTime(23, 59, 58));
        w.cmdStartVCR_Click();
        QVERIFY(isTimePickerLocked(c.dtpVCRTime));
        QVERIFY(!c.cmdStartVCR->isEnabled() && c.cmdPauseVCR->isEnabled() && c.cmdStopVCR->isEnabled());
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));  // until the next tick
        tick(w, 1);
        QCOMPARE(c.lblVCRTime->text(), QString("23:59:59"));
        tick(w, 1);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));
        tick(w, 2);  // a late tick skips a second and does not drift
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:02"));
        tick(w, 1);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:03"));
        QCOMPARE(c.dtpVCRTime->time(), QTime(0, 0, 3));

        w.cmdPauseVCR_Click();
        QVERIFY(c.cmdStartVCR->isEnabled() && !c.cmdPauseVCR->isEnabled() && c.cmdStopVCR->isEnabled());
        QVERIFY(isTimePickerLocked(c.dtpVCRTime));
        tick(w, 30);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:03"));
        w.cmdStartVCR_Click();  // continues from the picker
        tick(w, 4);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:07"));

        w.cmdStopVCR_Click();
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));
        QVERIFY(!isTimePickerLocked(c.dtpVCRTime));
        QVERIFY(c.cmdStartVCR->isEnabled() && !c.cmdPauseVCR->isEnabled() && !c.cmdStopVCR->isEnabled());
        QCOMPARE(c.dtpVCRTime->time(), QTime(0, 0, 7));
        w.cmdStartVCR_Click();
        tick(w, 1);
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:08"));

        // An entry carries the tape position in seconds; the VCR timer itself writes nothing.
        QVERIFY(rows().empty());
        c.dtpVCRTime->setEnabled(true);
        w.cmdStopVCR_Click();
        c.dtpVCRTime->setTime(QTime(1, 2, 2));
        w.cmdStartVCR_Click();
        tick(w, 1);
        type(w, "at the tape mark");
        w.cmdEnter_Click();
        QVERIFY(rows()[0][logformat::VCRTime] == Field::txt("01:02:03"));
        QVERIFY(rows()[0][logformat::VCRSeconds] == Field::num(3723));
    }

    void scenarioTimerMarkers() {
        frmLogger &w = window();
        const LoggerControls &c = w.controls();
        w.cmdStartScenario_Click();
        QVERIFY(!c.cmdStartScenario->isEnabled() && c.cmdPauseScenario->isEnabled() && c.cmdStopScenario->isEnabled());
        tick(w, 65);
        QCOMPARE(c.lblScenarioTime->text(), QString("00:01:05"));
        w.cmdPauseScenario_Click();
        QVERIFY(c.cmdStartScenario->isEnabled() && !c.cmdPauseScenario->isEnabled() && c.cmdStopScenario->isEnabled());
        tick(w, 100);
        QCOMPARE(c.lblScenarioTime->text(), QString("00:01:05"));
        w.cmdStartScenario_Click();
        tick(w, 5);
        QCOMPARE(c.lblScenarioTime->text(), QString("00:01:10"));
        c.cmbScenarios->setEditText("Search");  // the timer runs on; the markers name what is picked
        w.cmdStopScenario_Click();
        QCOMPARE(c.lblScenarioTime->text(), QString("00:00:00"));
        QVERIFY(c.cmdStartScenario->isEnabled() && !c.cmdPauseScenario->isEnabled() && !c.cmdStopScenario->isEnabled());

        QCOMPARE(comments(), (QStringList{"***START SCENARIO TIMER - Checkout***", "***PAUSE SCENARIO TIMER - Checkout***",
                                          "***RESUME SCENARIO TIMER - Checkout***", "***STOP SCENARIO TIMER - Search***"}));
        const auto r = rows();
        const char *times[] = {"00:00:00", "00:01:05", "00:01:05", "00:01:10"};
        const int seconds[] = {0, 65, 65, 70};
        for (int i = 0; i < 4; ++i) {
            QVERIFY(r[std::size_t(i)][logformat::ScenarioTime] == Field::txt(times[i]));
            QVERIFY(r[std::size_t(i)][logformat::ScenarioSeconds] == Field::num(seconds[i]));
        }
        QCOMPARE(w.listIndex(), 4);
        QCOMPARE(w.focusWidget(), c.txtComment);
    }

    void scenarioReminder() {
        frmLogger &w = window(false, true);
        // Any key but F1 asks, and No abandons the entry.
        f.prompts.answerMessage(Prompts::No);
        QTest::keyClick(w.controls().txtComment, Qt::Key_A);
        QTest::keyClick(w.controls().txtComment, Qt::Key_F1);
        QCOMPARE(f.prompts.calls.size(), 1);
        const ScriptedPrompts::Call &asked = f.prompts.calls[0];
        QCOMPARE(asked.text, kScenarioReminder);
        QCOMPARE(asked.title, QString("Start Scenario Timer?"));
        QCOMPARE(asked.buttons, Prompts::Buttons::YesNo);
        QCOMPARE(asked.defaultButton, int(Prompts::Yes));
        QCOMPARE(asked.icon, Prompts::Icon::None);
        QCOMPARE(w.controls().txtComment->text(), QString("a"));
        // Enter on an empty box still asks first.
        w.controls().txtComment->clear();
        f.prompts.answerMessage(Prompts::No);
        w.cmdEnter_Click();
        QVERIFY(rows().empty());

        // Yes: the START entry goes first, then the comment.
        type(w, "first");
        f.prompts.answerMessage(Prompts::Yes);
        QTest::keyClick(w.controls().lstComment, Qt::Key_Return);  // Enter away from a button
        QCOMPARE(comments(), (QStringList{"***START SCENARIO TIMER - Checkout***", "first"}));
        QCOMPARE(w.PromptAnswer, int(Prompts::Yes));
    }

    void reminderAnswersTogether_data() {
        QTest::addColumn<int>("scenarioAnswer");
        QTest::addColumn<int>("vcrAnswer");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<bool>("vcrRunning");
        QTest::newRow("yes, no") << int(Prompts::Yes) << int(Prompts::No) << QStringList() << false;
        QTest::newRow("yes, yes") << int(Prompts::Yes) << int(Prompts::Yes)
                                  << QStringList{"***START SCENARIO TIMER - Checkout***", "Error"} << true;
        QTest::newRow("no") << int(Prompts::No) << 0 << QStringList() << false;
    }
    void reminderAnswersTogether() {
        QFETCH(int, scenarioAnswer);
        QFETCH(int, vcrAnswer);
        QFETCH(QStringList, logged);
        QFETCH(bool, vcrRunning);
        f.saveButtons({"Error"});
        frmLogger &w = window(true, true);
        type(w, "typed");
        f.prompts.answerMessage(scenarioAnswer);
        if (vcrAnswer != 0)
            f.prompts.answerMessage(vcrAnswer);
        w.controls().cmd[0]->click();
        QCOMPARE(comments(), logged);
        QCOMPARE(modVariables.VCRTimerRunning, vcrRunning);
        QCOMPARE(modVariables.ScenarioTimerRunning, vcrRunning);
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
        QCOMPARE(f.prompts.calls.size(), 2);
        QVERIFY(w.controls().cmdStartScenario->isEnabled() && w.controls().cmdStopScenario->isEnabled());
        QCOMPARE(comments().size(), 2);
    }

    void stopWithAPendingComment_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<QString>("left");
        QTest::newRow("no") << int(Prompts::No)
                            << QStringList{"***START SCENARIO TIMER - Checkout***", "***PAUSE SCENARIO TIMER - Checkout***",
                                           "***STOP SCENARIO TIMER - Checkout***"}
                            << "pending";
        QTest::newRow("yes") << int(Prompts::Yes)
                             << QStringList{"***START SCENARIO TIMER - Checkout***",
                                            "***PAUSE SCENARIO TIMER - Checkout***",
                                            "***RESUME SCENARIO TIMER - Checkout***", "pending",
                                            "***STOP SCENARIO TIMER - Checkout***"}
                             << "";
    }
    void stopWithAPendingComment() {
        QFETCH(int, answer);
        QFETCH(QStringList, logged);
        QFETCH(QString, left);
        frmLogger &w = window(false, true);
        w.cmdStartScenario_Click();
        w.cmdPauseScenario_Click();
        type(w, "pending");
        f.prompts.answerMessage(answer);
        w.cmdStopScenario_Click();
        QCOMPARE(comments(), logged);
        QCOMPARE(w.controls().txtComment->text(), left);
        QVERIFY(!modVariables.ScenarioTimerRunning);
    }

    void eventButtons() {
        f.saveButtons({"Error", "Say \"hi\" &&now", "Help &Used"});
        frmLogger &w = window();
        type(w, "half typed");
        w.controls().cmd[1]->click();
        w.controls().cmd[2]->click();
        const auto r = rows();
        QVERIFY(r[0][logformat::Comment] == Field::txt("Say 'hi' now"));
        QVERIFY(r[0][logformat::FirstEventColumn + 1] == Field::txt("Say 'hi' now"));
        QVERIFY(r[1][logformat::Comment] == Field::txt("Help Used"));
        for (std::size_t k = 0; k < 10; ++k) {
            QVERIFY(r[0][logformat::FirstEventColumn + k] == Field::txt(k == 1 ? "Say 'hi' now" : ""));
            QVERIFY(r[1][logformat::FirstEventColumn + k] == Field::txt(k == 2 ? "Help Used" : ""));
        }
        QCOMPARE(w.controls().txtComment->text(), QString("half typed"));
        QCOMPARE(w.listIndex(), 2);

        // Enter with the focus on a button presses that button.
        QTest::keyClick(w.controls().cmdStartVCR, Qt::Key_Return);
        QVERIFY(modVariables.VCRTimerRunning);
        QCOMPARE(rows().size(), std::size_t(2));
    }

    void aRowThatCannotBeWritten() {
        frmLogger &w = window();
        type(w, "kept");
        w.cmdEnter_Click();
        const QStringList before = f.listLines();
        // The log's folder is gone.
        QDir gone(f.dir.filePath("gone"));
        QVERIFY(gone.mkpath("."));
        modVariables.LogFilePath = gone.filePath("log.csv");
        QVERIFY(gone.removeRecursively());
        type(w, "an important remark");
        f.prompts.answerMessage(Prompts::OK);
        w.cmdEnter_Click();
        QCOMPARE(f.prompts.calls.size(), 1);
        const QString message = f.prompts.calls[0].text;
        QVERIFY2(message.contains(modVariables.LogFilePath) && message.contains("No such file or directory") &&
                     message.contains("not in the log"),
                 qPrintable(message));
        QCOMPARE(f.prompts.calls[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(f.listLines(), before);
        QCOMPARE(w.controls().txtComment->text(), QString("an important remark"));

        // Markers too: the observer is told, and the list stays in step with the file.
        f.prompts.answerMessage(Prompts::OK);
        w.cmdStartScenario_Click();
        QCOMPARE(f.listLines(), before);
        QVERIFY(modVariables.ScenarioTimerRunning);
    }

    void editingAComment() {
        frmLogger &w = window();
        for (const char *text : {"one", "two, with a comma", "three"}) {
            type(w, text);
            w.cmdEnter_Click();
        }
        const QByteArray before = f.logBytes();
        const auto rowsBefore = rows();

        // Cancel, the same text and an emptied text leave the file byte for byte.
        for (const QString &answer : {QString(), QString("two, with a comma")}) {
            w.selectLine(2);
            f.prompts.answerInput(answer);
            w.lstComment_DblClick();
        }
        QCOMPARE(f.prompts.calls[0].text, QString("Edit this comment."));
        QCOMPARE(f.prompts.calls[0].title, QString("Quorvane"));
        QCOMPARE(f.prompts.calls[0].proposed, QString("two, with a comma"));
        QCOMPARE(f.logBytes(), before);
        QVERIFY(!QFile::exists(f.logPath() + ".bak"));

        w.selectLine(2);
        f.prompts.answerInput("two \"edited\"");
        w.lstComment_DblClick();
        const auto after = rows();
        QCOMPARE(after.size(), rowsBefore.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            for (std::size_t k = 0; k < logformat::kFieldCount; ++k) {
                if (i == 1 && k == logformat::Comment)
                    QVERIFY(after[i][k] == Field::txt("two 'edited'"));
                else
                    QVERIFY(after[i][k] == rowsBefore[i][k]);
            }
        }
        QCOMPARE(w.listIndex(), 2);
        QVERIFY(f.listLines()[2].endsWith("|    two 'edited'"));
        QVERIFY(!QFile::exists(f.logPath() + ".bak"));

        // The header line edits the Comment title.
        w.selectLine(0);
        f.prompts.answerInput("Remark");
        w.lstComment_DblClick();
        QVERIFY(f.listLines()[0].endsWith("|    Remark"));
        QCOMPARE(w.listIndex(), 0);
    }

    void editingAFileChangedBehindTheProgram() {
        frmLogger &w = window();
        for (const char *text : {"one", "two"}) {
            type(w, text);
            w.cmdEnter_Click();
        }
        // Another program removes the first row: line 2 no longer shows record 2.
        QByteArray bytes = f.logBytes();
        const qsizetype firstRow = bytes.indexOf("\r\n") + 2;
        bytes.remove(firstRow, bytes.indexOf("\r\n", firstRow) + 2 - firstRow);
        QFile file(f.logPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        w.selectLine(2);
        f.prompts.answerMessage(Prompts::OK);
        w.lstComment_DblClick();
        QVERIFY(f.prompts.calls[0].text.contains("has changed"));
        QCOMPARE(f.logBytes(), bytes);
        QCOMPARE(f.listLines().size(), 2);  // reloaded
    }

    void anEditThatCannotBeWritten() {
        frmLogger &w = window();
        type(w, "one");
        w.cmdEnter_Click();
        const QByteArray before = f.logBytes();
        QVERIFY(QDir().mkpath(f.logPath() + ".bak"));  // the copy cannot be made
        w.selectLine(1);
        f.prompts.answerInput("changed");
        f.prompts.answerMessage(Prompts::OK);
        w.lstComment_DblClick();
        QVERIFY(f.prompts.messageTexts().constFirst().startsWith("The comment could not be changed"));
        QCOMPARE(f.logBytes(), before);
        QVERIFY(f.listLines().last().endsWith("|    one"));
        QVERIFY(QDir(f.logPath() + ".bak").removeRecursively());
    }
};

QTEST_MAIN(TestEntries)
#include "tst_entries.moc"
