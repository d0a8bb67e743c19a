// The log file commands of the main window and the recently used files.

#include "LoggerFixture.h"
#include "MruList.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

namespace {
const QByteArray kHeader = QByteArray::fromStdString(columnHeaderRow(EventColumnTitles{}));
const QByteArray kRow = "\"d\",\"t\",\"v\",0,\"s\",0,\"P\",\"S\",\"old row\",,,,,,,,,,\r\n";
}  // namespace

class TestFiles : public QObject {
    Q_OBJECT

    LoggerFixture f;

    static QStringList shownRecent(const frmLogger &w) {
        QStringList out;
        for (QAction *a : w.controls().mnuMRU)
            if (a->isVisible())
                out << a->text();
        return out;
    }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void recentListRules_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a fifth pushes out the oldest")
            << QStringList{"/a", "/b", "/c", "/d", "/e"} << QStringList{"/e", "/d", "/c", "/b"};
        QTest::newRow("a listed one moves to the top")
            << QStringList{"/a", "/b", "/c", "/d", "/b"} << QStringList{"/b", "/d", "/c", "/a"};
        QTest::newRow("same in upper case, new spelling kept")
            << QStringList{"/Logs/Test.csv", "/x", "/logs/test.CSV"} << QStringList{"/logs/test.CSV", "/x"};
    }
    void recentListRules() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        MruList list;
        for (const QString &p : added)
            list.AddMRUItem(p);
        QCOMPARE(list.paths(), expected);
        QCOMPARE(list.MRULastIndex(), expected.size() - 1);
    }

    void recentFilesRestoredAndSaved() {
        for (const char *name : {"A.csv", "B & C.csv", "C.csv"})
            QVERIFY(writeBytes(f.path(name), ""));
        f.store->SaveSetting("MRUFiles", "0", f.path("A.csv"));
        f.store->SaveSetting("MRUFiles", "1", f.path("B & C.csv"));
        f.store->SaveSetting("MRUFiles", "2", f.path("C.csv"));
        frmLogger &w = f.load();
        QCOMPARE(shownRecent(w), (QStringList{f.path("A.csv"), f.path("B && C.csv"), f.path("C.csv")}));
        w.mnuExit_Click();
        SettingsStore later;
        QCOMPARE(later.GetSetting("MRUFiles", "1"), f.path("B & C.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "2"), f.path("C.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "3", "<none>"), QString("<none>"));

        // A deleted file is left out; a gap in the keys ends the list.
        f.window.reset();
        QVERIFY(QFile::remove(f.path("B & C.csv")));
        f.store->SaveSetting("MRUFiles", "4", f.path("A.csv"));
        QCOMPARE(f.load().recentFiles().paths(), (QStringList{f.path("A.csv"), f.path("C.csv")}));
        f.window.reset();
        f.store->DeleteSetting("MRUFiles", "1");
        QCOMPARE(f.load().recentFiles().paths(), QStringList{f.path("A.csv")});
    }

    void newAndOpen() {
        frmLogger &w = f.loadQuiet();
        // New on a file with rows keeps them and gives it no second header.
        const QString kept = f.path("kept.csv");
        QVERIFY(writeBytes(kept, kHeader + kRow));
        f.prompts.answerFile(kept);
        w.controls().mnuNew->trigger();
        const Prompts::FileDialog asked = f.prompts.calls.at(0).dialog;
        QVERIFY(asked.kind == Prompts::FileDialog::Kind::Save && asked.initialName == "Usability Test Log.csv");
        QCOMPARE(f.listLines().size(), 2);
        f.enter("after the old rows");
        QVERIFY(readBytes(kept).startsWith(kHeader + kRow) && readBytes(kept).contains("after the old rows"));
        QCOMPARE(w.windowTitle(), QString("Quorvane - kept.csv"));

        // Open of a new name starts a new log; both are on the recent list, newest first.
        const QString fresh = f.path("Test 1.csv");
        f.prompts.answerFile(fresh);
        w.controls().mnuOpen->trigger();
        QCOMPARE(f.prompts.calls.at(1).dialog.kind, Prompts::FileDialog::Kind::Open);
        QVERIFY(readBytes(fresh).startsWith("\"Date\",\"PC Time\""));
        QVERIFY(f.listLines().size() == 1 && f.window->modVariables.LogFilePath == fresh);
        QCOMPARE(w.windowTitle(), QString("Quorvane - Test 1.csv"));
        QCOMPARE(w.recentFiles().paths(), (QStringList{fresh, kept}));
        f.prompts.answerFile(kept);  // opened again, a listed file moves to the top
        w.mnuOpen_Click();
        QCOMPARE(shownRecent(w), (QStringList{kept, fresh}));
    }

    void switchingStopsARunningScenarioTimer() {
        frmLogger &w = f.loadQuiet();
        w.controls().cmbScenarios->setEditText("Checkout");
        w.cmdStartScenario_Click();
        const QByteArray before = f.logBytes();
        f.prompts.answerFile(std::nullopt);  // cancelled: the timer runs on, nothing written
        w.mnuOpen_Click();
        QVERIFY(f.window->modVariables.ScenarioTimerRunning && f.logBytes() == before);
        const QString other = f.path("other.csv");
        f.prompts.answerFile(other);
        w.mnuOpen_Click();
        QVERIFY(!f.window->modVariables.ScenarioTimerRunning);
        QCOMPARE(f.comments().last(), QString("***STOP SCENARIO TIMER - Checkout***"));
        QCOMPARE(readBytes(other).count("\r\n"), 1);
    }

    void aFileThatCannotBeUsedLeavesTheCurrentOne() {
        frmLogger &w = f.loadQuiet();
        f.enter("one");
        w.setLogFileCaption();
        w.cmdStartScenario_Click();
        const QString title = w.windowTitle();
        const QStringList lines = f.listLines();
        QVERIFY(writeBytes(f.path("afile"), ""));
        f.prompts.answerFile(f.path("afile/new.csv"));
        f.prompts.answerMessage(Prompts::OK);
        w.mnuNew_Click();
        QCOMPARE(f.prompts.calls.at(1).text, QString("The following error occured:\n\nError number:  53\nError generated "
                                                     "by: Quorvane\nError description: Not a directory"));
        QVERIFY(f.window->modVariables.LogFilePath == f.logPath() && w.windowTitle() == title && f.listLines() == lines);
        QVERIFY(w.recentFiles().paths().isEmpty() && f.window->modVariables.ScenarioTimerRunning);
    }

    void recentFileChosen() {
        frmLogger &w = f.loadQuiet();
        const QString a = f.path("a.csv"), gone = f.path("gone.csv");
        QVERIFY(writeBytes(a, kHeader + kRow) && writeBytes(gone, ""));
        w.AddMRUItem(gone);
        w.AddMRUItem(a);
        QVERIFY(QFile::remove(gone));
        w.setLogFileCaption();
        w.cmdStartScenario_Click();
        const QString title = w.windowTitle();
        const QStringList lines = f.listLines();
        // Gone: said, and the current file stays in use with its timer.
        f.prompts.answerMessage(Prompts::OK);
        w.controls().mnuMRU[1]->trigger();
        QVERIFY(f.prompts.calls.at(0).text == "This file no longer exists." && f.prompts.calls[0].title == "File Not Found");
        QVERIFY(f.window->modVariables.LogFilePath == f.logPath() && w.windowTitle() == title && f.listLines() == lines);
        QVERIFY(f.window->modVariables.ScenarioTimerRunning);
        // There: the timer's STOP goes to the old file, then the chosen file is shown, order kept.
        w.controls().mnuMRU[0]->trigger();
        QCOMPARE(f.comments().last(), QString("***STOP SCENARIO TIMER - ***"));
        QVERIFY(f.window->modVariables.LogFilePath == a && f.listLines().size() == 2);
        QCOMPARE(w.windowTitle(), QString("Quorvane - a.csv"));
        QCOMPARE(w.recentFiles().paths(), (QStringList{a, gone}));
    }

    void deleteAllComments() {
        f.saveButtons({"Error", "Help"});
        frmLogger &w = f.loadQuiet();
        f.enter("one");
        const QByteArray before = f.logBytes();
        f.prompts.answerMessage(Prompts::Cancel);
        w.controls().mnuDeleteAllComments->trigger();
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY(asked.text == "Are you sure you want to permanently delete all comments?" &&
                asked.title == "Delete All Comments?" && asked.buttons == Prompts::Buttons::OkCancel);
        QCOMPARE(f.logBytes(), before);
        // The new header row lists the buttons defined now.
        f.saveButtons({"Only"});
        f.prompts.answerMessage(Prompts::OK);
        w.mnuDeleteAllComments_Click();
        QCOMPARE(f.logBytes(), QByteArray(columnHeaderRow(eventColumnTitles(*f.store)).c_str()));
        QVERIFY(f.logBytes().contains("\"Button - Only\",\"Button - \"") && f.listLines().size() == 1);
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
