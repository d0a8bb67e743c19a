// Event logging as the observer does it, with keys in the active window: comments, clocks and
// timers, reminders, event buttons, the comment editor, and a log that goes wrong under it.

#include "LoggerFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

using logformat::Field;

namespace {
const QString kScenarioReminder =
    QStringLiteral("The Scenario Timer has not been started. Do you want to start the Scenario Timer?");
const QString kVCRReminder = QStringLiteral("The VCR Timer has not been started. Do you want to start the VCR Timer?");
const QString kStart = QStringLiteral("***START SCENARIO TIMER - Checkout***");
const QString kStop = QStringLiteral("***STOP SCENARIO TIMER - Checkout***");
}  // namespace

class TestEntries : public QObject {
    Q_OBJECT

    LoggerFixture f;

    // With the scenario "Checkout" picked and three event buttons, whose titles the header
    // writer leaves in the shared event columns, as at a real start.
    frmLogger &window(bool vcrReminder = false, bool scenarioReminder = false) {
        f.saveScenarios({"Checkout", "Search"});
        f.saveButtons({"Error", "Say \"hi\" &&now", "Help &Used"});
        return f.load(vcrReminder, scenarioReminder);
    }
    void key(int k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(f.c().txtComment, Qt::Key(k), mods); }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void aCommentRow() {
        frmLogger &w = window();
        QVERIFY(w.modVariables.EventColumn[0] == "Button - Error");  // dirty, as after the header
        f.clock.set(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59)));
        w.tmrMainTimer_Timer();
        f.clock.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 0)));  // the date is read fresh, the time as shown
        QTest::keyClicks(f.c().cmbParticipants->lineEdit(), "Ann \"Mac\"");
        f.enter(" Said \"no\", twice");
        QCOMPARE(f.lastRow(), "\"12/06/2026\",\"11:59:59 PM\",\"00:00:00\",0,\"00:00:00\",0,\"Ann 'Mac'\",\"Checkout\","
                              "\" Said 'no', twice\"" + QByteArray(",\"\"").repeated(10) + "\r\n");  // no event in it
        // The list shows what a reload shows, the new line selected, the box emptied, focus kept.
        const QString added = f.listLines().last();
        QCOMPARE(added, QString("Ann 'Mac'    |    Checkout    |    00:00:00    |     Said 'no', twice"));
        QVERIFY(w.listIndex() == 1 && f.c().txtComment->text().isEmpty() && w.focusWidget() == f.c().txtComment);
        w.GetLogData();
        QCOMPARE(f.listLines().last(), added);
        // Blanks alone are a comment; an empty box is not.
        f.enter("   ");
        f.enter("");
        QCOMPARE(f.comments(), (QStringList{" Said 'no', twice", "   "}));
    }

    void vcrTimerAndTheTapeTime() {
        frmLogger &w = window();
        // The tape time typed as a person types it, after a click or after Tab into the field.
        const QPoint field(5, f.c().dtpVCRTime->height() / 2);
        QTest::mouseClick(f.c().dtpVCRTime, Qt::LeftButton, {}, field);
        QTest::keyClicks(f.c().dtpVCRTime, "12");
        QCOMPARE(f.c().dtpVCRTime->time(), QTime(12, 0, 0));
        QTest::mouseClick(f.c().dtpVCRTime, Qt::LeftButton, {}, field);  // a click starts the time afresh
        QTest::keyClicks(f.c().dtpVCRTime, "235958");
        QCOMPARE(f.c().dtpVCRTime->time(), QTime(23, 59, 58));
        f.c().txtComment->setFocus();
        QTest::keyClick(&w, Qt::Key_F2);  // VCR Start; the label shows the tape position at once
        QVERIFY(isTimePickerLocked(f.c().dtpVCRTime) && !f.c().cmdStartVCR->isEnabled() && f.c().cmdStopVCR->isEnabled());
        QCOMPARE(f.c().lblVCRTime->text(), QString("23:59:58"));
        f.tick(1);
        f.tick(1);
        QCOMPARE(f.c().lblVCRTime->text(), QString("00:00:00"));  // past midnight it counts on
        f.tick(2);                                                // a late tick skips, never drifts
        f.tick(1);
        QCOMPARE(f.c().lblVCRTime->text(), QString("00:00:03"));
        QTest::keyClick(&w, Qt::Key_F3);  // Pause: the picker holds the tape time
        f.tick(30);
        QTest::keyClick(&w, Qt::Key_F3);  // disabled now: nothing
        QTest::keyClick(&w, Qt::Key_F2);
        f.tick(4);
        QCOMPARE(f.c().lblVCRTime->text(), QString("00:00:07"));
        QTest::keyClick(&w, Qt::Key_F4);  // Stop
        QVERIFY(f.c().lblVCRTime->text() == "00:00:00" && !isTimePickerLocked(f.c().dtpVCRTime));
        QCOMPARE(f.c().dtpVCRTime->time(), QTime(0, 0, 7));
        f.c().chkVCRTimeReminder->setFocus();
        QTest::keyClick(f.c().chkVCRTimeReminder, Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), f.c().dtpVCRTime);
        QTest::keyClicks(f.c().dtpVCRTime, "1:02:03");
        QCOMPARE(f.c().dtpVCRTime->time(), QTime(1, 2, 3));
        QTest::keyClick(&w, Qt::Key_F2);
        f.enter("at the tape mark");  // a row in the second after Start carries the tape position
        QVERIFY(f.lastRow().contains(",\"01:02:03\",3723,"));
    }

    void scenarioTimerMarkers() {
        frmLogger &w = window();
        QTest::keyClick(&w, Qt::Key_F5);
        f.tick(65);
        QTest::keyClick(&w, Qt::Key_F6);
        QVERIFY(f.c().cmdStartScenario->isEnabled() && !f.c().cmdPauseScenario->isEnabled());
        f.tick(100);
        QCOMPARE(f.c().lblScenarioTime->text(), QString("00:01:05"));
        QTest::keyClick(&w, Qt::Key_F5);  // resumes from the value shown
        f.tick(5);
        f.c().cmbScenarios->setEditText("Search");  // the timer runs on; markers name what is picked
        QTest::keyClick(&w, Qt::Key_F7);
        QVERIFY(f.c().lblScenarioTime->text() == "00:00:00" && !f.c().cmdStopScenario->isEnabled());
        QCOMPARE(f.comments(), (QStringList{kStart, "***PAUSE SCENARIO TIMER - Checkout***",
                                            "***RESUME SCENARIO TIMER - Checkout***", "***STOP SCENARIO TIMER - Search***"}));
        const int seconds[] = {0, 65, 65, 70};
        for (std::size_t i = 0; i < 4; ++i)
            QVERIFY(f.rows()[i][logformat::ScenarioSeconds] == Field::num(seconds[i]));
        QVERIFY(w.listIndex() == 4 && w.focusWidget() == f.c().txtComment);
    }

    void theScenarioReminderAsksForTypingOnly() {
        window(false, true);
        // Commands and modifier keys are not typing; F1 neither.
        for (const auto &[k, mods] : {std::pair{Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_Alt, Qt::AltModifier},
                                      {Qt::Key_Control, Qt::ControlModifier}, {Qt::Key_A, Qt::ControlModifier},
                                      {Qt::Key_F, Qt::AltModifier}, {Qt::Key_F1, Qt::NoModifier}})
            key(k, mods);
        QApplication::processEvents();
        if (QWidget *menu = QApplication::activePopupWidget())
            menu->close();  // Alt+F opened the File menu
        QVERIFY(f.prompts.calls.isEmpty());
        // Any other key asks; No abandons it, and an empty box logs nothing either way.
        f.prompts.answerMessage(Prompts::No);
        key(Qt::Key_A, Qt::ShiftModifier);
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY(asked.text == kScenarioReminder && asked.title == "Start Scenario Timer?" &&
                asked.buttons == Prompts::Buttons::YesNo && asked.defaultButton == Prompts::Yes);
        f.c().txtComment->clear();
        f.prompts.answerMessage(Prompts::No);
        key(Qt::Key_Return);
        QVERIFY(f.prompts.calls.size() == 2 && f.rows().empty());
        // Yes: the START entry first, then the comment. Enter away from a button means Enter.
        f.c().txtComment->setText("first");
        f.prompts.answerMessage(Prompts::Yes);
        QTest::keyClick(f.c().lstComment, Qt::Key_Return);
        QCOMPARE(f.comments(), (QStringList{kStart, "first"}));
    }

    void remindersBeforeAnEvent_data() {
        QTest::addColumn<int>("scenarioAnswer");
        QTest::addColumn<int>("vcrAnswer");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("yes, then no") << int(Prompts::Yes) << int(Prompts::No) << QStringList();
        QTest::newRow("yes, yes") << int(Prompts::Yes) << int(Prompts::Yes) << QStringList{kStart, "Error"};
        QTest::newRow("no") << int(Prompts::No) << 0 << QStringList();
    }
    void remindersBeforeAnEvent() {
        QFETCH(int, scenarioAnswer);
        QFETCH(int, vcrAnswer);
        QFETCH(QStringList, logged);
        frmLogger &w = window(true, true);
        f.c().dtpVCRTime->setTime(QTime(1, 2, 3));
        f.c().txtComment->setText("typed");
        f.prompts.answerMessage(scenarioAnswer);
        if (vcrAnswer != 0)
            f.prompts.answerMessage(vcrAnswer);
        QTest::keyClick(&w, Qt::Key_1, Qt::ControlModifier);  // event button 1
        QCOMPARE(f.comments(), logged);
        QCOMPARE(w.modVariables.ScenarioTimerRunning, !logged.isEmpty());
        QCOMPARE(f.c().txtComment->text(), QString("typed"));
        if (vcrAnswer != 0)
            QCOMPARE(f.prompts.calls[1].text, kVCRReminder);
        if (!logged.isEmpty())  // the START row carries the tape position the VCR timer started at
            QVERIFY(f.rows()[0][logformat::VCRTime] == Field::txt("01:02:03"));
    }

    void stopWithAPendingComment_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("logged");
        const QString pause = "***PAUSE SCENARIO TIMER - Checkout***";
        QTest::newRow("no") << int(Prompts::No) << QStringList{kStart, pause, kStop};
        QTest::newRow("yes") << int(Prompts::Yes)
                             << QStringList{kStart, pause, "***RESUME SCENARIO TIMER - Checkout***", "pending", kStop};
    }
    void stopWithAPendingComment() {
        QFETCH(int, answer);
        QFETCH(QStringList, logged);
        frmLogger &w = window(false, true);
        QTest::keyClick(&w, Qt::Key_F5);
        QTest::keyClick(&w, Qt::Key_F6);
        f.c().txtComment->setText("pending");
        f.prompts.answerMessage(answer);
        QTest::keyClick(&w, Qt::Key_F7);
        QCOMPARE(f.comments(), logged);
        // A paused VCR timer counts as stopped: No to its reminder leaves the scenario timer stopped.
        QTest::keyClick(&w, Qt::Key_F2);
        QTest::keyClick(&w, Qt::Key_F3);
        f.c().chkVCRTimeReminder->setChecked(true);
        f.prompts.answerMessage(Prompts::No);
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(f.comments() == logged && !w.modVariables.ScenarioTimerRunning);
        QCOMPARE(f.c().txtComment->text(), answer == Prompts::No ? QString("pending") : QString());
    }

    void eventButtons() {
        frmLogger &w = window();
        QTest::keyClicks(f.c().txtComment, "half typed");
        QTest::keyClick(&w, Qt::Key_2, Qt::ControlModifier);
        f.c().cmd[2]->click();
        QTest::keyClick(&w, Qt::Key_4, Qt::ControlModifier);  // no fourth button: nothing
        const QByteArray none = ",\"\"";
        QVERIFY(f.logBytes().contains(",\"Say 'hi' now\"" + none + ",\"Say 'hi' now\"" + none.repeated(8) + "\r\n"));
        QVERIFY(f.lastRow().endsWith(",\"Help Used\"" + none.repeated(2) + ",\"Help Used\"" + none.repeated(7) + "\r\n"));
        QCOMPARE(f.comments().size(), 2);
        QVERIFY(f.c().txtComment->text() == "half typed" && w.listIndex() == 2);
        QVERIFY(f.c().cmd[0]->toolTip().contains("Ctrl+1") && f.c().cmdStopScenario->toolTip().contains("F7"));
        // Enter with the focus on a button presses that button.
        QTest::keyClick(f.c().cmdStartVCR, Qt::Key_Return);
        QVERIFY(w.modVariables.VCRTimerRunning);
    }

    void aLogThatIsGone() {
        frmLogger &w = window();
        f.enter("kept");
        const QStringList before = f.listLines();
        QVERIFY(QFile::remove(f.logPath()));  // deleted or renamed behind the program
        f.prompts.answerMessage(Prompts::No);
        f.enter("an important remark");
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY2(asked.text.contains(f.logPath()) && asked.text.contains("is gone"), qPrintable(asked.text));
        QVERIFY(!QFile::exists(f.logPath()) && f.listLines() == before);
        QCOMPARE(f.c().txtComment->text(), QString("an important remark"));
        // Yes: made again with its header, and the entry goes in.
        f.prompts.answerMessage(Prompts::Yes);
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        QVERIFY(f.logBytes().startsWith("\"Date\",\"PC Time\""));
        QVERIFY(f.comments() == QStringList{"an important remark"} && f.listLines().size() == 2);
        // Its folder gone too: told, and the list stays in step with the file.
        QDir gone(f.path("gone"));
        QVERIFY(gone.mkpath("."));
        w.modVariables.LogFilePath = gone.filePath("log.csv");
        QVERIFY(gone.removeRecursively());
        f.prompts.answerMessage(Prompts::Yes);
        f.prompts.answerMessage(Prompts::OK);
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(f.prompts.messageTexts().last().contains("No such file or directory"));
        QCOMPARE(f.listLines().size(), 2);
    }

    void aLogEndingInADamagedRow() {
        window();
        f.enter("one");
        QVERIFY(writeBytes(f.logPath(), f.logBytes() + "\"12/05/2026\",\"02:1"));  // a crash mid-row
        f.prompts.answerMessage(Prompts::OK);
        f.enter("two");
        QVERIFY(f.prompts.calls.at(0).text.contains(f.logPath() + ".damaged-row.txt"));
        QCOMPARE(readBytes(f.logPath() + ".damaged-row.txt"), QByteArray("\"12/05/2026\",\"02:1"));
        QCOMPARE(f.comments(), (QStringList{"one", "two"}));
        QVERIFY(f.listLines().size() == 3 && f.listLines().last().endsWith("|    two"));
    }

    void editingAComment() {
        frmLogger &w = window();
        for (const char *text : {"one", "two, with a comma", "three"})
            f.enter(text);
        const QByteArray before = f.logBytes();
        const auto rowsBefore = f.rows();
        CommentList *list = f.c().lstComment;
        const auto doubleClick = [&](int row) {
            const int y = (row - list->topRow()) * list->rowHeight() + list->rowHeight() / 2;
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, y));
        };
        // Cancel and the same text leave the file byte for byte.
        for (const QString &answer : {QString(), QString("two, with a comma")}) {
            f.prompts.answerInput(answer);
            doubleClick(2);
        }
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY(asked.text == "Edit this comment." && asked.title == "Quorvane" && asked.proposed == "two, with a comma");
        QCOMPARE(f.logBytes(), before);
        f.prompts.answerInput("two \"edited\"");
        doubleClick(2);
        auto expected = rowsBefore;
        expected[1][logformat::Comment] = Field::txt("two 'edited'");
        QVERIFY(f.rows() == expected);
        QVERIFY(w.listIndex() == 2 && f.listLines()[2].endsWith("|    two 'edited'"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"log.csv"});  // no copy left behind
        f.prompts.answerInput("Remark");  // the header line's comment is the column's title
        doubleClick(0);
        QVERIFY(f.listLines()[0].endsWith("|    Remark") && f.logBytes().startsWith("\"Date\""));

        // Another program removes the first row: line 2 no longer shows record 2, nothing is asked.
        QByteArray bytes = f.logBytes();
        const qsizetype firstRow = bytes.indexOf("\r\n") + 2;
        bytes.remove(firstRow, bytes.indexOf("\r\n", firstRow) + 2 - firstRow);
        QVERIFY(writeBytes(f.logPath(), bytes));
        f.prompts.answerMessage(Prompts::OK);
        doubleClick(3);
        QVERIFY(f.prompts.messageTexts().last().contains("has changed"));
        QVERIFY(f.logBytes() == bytes && f.listLines().size() == 3);
        // A damaged line cannot be edited.
        QVERIFY(writeBytes(f.logPath(), bytes + "\"cut short\r\n" + bytes.mid(firstRow)));
        w.GetLogData();
        f.prompts.answerMessage(Prompts::OK);
        doubleClick(3);
        QVERIFY(f.prompts.messageTexts().last().contains("damaged row"));
    }
};

QTEST_MAIN(TestEntries)
#include "tst_entries.moc"
