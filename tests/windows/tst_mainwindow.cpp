// The main window: load and exit, the pickers, the event button bar, the comment list, the log
// file commands and the recently used files.

#include "core/logio.h"
#include "core/logrewrite.h"
#include "core/presence.h"
#include "session/ColumnHeader.h"
#include "session/MruList.h"
#include "tests/support/LoggerFixture.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The header row of a log started with no event buttons, and a row of another session.
const QByteArray kHeader = [] {
    EventColumnTitles titles;
    titles.fill(QStringLiteral("Button - "));
    return QByteArray::fromStdString(columnHeaderRow(titles));
}();
const QByteArray kRow = "\"d\",\"t\",\"v\",0,\"s\",0,\"P\",\"S\",\"old row\",,,,,,,,,,\r\n";
}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    LoggerFixture f;

    QStringList shownRecent() const {
        QStringList out;
        for (QAction *a : f.c().mnuMRU)
            if (a->isVisible())
                out << a->text();
        return out;
    }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void loadWithAnEmptyStore() {
        frmLogger &w = f.loadAsStored();
        const LoggerControls &c = w.controls();
        QCOMPARE(w.windowTitle(), QString("Quorvane"));
        QVERIFY(!w.isMaximized());
        QCOMPARE(w.outerWidth(), 9000.0);
        QCOMPARE(w.outerHeight(), 6000.0);
        QVERIFY(c.chkVCRTimeReminder->isChecked());
        QVERIFY(c.chkScenarioTimeReminder->isChecked());
        QCOMPARE(c.cmbScenarios->count(), 0);
        QCOMPARE(c.cmbParticipants->currentText(), QString());
        QVERIFY(!c.cmd[0]->isVisible());
        QCOMPARE(c.lblPCTime->text(), QString("02:15:07 PM"));
        QCOMPARE(c.lblVCRTime->text(), QString("00:00:00"));
        QCOMPARE(c.lblScenarioTime->text(), QString("00:00:00"));
        QVERIFY(c.cmdStartScenario->isEnabled());
        QVERIFY(!c.cmdStopScenario->isEnabled());
        QVERIFY(!c.cmdPauseVCR->isEnabled());
        // A file holding only its header row: one line, selected; the focus in the comment box.
        QCOMPARE(f.listLines(), QStringList{"Participant    |    Scenario    |    Scenario Time    |    Comment"});
        QCOMPARE(w.listIndex(), 0);
        QCOMPARE(w.focusWidget(), c.txtComment);
        QCOMPARE(c.lstComment->geometry(), twipsToPixels(120, 2280, 8640, 2355));  // no button row
    }

    void placementAtLoad_data() {
        QTest::addColumn<QStringList>("stored");  // Maximized, MainWidth, MainHeight
        QTest::addColumn<QList<double>>("size");  // outer width and height; none: maximized; -1: the screen's
        QTest::addColumn<QString>("saved");  // at exit
        QTest::newRow("True") << QStringList{"True", "10500", "7290"} << QList<double>() << "True 10500 7290";
        QTest::newRow("False with sizes") << QStringList{"False", "10500", "7290"} << QList<double>{10500, 7290}
                                          << "False 10500 7290";
        QTest::newRow("False without sizes") << QStringList{"False"} << QList<double>{9000, 6000} << "False 9000 6000";
        QTest::newRow("other text") << QStringList{"false", "10500", "7290"} << QList<double>{9000, 6000}
                                    << "False 9000 6000";
        QTest::newRow("not a number") << QStringList{"False", "wide", "7290"} << QList<double>{9000, 7290}
                                      << "False 9000 7290";
        QTest::newRow("larger than the screen") << QStringList{"False", "999999", "7290"} << QList<double>{-1, 7290}
                                                << "False 999999 7290";
        QTest::newRow("small, as dragged") << QStringList{"False", "3000", "2250"} << QList<double>{3000, 2250}
                                           << "False 3000 2250";
        QTest::newRow("no room for anything") << QStringList{"False", "120", "-3"} << QList<double>{9000, 6000}
                                              << "False 9000 6000";
    }
    void placementAtLoad() {
        QFETCH(QStringList, stored);
        QFETCH(QList<double>, size);
        QFETCH(QString, saved);
        const char *keys[] = {"Maximized", "MainWidth", "MainHeight"};
        for (int i = 0; i < stored.size(); ++i)
            f.store->SaveSetting("Settings", keys[i], stored[i]);
        f.store->SaveSetting("Reminders", "VCR Reminder", "0");
        f.store->SaveSetting("Reminders", "Scenario Reminder", "2");  // only exactly 1 ticks a box
        frmLogger &w = f.loadAsStored();
        QCOMPARE(w.isMaximized(), size.isEmpty());
        if (!size.isEmpty() && size[0] < 0)
            size[0] = pixelsToTwips(QGuiApplication::primaryScreen()->availableGeometry().width()) + 120;
        if (!size.isEmpty()) {
            QVERIFY2(qAbs(w.outerWidth() - size[0]) <= 150, qPrintable(QString::number(w.outerWidth())));
            QCOMPARE(w.outerHeight(), size[1]);
        }
        QVERIFY(!w.controls().chkVCRTimeReminder->isChecked());
        QVERIFY(!w.controls().chkScenarioTimeReminder->isChecked());
        // Left as it was shown: a size the observer did not change is saved as it was stored.
        w.mnuExit_Click();
        SettingsStore later;
        QCOMPARE(QStringList({later.GetSetting("Settings", "Maximized"), later.GetSetting("Settings", "MainWidth"),
                              later.GetSetting("Settings", "MainHeight")}).join(' '),
                 saved);
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
        for (const auto &[key, value] :
             {std::pair{"Maximized", "previous"}, {"MainWidth", "11000"}, {"MainHeight", "8000"}})
            f.store->SaveSetting("Settings", key, value);
        frmLogger &w = f.load();
        w.setOuterSize(10500, 7290);
        if (state == "maximized")
            w.showMaximized();
        else if (state == "minimized")
            w.showMinimized();
        QTRY_VERIFY(w.outerWidth() == 10500 || state == "maximized" || state == "minimized");
        QTest::keyClick(&w, Qt::Key_F5);  // a running scenario timer stops with the program, silently
        w.controls().chkVCRTimeReminder->setChecked(true);
        const QByteArray log = f.logBytes();
        QSignalSpy ended(&w, &frmLogger::programEnded);
        state == "closed" ? (void)w.close() : w.controls().mnuExit->trigger();
        w.close();  // closing afterwards runs nothing again
        QCOMPARE(ended.count(), 1);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.controls().tmrMainTimer->isActive());
        QCOMPARE(f.logBytes(), log);
        SettingsStore later;
        QCOMPARE((QStringList{later.GetSetting("Settings", "Maximized"), later.GetSetting("Settings", "MainWidth"),
                              later.GetSetting("Settings", "MainHeight")}),
                 saved);
        QCOMPARE(later.GetSetting("Reminders", "VCR Reminder"), QString("1"));
        QCOMPARE(later.GetSetting("Reminders", "Scenario Reminder"), QString("0"));
    }

    void pickers() {
        f.saveScenarios({"Task 10", "beta", "Alpha"});
        f.saveList(settingkeys::Participants, {"P1"});
        frmLogger &w = f.load();
        QComboBox *scenarios = w.controls().cmbScenarios;
        QCOMPARE(scenarios->itemText(0) + scenarios->itemText(1) + scenarios->itemText(2), QString("AlphabetaTask 10"));
        QCOMPARE(scenarios->currentText(), QString("Alpha"));
        QCOMPARE(scenarios->toolTip(), QString("Alpha"));
        QCOMPARE(w.session().counts().scenarios, QString("2"));  // as read, for the list dialog's OK
        QCOMPARE(w.controls().cmbParticipants->currentText(), QString("P1"));
        QCOMPARE(w.controls().cmbParticipants->toolTip(), QString("P1"));
        // A name typed is logged as typed, even the start of a listed one; the tool tip stays.
        QTest::mouseClick(scenarios->lineEdit(), Qt::LeftButton);
        scenarios->lineEdit()->selectAll();
        QTest::keyClicks(scenarios->lineEdit(), "Task 1");
        QTest::keyClick(scenarios->lineEdit(), Qt::Key_Tab);
        f.enter("typed scenario");
        QCOMPARE(f.rows().back()[logformat::Scenario], logformat::Field::txt("Task 1"));
        QCOMPARE(scenarios->toolTip(), QString("Alpha"));
        scenarios->setCurrentIndex(2);  // picked from the list: the tool tip follows
        emit scenarios->activated(2);
        QCOMPARE(scenarios->toolTip(), QString("Task 10"));
        f.store->SaveSetting("Scenarios", "Number Of Scenarios", "-1");  // saved empty: nothing listed or selected
        w.GetScenarios();
        QCOMPARE(scenarios->count(), 0);
        QCOMPARE(scenarios->currentText(), QString());
        QCOMPARE(w.session().counts().scenarios, QString("-1"));
    }

    void buttonBar_data() {
        QTest::addColumn<int>("names");
        QTest::addColumn<QString>("storedWidth");  // of the window, as left by the last exit
        QTest::addColumn<float>("width");
        QTest::newRow("never saved") << 0 << "" << 0.0f;
        QTest::newRow("one") << 1 << "" << 8640.0f;
        QTest::newRow("twelve") << 12 << "" << 610.0f;
        // Placed before the window takes its stored size, at the width it has then.
        QTest::newRow("three, in a narrow window") << 3 << "6000" << 2800.0f;
    }
    void buttonBar() {
        QFETCH(int, names);
        QFETCH(QString, storedWidth);
        QFETCH(float, width);
        QStringList list;
        for (int i = 0; i < names; ++i)
            list << QString("E&%1").arg(i);
        if (names > 0)
            f.saveButtons(list);
        if (!storedWidth.isEmpty()) {
            f.store->SaveSetting("Settings", "Maximized", "False");
            f.store->SaveSetting("Settings", "MainWidth", storedWidth);
        }
        frmLogger &w = f.load();
        for (int k = 0; k < 10; ++k) {
            const QPushButton *b = w.controls().cmd[std::size_t(k)];
            QCOMPARE(b->isVisible(), k < names);
            QCOMPARE(b->isEnabled(), k < names);
            if (k < names) {
                QCOMPARE(b->text(), list[k]);
                QCOMPARE(b->geometry(), twipsToPixels(120 + k * (width + 120), 4305, width, 375));
            }
        }
        // The comment list leaves the button row its room, with one button as with ten.
        if (names > 0)
            QVERIFY(w.controls().lstComment->geometry().bottom() < w.controls().cmd[0]->geometry().top());
        f.saveButtons({"Only"});  // fewer saved later: the surplus hidden and disabled again
        w.GetButtons();
        QVERIFY(w.controls().cmd[0]->isVisible());
        QVERIFY(!w.controls().cmd[1]->isVisible());
        QVERIFY(!w.controls().cmd[9]->isEnabled());
    }

    void theListShowsTheFileToItsLastLine() {
        std::string rows;
        for (int i = 0; i < 500; ++i) {
            logformat::Record r;
            r.fill(logformat::Field::txt("S, one"));
            r[logformat::Comment] = logformat::Field::txt("comment " + std::to_string(i));
            rows += logformat::encodeRow(r) + (i == 250 ? "\"a row cut short\r\n" : "");
        }
        QVERIFY(writeBytes(f.logPath(), kHeader + QByteArray::fromStdString(rows)));
        frmLogger &w = f.load();
        const QStringList lines = f.listLines();
        QCOMPARE(lines.size(), 502);
        QCOMPARE(lines[501], QString("S, one    |    S, one    |    S, one    |    comment 499"));
        QCOMPARE(lines[252], QString("    |        |        |    "));  // the damaged line alone
        QVERIFY(lines[253].endsWith("comment 251"));
        const CommentList *list = w.controls().lstComment;  // the last line selected and in view
        QCOMPARE(w.listIndex(), 501);
        QVERIFY(list->topRow() > 0);
        QVERIFY((502 - list->topRow()) * list->rowHeight() <= list->viewport()->height());
        f.prompts.answerMessage("This file no longer exists.", Prompts::OK);  // the file gone: said, the list as it was
        QVERIFY(QFile::remove(f.logPath()));
        w.GetLogData();
        QCOMPARE(f.prompts.calls.at(0).title, QString("File Not Found"));
        QCOMPARE(f.listLines(), lines);
    }

    void recentFiles() {
        MruList list;  // at most four, the newest first; the same path in other case is one entry
        for (const char *p : {"/a", "/b", "/c", "/d", "/e", "/C"})
            list.AddMRUItem(p);
        QCOMPARE(list.paths(), (QStringList{"/C", "/e", "/d", "/b"}));
        for (const char *name : {"A.csv", "B & C.csv", "C.csv"})
            QVERIFY(writeBytes(f.path(name), ""));
        QVERIFY(mkfifo(QFile::encodeName(f.path("pipe.csv")).constData(), 0600) == 0);
        int key = 0;
        for (const char *name : {"A.csv", "pipe.csv", "B & C.csv", "gone.csv", "C.csv"})
            f.store->SaveSetting("MRUFiles", QString::number(key++), f.path(name));
        f.load();  // a named pipe or a missing file is left out, without waiting
        QCOMPARE(shownRecent(), (QStringList{f.path("A.csv"), f.path("B && C.csv"), f.path("C.csv")}));
        f.c().mnuExit->trigger();
        SettingsStore later;
        QCOMPARE(later.GetSetting("MRUFiles", "1"), f.path("B & C.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "4"), f.path("C.csv"));  // keys above the list's are left
        f.window.reset();
        f.store->DeleteSetting("MRUFiles", "0");  // a gap in the keys ends the list
        frmLogger &w = f.load();
        QMenu *file = w.controls().mnuFile;  // both separators show, next to each other
        file->popup(w.mapToGlobal(QPoint(0, 0)));
        QCOMPARE(shownRecent(), QStringList());
        QVERIFY(!file->actionGeometry(f.c().sep2).isEmpty());
        QVERIFY(!file->actionGeometry(f.c().mnuSep0).isEmpty());
        file->close();
    }

    void newAndOpen() {
        frmLogger &w = f.load();
        // New on a file with rows keeps them, no second header; the dialog opens in the log's folder.
        QVERIFY(QDir().mkpath(f.path("elsewhere")));
        const QString kept = f.path("elsewhere/kept.csv");
        QVERIFY(writeBytes(kept, kHeader + kRow));
        f.prompts.answerFile(kept);
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        QTest::keyClick(w.controls().mnuFile, Qt::Key_N);
        const Prompts::FileDialog asked = f.prompts.lastFileDialog();
        QCOMPARE(asked.kind, Prompts::FileDialog::Kind::Save);
        QCOMPARE(asked.initialName, QString("Usability Test Log.csv"));
        QCOMPARE(asked.directory, f.dir.path());
        QCOMPARE(w.listIndex(), 1);  // the newest line, as at start-up
        QCOMPARE(w.focusWidget(), w.controls().txtComment);
        f.enter("after the old rows");
        QVERIFY(readBytes(kept).startsWith(kHeader + kRow));
        QCOMPARE(f.listLines().size(), 3);
        QCOMPARE(w.windowTitle(), QString("Quorvane - kept.csv"));
        // Open of a new name starts a new log; both are on the recent list, newest first.
        const QString fresh = f.path("Test 1.csv");
        f.prompts.answerFile(fresh);
        w.controls().mnuOpen->trigger();
        QCOMPARE(f.prompts.lastFileDialog().kind, Prompts::FileDialog::Kind::Open);
        QCOMPARE(f.prompts.lastFileDialog().directory, f.path("elsewhere"));
        QCOMPARE(readBytes(fresh), kHeader);
        QCOMPARE(f.listLines().size(), 1);
        QCOMPARE(w.windowTitle(), QString("Quorvane - Test 1.csv"));
        f.prompts.answerFile(kept);  // opened again, a listed file moves to the top
        w.mnuOpen_Click();
        QCOMPARE(shownRecent(), (QStringList{kept, fresh}));
    }

    void switchingStopsARunningTimerOnly_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("paused");
        for (const char *how : {"New", "Open", "recent file"}) {
            QTest::addRow("%s, running", how) << how << false;
            QTest::addRow("%s, paused", how) << how << true;
        }
    }
    void switchingStopsARunningTimerOnly() {
        QFETCH(QString, how);
        QFETCH(bool, paused);
        frmLogger &w = f.load();
        const QString other = f.path("other.csv");
        QVERIFY(writeBytes(other, ""));  // empty: a recent file gets no header row, New and Open do
        w.AddMRUItem(other);
        w.controls().cmbScenarios->setEditText("Checkout");
        QTest::keyClick(&w, Qt::Key_F5);
        if (paused)
            QTest::keyClick(&w, Qt::Key_F6);
        if (how == "recent file") {
            w.controls().mnuMRU[0]->trigger();
        } else {
            f.prompts.answerFile(std::nullopt);  // cancelled: nothing changes
            how == "New" ? w.mnuNew_Click() : w.mnuOpen_Click();
            QCOMPARE(w.windowTitle(), QString("Quorvane"));  // not switched
            QCOMPARE(w.controls().cmdPauseScenario->isEnabled(), !paused);
            f.prompts.answerFile(other);
            how == "New" ? w.mnuNew_Click() : w.mnuOpen_Click();
        }
        QCOMPARE(f.comments().last(), QString(paused ? "***PAUSE" : "***STOP") + " SCENARIO TIMER - Checkout***");
        QCOMPARE(w.windowTitle(), QString("Quorvane - other.csv"));
        QVERIFY(!w.controls().cmdPauseScenario->isEnabled());
        QCOMPARE(w.controls().cmdStopScenario->isEnabled(), paused);
        QCOMPARE(readBytes(other), how == "recent file" ? QByteArray() : kHeader);
    }

    void filesThatAreNoLogs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer");  // to "use it anyway?"; 0: not asked, refused with a message
        QTest::addColumn<QString>("told");
        QTest::newRow("text, not used") << "notes.txt" << int(Prompts::No) << "does not look like a Quorvane log";
        QTest::newRow("text, used") << "notes.txt" << int(Prompts::Yes) << "does not look like a Quorvane log";
        QTest::newRow("a named pipe") << "pipe.csv" << 0 << "This is a named pipe";
        QTest::newRow("a folder's place taken by a file") << "afile/new.csv" << 0 << "Not a directory";
        QTest::newRow("a file that cannot be read") << "/proc/self/mem" << 0 << "Input/output error";
    }
    void filesThatAreNoLogs() {
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(QString, told);
        const QString path = name.startsWith(u'/') ? name : f.dir.filePath(name);
        QVERIFY(name == "pipe.csv" ? mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                                   : writeBytes(answer ? path : f.path("afile"), "Dear diary"));
        frmLogger &w = f.load();
        QTest::keyClick(&w, Qt::Key_F5);
        f.prompts.answerFile(path);
        f.prompts.answerMessage(told, answer ? answer : int(Prompts::OK));
        w.mnuOpen_Click();
        if (answer == Prompts::Yes) {  // shown, and written to only after what it holds
            QCOMPARE(w.windowTitle(), "Quorvane - " + QFileInfo(path).fileName());
            QCOMPARE(f.listLines().size(), 1);
            QCOMPARE(readBytes(path), QByteArray("Dear diary"));
        } else {
            QCOMPARE(w.windowTitle(), QString("Quorvane"));  // not switched
            QVERIFY(w.controls().cmdPauseScenario->isEnabled());  // still running
            QVERIFY(w.recentFiles().paths().isEmpty());
        }
    }

    void deleteAllComments() {
        f.saveButtons({"Error", "Help"});
        frmLogger &w = f.load();
        f.enter("one");
        const QByteArray before = f.logBytes();
        f.prompts.answerMessage("Delete All Comments?", Prompts::Cancel);
        QTest::keyClick(&w, Qt::Key_E, Qt::AltModifier);
        QTest::keyClick(w.controls().mnuEdit, Qt::Key_Up);  // the last item
        QTest::keyClick(w.controls().mnuEdit, Qt::Key_Return);
        QCOMPARE(f.prompts.calls.at(0).defaultButton, int(Prompts::Cancel));  // Enter twice empties nothing
        QCOMPARE(f.logBytes(), before);
        f.saveButtons({"Only"});  // the new header row lists the buttons defined now
        // Another name of the log keeps the old rows: asked first, and No changes nothing.
        QCOMPARE(link(QFile::encodeName(f.logPath()).constData(), QFile::encodeName(f.path("other.csv")).constData()), 0);
        f.prompts.answerMessage("Delete All Comments?", Prompts::OK);
        f.prompts.answerMessage("This log file has 1 other name(s)", Prompts::No);
        w.mnuDeleteAllComments_Click();
        QCOMPARE(f.logBytes(), before);
        QVERIFY(QFile::remove(f.path("other.csv")));
        f.prompts.answerMessage("Delete All Comments?", Prompts::OK);
        w.mnuDeleteAllComments_Click();
        QVERIFY(f.logBytes().contains("\"Comment\",\"Button - Only\",\"Button - \""));
        QCOMPARE(f.logBytes().count("\r\n"), 1);
        QCOMPARE(f.listLines().size(), 1);
    }

    void anotherCopyOnTheSameLog() {
        QVERIFY(writeBytes(f.logPath(), ""));
        logfile::Presence other(QFile::encodeName(f.settings.runtimeDir() + "/quorvane-logs").toStdString(), "other");
        other.announce(QFile::encodeName(f.logPath()).toStdString());
        f.prompts.answerMessage("Another copy of Quorvane is logging to this file too", Prompts::OK);
        f.load();
        // What the other copy writes shows with our next entry: its row, or the log it started afresh.
        const std::string log = QFile::encodeName(f.logPath()).toStdString();
        QVERIFY(logfile::appendRow(log, kRow.toStdString(), logfile::Sync::No).result ==
                logfile::AppendOutcome::Result::Done);
        f.enter("mine");
        QCOMPARE(f.listLines().size(), 3);
        QVERIFY(f.listLines()[1].endsWith("old row"));
        QVERIFY(f.listLines()[2].endsWith("mine"));
        QVERIFY(!logfile::startAfresh(log, kHeader.toStdString()));
        f.enter("mine again");
        QCOMPARE(f.listLines().size(), 2);
        QVERIFY(f.listLines()[1].endsWith("mine again"));
        // Without an entry of ours, within a second: another's row shows, and so does a log another
        // program emptied, which is said; the next entry gives it its header row again.
        QCOMPARE(logfile::appendRow(log, kRow.toStdString(), logfile::Sync::No).result,
                 logfile::AppendOutcome::Result::Done);
        f.tick(1);
        QCOMPARE(f.listLines().size(), 3);
        QVERIFY(f.listLines()[2].endsWith("old row"));
        QVERIFY(writeBytes(f.logPath(), ""));
        f.prompts.answerMessage("made shorter by another program: the list showed 3 lines, the file now holds 0",
                                Prompts::OK);
        f.tick(1);
        QCOMPARE(f.listLines().size(), 0);
        f.enter("after it was emptied");
        QVERIFY(f.logBytes().startsWith(kHeader));
        QCOMPARE(f.comments(), QStringList{"after it was emptied"});
        QCOMPARE(f.listLines().size(), 2);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
