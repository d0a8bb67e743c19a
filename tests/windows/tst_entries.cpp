// Event logging as the observer does it, with keys in the active window: comments, clocks and
// timers, reminders, event buttons, the comment editor, and a log that goes wrong under it.

#include "tests/support/LoggerFixture.h"

#include "ui/EventButton.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimeEdit>
#include <sys/file.h>

namespace {
const QString kStart = QStringLiteral("***START SCENARIO TIMER - Checkout***");
const QString kPause = QStringLiteral("***PAUSE SCENARIO TIMER - Checkout***");
const QString kStop = QStringLiteral("***STOP SCENARIO TIMER - Checkout***");
const QByteArray kNoEvent = ",\"\"";
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
    // To the focus widget, as a real key goes.
    void key(int k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods); }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void aCommentRow() {
        frmLogger &w = window();
        f.clock.set(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59)));
        w.tmrMainTimer_Timer();
        f.clock.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 0)));  // the date is read fresh, the time as shown
        QTest::keyClicks(f.c().cmbParticipants->lineEdit(), "Ann \"Mac\"");
        f.enter(" Said \"no\", twice");
        QCOMPARE(f.lastRow(), "\"12/06/2026\",\"11:59:59 PM\",\"00:00:00\",0,\"00:00:00\",0,\"Ann 'Mac'\",\"Checkout\","
                              "\" Said 'no', twice\"" + kNoEvent.repeated(10) + "\r\n");  // no button title in it
        // The list shows what a reload shows, the new line selected, the box emptied, focus kept.
        QCOMPARE(f.listLines().last(),
                 QString("Ann 'Mac'    |    Checkout    |    00:00:00    |     Said 'no', twice"));
        QCOMPARE(w.listIndex(), 1);
        QCOMPARE(f.c().txtComment->text(), QString());
        QCOMPARE(w.focusWidget(), f.c().txtComment);
        f.enter("   ");  // blanks alone are a comment; an empty box is not
        f.enter("");
        QCOMPARE(f.comments(), (QStringList{" Said 'no', twice", "   "}));
    }

    void vcrTimerAndTheTapeTime() {
        frmLogger &w = window();
        // The tape time typed as a person types it: after a click (which starts it afresh) or Tab.
        const QPoint field(5, f.c().dtpVCRTime->height() / 2);
        QTest::mouseClick(f.c().dtpVCRTime, Qt::LeftButton, {}, field);
        QTest::keyClicks(f.c().dtpVCRTime, "12");
        QTest::mouseClick(f.c().dtpVCRTime, Qt::LeftButton, {}, field);
        QTest::keyClicks(f.c().dtpVCRTime, "235958");
        key(Qt::Key_F2);  // Start: the label shows the tape position at once
        QVERIFY(isTimePickerLocked(f.c().dtpVCRTime));
        QVERIFY(!f.c().cmdStartVCR->isEnabled());
        QCOMPARE(f.c().lblVCRTime->text(), QString("23:59:58"));
        f.tick(2);
        QCOMPARE(f.c().lblVCRTime->text(), QString("00:00:00"));  // past midnight it counts on
        f.tick(3);                                                // a late tick skips, never drifts
        key(Qt::Key_F3);  // Pause: the picker holds the tape time
        f.tick(30);
        key(Qt::Key_F3);  // disabled now: nothing
        key(Qt::Key_F2);
        f.tick(4);
        QCOMPARE(f.c().lblVCRTime->text(), QString("00:00:07"));
        key(Qt::Key_F4);  // Stop
        QCOMPARE(f.c().lblVCRTime->text(), QString("00:00:00"));
        QCOMPARE(f.c().dtpVCRTime->time(), QTime(0, 0, 7));
        f.c().chkVCRTimeReminder->setFocus();
        QTest::keyClick(f.c().chkVCRTimeReminder, Qt::Key_Tab);
        QTest::keyClicks(w.focusWidget(), "1:02:03");
        key(Qt::Key_F2);
        f.enter("at the tape mark");  // a row in the second after Start carries the tape position
        QVERIFY(f.lastRow().contains(",\"01:02:03\",3723,"));
    }

    void scenarioTimerMarkers() {
        frmLogger &w = window();
        key(Qt::Key_F5);
        f.tick(65);
        key(Qt::Key_F6);
        f.tick(100);
        QCOMPARE(f.c().lblScenarioTime->text(), QString("00:01:05"));
        key(Qt::Key_F5);  // resumes from the value shown
        f.tick(5);
        f.c().cmbScenarios->setEditText("Search");  // the timer runs on; markers name what is picked
        key(Qt::Key_F7);
        QCOMPARE(f.c().lblScenarioTime->text(), QString("00:00:00"));
        QVERIFY(!f.c().cmdStopScenario->isEnabled());
        QCOMPARE(f.comments(), (QStringList{kStart, kPause, "***RESUME SCENARIO TIMER - Checkout***",
                                            "***STOP SCENARIO TIMER - Search***"}));
        for (const int i : {0, 1, 2, 3})
            QVERIFY(f.rows()[std::size_t(i)][logformat::ScenarioSeconds] ==
                    logformat::Field::num(QList{0, 65, 65, 70}[i]));
        QCOMPARE(w.listIndex(), 4);
        QCOMPARE(w.focusWidget(), f.c().txtComment);
    }

    void theScenarioReminderAsksForTypingOnly() {
        window(false, true);
        // Commands and modifier keys are not typing; F1 neither.
        for (const auto &[k, mods] : {std::pair{Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_Alt, Qt::AltModifier},
                                      {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_F1, Qt::NoModifier}})
            QTest::keyClick(f.c().txtComment, k, mods);
        QCOMPARE(f.prompts.calls.size(), 0);
        // Any other key asks; No abandons it, and an empty box logs nothing either way.
        f.prompts.answerMessage("Start Scenario Timer?", Prompts::No);
        QTest::keyClick(f.c().txtComment, Qt::Key_A, Qt::ShiftModifier);
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QCOMPARE(asked.text, QString("The Scenario Timer has not been started. Do you want to start the Scenario Timer?"));
        QCOMPARE(asked.buttons, Prompts::Buttons::YesNo);
        QCOMPARE(asked.defaultButton, int(Prompts::Yes));
        f.c().txtComment->clear();
        f.prompts.answerMessage("Start Scenario Timer?", Prompts::No);
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        QCOMPARE(f.rows().size(), 0u);
        // Yes: the START entry first, then the comment. Enter away from a button means Enter.
        f.c().txtComment->setText("first");
        f.prompts.answerMessage("Start Scenario Timer?", Prompts::Yes);
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
        window(true, true);
        f.c().dtpVCRTime->setTime(QTime(1, 2, 3));
        f.c().txtComment->setText("typed");
        f.prompts.answerMessage("Start Scenario Timer?", scenarioAnswer);
        if (vcrAnswer != 0)
            f.prompts.answerMessage("Start VCR Timer?", vcrAnswer);
        key(Qt::Key_1, Qt::ControlModifier);  // event button 1
        QCOMPARE(f.comments(), logged);
        QCOMPARE(f.c().cmdStartScenario->isEnabled(), logged.isEmpty());
        QCOMPARE(f.c().txtComment->text(), QString("typed"));
        if (!logged.isEmpty())  // the START row carries the tape position the VCR timer started at
            QCOMPARE(f.rows()[0][logformat::VCRTime], logformat::Field::txt("01:02:03"));
    }

    void stopWithAPendingComment_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("no") << int(Prompts::No) << QStringList{kStart, kPause, kStop};
        QTest::newRow("yes") << int(Prompts::Yes)
                             << QStringList{kStart, kPause, "***RESUME SCENARIO TIMER - Checkout***", "pending", kStop};
    }
    void stopWithAPendingComment() {
        QFETCH(int, answer);
        QFETCH(QStringList, logged);
        window(false, true);
        key(Qt::Key_F5);
        key(Qt::Key_F6);
        f.c().txtComment->setText("pending");
        f.prompts.answerMessage("Start Scenario Timer?", answer);
        key(Qt::Key_F7);
        QCOMPARE(f.c().txtComment->text(), answer == Prompts::No ? QString("pending") : QString());
        // A paused VCR timer counts as stopped: No to its reminder leaves the scenario timer stopped.
        key(Qt::Key_F2);
        key(Qt::Key_F3);
        f.c().chkVCRTimeReminder->setChecked(true);
        f.prompts.answerMessage("Start VCR Timer?", Prompts::No);
        key(Qt::Key_F5);
        QCOMPARE(f.comments(), logged);
        QVERIFY(f.c().cmdStartScenario->isEnabled());
        QVERIFY(!f.c().cmdStopScenario->isEnabled());
    }

    void eventButtons() {
        frmLogger &w = window();
        QTest::keyClicks(f.c().txtComment, "half typed");
        key(Qt::Key_2, Qt::ControlModifier);
        f.c().cmd[2]->click();
        key(Qt::Key_4, Qt::ControlModifier);  // no fourth button: nothing
        QVERIFY(f.logBytes().contains(",\"Say 'hi' now\"" + kNoEvent + ",\"Say 'hi' now\"" + kNoEvent.repeated(8) +
                                      "\r\n"));
        QVERIFY(f.lastRow().endsWith(",\"Help Used\"" + kNoEvent.repeated(2) + ",\"Help Used\"" + kNoEvent.repeated(7) +
                                     "\r\n"));
        QCOMPARE(f.comments().size(), 2);
        QCOMPARE(f.c().txtComment->text(), QString("half typed"));
        QCOMPARE(w.listIndex(), 2);
        QVERIFY(f.c().cmd[0]->toolTip().contains("Ctrl+1"));
        QVERIFY(f.c().cmdStopScenario->toolTip().contains("F7"));
        QTest::keyClick(f.c().cmdStartVCR, Qt::Key_Return);  // Enter on a button presses that button
        QVERIFY(f.c().cmdPauseVCR->isEnabled());
    }

    void accessKeysOfEventButtons() {
        f.saveButtons({"&Frustrated", "&Search", "&Skip", "&Task done", "&Fix&Help"});
        frmLogger &w = f.load();
        QCOMPARE(f.c().cmd[0]->text(), QString("Frustrated"));  // the File menu's letter
        QCOMPARE(f.c().cmd[1]->text(), QString("&Search"));     // the first of two on one letter keeps it
        QCOMPARE(f.c().cmd[2]->text(), QString("Skip"));
        QCOMPARE(f.c().cmd[3]->text(), QString("&Task done"));
        QCOMPARE(f.c().cmd[4]->text(), QString("FixHelp"));  // its key was F: no second key shows
        key(Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(f.comments(), QStringList{"Task done"});  // a press shown before it is done
        key(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(f.comments().size(), 2);
        QCOMPARE(f.comments().last(), QString("Search"));
        QCOMPARE(w.focusWidget(), f.c().txtComment);
        QCOMPARE(f.c().txtComment->text(), QString());  // and the letter is not typed
        for (const auto &[letter, menu] : {std::pair{Qt::Key_F, f.c().mnuFile}, {Qt::Key_H, f.c().mnuHelp},
                                           {Qt::Key_H, f.c().mnuHelp}}) {
            key(letter, Qt::AltModifier);  // a menu's letter stays the menu's, every time
            QTRY_VERIFY(menu->isVisible());
            menu->close();
            QVERIFY(showActive(f.window.get()));
        }
        key(Qt::Key_1, Qt::ControlModifier);  // its number still presses it
        QCOMPARE(f.lastRow().count("\"Frustrated\""), 2);
        // Alt+letters no menu or button takes type nothing, in the comment box or the pickers.
        QComboBox *scenario = f.c().cmbScenarios;
        scenario->setFocus();
        scenario->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), "Alpha");
        for (const Qt::Key k : {Qt::Key_X, Qt::Key_S, Qt::Key_Q})
            key(k, Qt::AltModifier);
        QCOMPARE(scenario->currentText(), QString("Alpha"));
    }

    void pastedTextStaysOnOneLine() {
        f.saveButtons({"Needs\nhelp"});  // a caption stored with a line break, by hand or by an older version
        window();
        f.saveButtons({"Needs\nhelp"});
        f.window->GetButtons();
        const auto paste = [](QWidget *into, const QString &text) {
            QApplication::clipboard()->setText(text);
            into->setFocus();
            QTest::keyClick(into, Qt::Key_V, Qt::ControlModifier);
        };
        QComboBox *scenario = f.c().cmbScenarios;
        scenario->lineEdit()->selectAll();
        paste(scenario->lineEdit(), "Check\nout");
        paste(f.c().txtComment, "timing note\r\n\"12/05/2026\",\"x\",0\tend");
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        key(Qt::Key_1, Qt::ControlModifier);
        const QString long40k = QString("long ").repeated(8000);  // past a line edit's 32,767 characters
        paste(f.c().txtComment, long40k);
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        QCOMPARE(f.comments(), (QStringList{"timing note '12/05/2026','x',0 end", "Needs help", long40k}));
        QCOMPARE(f.rows().front()[logformat::Scenario], logformat::Field::txt("Check out"));
        QCOMPARE(QString(f.logBytes()).count("\r\n"), 4);  // the header and three whole rows
        QCOMPARE(f.listLines().size(), 4);
    }

    void theKeyHintKeepsOutOfTheCaption() {
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten << (i == 2 ? QString("Clicks the wrong link in the footer") : QString("E%1").arg(i));
        f.saveButtons(ten);
        window();
        f.saveButtons(ten);
        f.window->GetButtons();
        const auto *cut = static_cast<EventButton *>(f.c().cmd[2]);
        const auto *roomy = static_cast<EventButton *>(f.c().cmd[0]);
        QVERIFY(cut->captionCut());
        QVERIFY(!cut->hintShown());
        QVERIFY(cut->shownToolTip().startsWith("Clicks the wrong link in the footer\n"));
        QVERIFY(cut->shownToolTip().contains("Ctrl+3"));
        QVERIFY(!roomy->captionCut());
        QVERIFY(roomy->hintShown());
        QCOMPARE(roomy->shownToolTip(), roomy->toolTip());
    }

    void aLogThatIsGoneOrDamaged() {
        frmLogger &w = window();
        f.enter("kept");
        QVERIFY(QFile::remove(f.logPath()));  // deleted or renamed behind the program
        f.prompts.answerMessage("The log file is gone", Prompts::No);
        f.enter("an important remark");
        QVERIFY(f.prompts.lastMessage().contains(f.logPath()));
        QVERIFY(!QFile::exists(f.logPath()));
        QCOMPARE(f.listLines().size(), 2);
        QCOMPARE(f.c().txtComment->text(), QString("an important remark"));
        f.prompts.answerMessage("The log file is gone", Prompts::Yes);  // made again with its header, and the entry goes in
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        QVERIFY(f.logBytes().startsWith("\"Date\",\"PC Time\""));
        QCOMPARE(f.comments(), QStringList{"an important remark"});
        // A row cut short at the end is set aside whole before the next entry, and said.
        QVERIFY(writeBytes(f.logPath(), f.logBytes() + "\"12/05/2026\",\"02:1"));
        f.prompts.answerMessage(f.logPath() + ".damaged-row.txt", Prompts::OK);
        f.enter("two");
        QCOMPARE(readBytes(f.logPath() + ".damaged-row.txt"), QByteArray("\"12/05/2026\",\"02:1"));
        QCOMPARE(f.comments(), (QStringList{"an important remark", "two"}));
        QCOMPARE(f.listLines().size(), 3);
        // Its folder gone too: told, and the list stays in step with the file.
        QVERIFY(QFile::rename(f.logPath(), f.path("elsewhere.csv")));
        QVERIFY(QDir(f.dir.path()).mkdir("folder"));
        QVERIFY(QFile::rename(f.path("elsewhere.csv"), f.path("folder/log.csv")));
        f.prompts.answerFile(f.path("folder/log.csv"));
        w.mnuOpen_Click();
        QVERIFY(QDir(f.path("folder")).removeRecursively());
        f.prompts.answerMessage("The log file is gone", Prompts::Yes);
        f.prompts.answerMessage("No such file or directory", Prompts::OK);
        key(Qt::Key_F5);
        QCOMPARE(f.listLines().size(), 3);
    }

    void aLogLockedByAnotherProgram() {
        window();
        f.enter("before");
        const QByteArray before = f.logBytes();
        QFile other(f.logPath());
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(flock(other.handle(), LOCK_EX), 0);  // as a spreadsheet on a network share may do
        bool repainted = false;
        QTimer::singleShot(50, [&] { repainted = true; });
        f.prompts.answerMessage("Another program is using the file", Prompts::OK);
        f.enter("typed while it was locked");
        QVERIFY(repainted);  // the window went on while it waited
        QCOMPARE(f.c().txtComment->text(), QString("typed while it was locked"));  // kept for another try
        QCOMPARE(f.logBytes(), before);
        QCOMPARE(f.listLines().size(), 2);
        QCOMPARE(flock(other.handle(), LOCK_UN), 0);
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        QCOMPARE(f.comments().last(), QString("typed while it was locked"));
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
        for (const QString &answer : {QString(), QString("two, with a comma")}) {  // Cancel, the same text
            f.prompts.answerInput("Edit this comment.", answer);
            doubleClick(2);
        }
        QCOMPARE(f.prompts.calls.at(0).proposed, QString("two, with a comma"));
        QCOMPARE(f.logBytes(), before);
        f.prompts.answerInput("Edit this comment.", "two \"edited\"");
        doubleClick(2);
        auto expected = rowsBefore;
        expected[1][logformat::Comment] = logformat::Field::txt("two 'edited'");
        QVERIFY(f.rows() == expected);
        QCOMPARE(w.listIndex(), 2);
        QCOMPARE(f.listLines()[2], QString("    |    Checkout    |    00:00:00    |    two 'edited'"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"log.csv"});  // no copy left behind
        QTest::keyClicks(QApplication::focusWidget(), "next ");  // the keys go back to the comment box
        QCOMPARE(f.c().txtComment->text(), QString("next "));
        f.c().txtComment->clear();
        f.prompts.answerInput("Edit this comment.", "Remark");  // the header line's comment is the column's title
        doubleClick(0);
        QCOMPARE(f.listLines()[0], QString("Participant    |    Scenario    |    Scenario Time    |    Remark"));
        QVERIFY(f.logBytes().startsWith("\"Date\""));
        // Another program removes the first row: line 2 no longer shows record 2, nothing is asked.
        QByteArray bytes = f.logBytes();
        const qsizetype firstRow = bytes.indexOf("\r\n") + 2;
        bytes.remove(firstRow, bytes.indexOf("\r\n", firstRow) + 2 - firstRow);
        QVERIFY(writeBytes(f.logPath(), bytes));
        f.prompts.answerMessage("has changed", Prompts::OK);
        doubleClick(3);
        QCOMPARE(f.logBytes(), bytes);
        QVERIFY(writeBytes(f.logPath(), bytes + "\"cut short\r\n" + bytes.mid(firstRow)));  // a damaged line
        w.GetLogData();
        f.prompts.answerMessage("damaged row", Prompts::OK);
        doubleClick(3);
    }
};

QTEST_MAIN(TestEntries)
#include "tst_entries.moc"
