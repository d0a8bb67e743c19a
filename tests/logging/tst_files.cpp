// The log file commands of the main window and the recently used files.

#include "FileBytes.h"
#include "LoggerFixture.h"
#include "MruList.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>

namespace {

const QByteArray kRow = "\"d\",\"t\",\"v\",0,\"s\",0,\"P\",\"S\",\"old row\",,,,,,,,,,\r\n";

}  // namespace

class TestFiles : public QObject {
    Q_OBJECT

    LoggerFixture f;

    QString path(const char *name) const { return f.dir.filePath(QString::fromUtf8(name)); }
    QStringList shownRecent(const frmLogger &w) const {
        QStringList out;
        for (QAction *a : w.controls().mnuMRU)
            if (a->isVisible())
                out << a->text();
        return out;
    }
    frmLogger &window() {
        f.store->SaveSetting("Reminders", "Scenario Reminder", "0");
        f.store->SaveSetting("Reminders", "VCR Reminder", "0");
        return f.load();
    }
    void enter(frmLogger &w, const QString &text) {
        w.controls().txtComment->setText(text);
        w.cmdEnter_Click();
    }

private slots:
    void init() { f.reset(); }
    void cleanup() {
        QVERIFY2(f.prompts.done(), qPrintable(f.prompts.report()));
        f.window.reset();
    }

    void recentListRules_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first") << QStringList{"/a", "/b", "/c"} << QStringList{"/c", "/b", "/a"};
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
        QCOMPARE(list.MRULastIndex(), -1);
        for (const QString &p : added)
            list.AddMRUItem(p);
        QCOMPARE(list.paths(), expected);
        QCOMPARE(list.MRULastIndex(), expected.size() - 1);
        QCOMPARE(list.FindMRUItem(expected.last().toUpper()), expected.size() - 1);
    }

    void recentFilesRestoredAndSaved() {
        for (const char *name : {"A.csv", "B & C.csv", "C.csv"})
            QVERIFY(writeBytes(path(name), ""));
        f.store->SaveSetting("MRUFiles", "0", path("A.csv"));
        f.store->SaveSetting("MRUFiles", "1", path("B & C.csv"));
        f.store->SaveSetting("MRUFiles", "2", path("C.csv"));
        frmLogger &w = window();
        QCOMPARE(shownRecent(w), (QStringList{path("A.csv"), path("B && C.csv"), path("C.csv")}));
        QCOMPARE(w.MRULastIndex(), 2);
        w.mnuExit_Click();
        SettingsStore later;
        QCOMPARE(later.GetSetting("MRUFiles", "0"), path("A.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "1"), path("B & C.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "2"), path("C.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "3", "<none>"), QString("<none>"));
    }

    void recentFilesSkipMissingAndStopAtAGap() {
        QVERIFY(writeBytes(path("A.csv"), ""));
        QVERIFY(writeBytes(path("C.csv"), ""));
        f.store->SaveSetting("MRUFiles", "0", path("A.csv"));
        f.store->SaveSetting("MRUFiles", "1", path("B.csv"));  // its file is gone
        f.store->SaveSetting("MRUFiles", "2", path("C.csv"));
        f.store->SaveSetting("MRUFiles", "4", path("A.csv"));  // after a gap
        frmLogger &w = window();
        QCOMPARE(w.recentFiles().paths(), (QStringList{path("A.csv"), path("C.csv")}));

        f.window.reset();
        f.store->DeleteSetting("MRUFiles", "1");
        QCOMPARE(window().recentFiles().paths(), QStringList{path("A.csv")});
    }

    void newAndOpen() {
        frmLogger &w = window();
        // New on a file with rows keeps them, and gives it no second header.
        const QString kept = path("kept.csv");
        QVERIFY(writeBytes(kept, "\"Date\"" + QByteArray(",\"x\"").repeated(18) + "\r\n" + kRow));
        f.prompts.answerFile(kept);
        w.controls().mnuNew->trigger();
        QCOMPARE(f.prompts.calls[0].dialog.kind, Prompts::FileDialog::Kind::Save);
        QCOMPARE(f.prompts.calls[0].dialog.initialName, QString("Usability Test Log.csv"));
        QCOMPARE(f.listLines().size(), 2);
        enter(w, "after the old rows");
        QVERIFY(readBytes(kept).endsWith("\"after the old rows\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        QCOMPARE(readBytes(kept).count("\"Date\""), 1);
        QCOMPARE(w.windowTitle(), QString("Quorvane - kept.csv"));

        // Open of a new name starts a new log; both files are on the recent list, newest first.
        const QString fresh = path("Test 1.csv");
        f.prompts.answerFile(fresh);
        w.controls().mnuOpen->trigger();
        QCOMPARE(f.prompts.calls[1].dialog.kind, Prompts::FileDialog::Kind::Open);
        QVERIFY(readBytes(fresh).startsWith("\"Date\",\"PC Time\""));
        QCOMPARE(f.listLines().size(), 1);
        QCOMPARE(modVariables.LogFilePath, fresh);
        QCOMPARE(w.windowTitle(), QString("Quorvane - Test 1.csv"));
        QCOMPARE(w.recentFiles().paths(), (QStringList{fresh, kept}));

        // Opened again, a listed file moves to the top.
        f.prompts.answerFile(kept);
        w.controls().mnuOpen->trigger();
        QCOMPARE(shownRecent(w), (QStringList{kept, fresh}));
    }

    void switchingStopsARunningScenarioTimer() {
        frmLogger &w = window();
        w.controls().cmbScenarios->setEditText("Checkout");
        w.cmdStartScenario_Click();
        // Cancelled: the timer runs on and nothing is written.
        const QByteArray before = f.logBytes();
        f.prompts.answerFile(std::nullopt);
        w.mnuOpen_Click();
        QVERIFY(modVariables.ScenarioTimerRunning);
        QCOMPARE(f.logBytes(), before);

        const QString other = path("other.csv");
        f.prompts.answerFile(other);
        w.mnuOpen_Click();
        QVERIFY(!modVariables.ScenarioTimerRunning);
        QVERIFY(f.logBytes().endsWith("\"***STOP SCENARIO TIMER - Checkout***\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        QCOMPARE(readBytes(other).count("\r\n"), 1);
    }

    void aFileThatCannotBeUsedLeavesTheCurrentOne() {
        frmLogger &w = window();
        enter(w, "one");
        w.setLogFileCaption();
        w.cmdStartScenario_Click();
        const QString title = w.windowTitle();
        const QStringList lines = f.listLines();
        QVERIFY(writeBytes(path("afile"), ""));
        f.prompts.answerFile(path("afile/new.csv"));
        f.prompts.answerMessage(Prompts::OK);
        w.mnuNew_Click();
        QCOMPARE(f.prompts.calls[1].text,
                 QString("The following error occured:\n\nError number:  53\nError generated by: Quorvane\n"
                         "Error description: Not a directory"));
        QCOMPARE(modVariables.LogFilePath, f.logPath());
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(f.listLines(), lines);
        QVERIFY(w.recentFiles().paths().isEmpty());
        QVERIFY(modVariables.ScenarioTimerRunning);
    }

    void recentFileChosen() {
        frmLogger &w = window();
        const QString a = path("a.csv"), gone = path("gone.csv");
        QVERIFY(writeBytes(a, "\"Date\"" + QByteArray(",\"x\"").repeated(18) + "\r\n" + kRow));
        QVERIFY(writeBytes(gone, ""));
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
        QCOMPARE(f.prompts.calls[0].text, QString("This file no longer exists."));
        QCOMPARE(f.prompts.calls[0].title, QString("File Not Found"));
        QCOMPARE(modVariables.LogFilePath, f.logPath());
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(f.listLines(), lines);
        QVERIFY(modVariables.ScenarioTimerRunning);

        // There: the timer's STOP goes to the old file, then the chosen file is shown, order kept.
        w.controls().mnuMRU[0]->trigger();
        QVERIFY(f.logBytes().contains("***STOP SCENARIO TIMER - ***"));
        QCOMPARE(modVariables.LogFilePath, a);
        QCOMPARE(f.listLines().size(), 2);
        QCOMPARE(w.windowTitle(), QString("Quorvane - a.csv"));
        QCOMPARE(w.recentFiles().paths(), (QStringList{a, gone}));
    }

    void deleteAllComments() {
        f.saveButtons({"Error", "Help"});
        frmLogger &w = window();
        enter(w, "one");
        enter(w, "two");
        const QByteArray before = f.logBytes();

        f.prompts.answerMessage(Prompts::Cancel);
        w.controls().mnuDeleteAllComments->trigger();
        const ScriptedPrompts::Call &asked = f.prompts.calls[0];
        QCOMPARE(asked.text, QString("Are you sure you want to permanently delete all comments?"));
        QCOMPARE(asked.title, QString("Delete All Comments?"));
        QCOMPARE(asked.buttons, Prompts::Buttons::OkCancel);
        QCOMPARE(f.logBytes(), before);
        QCOMPARE(f.listLines().size(), 3);

        // The header row lists the buttons defined now.
        f.saveButtons({"Only"});
        f.prompts.answerMessage(Prompts::OK);
        w.mnuDeleteAllComments_Click();
        QCOMPARE(f.logBytes(), QByteArray(columnHeaderRow(eventColumnTitles(*f.store)).c_str()));
        QVERIFY(f.logBytes().contains("\"Button - Only\",\"Button - \""));
        QCOMPARE(f.listLines().size(), 1);
        QCOMPARE(w.PromptAnswer, int(Prompts::OK));

        // When the file cannot be replaced the observer is told and it stays as it was.
        enter(w, "three");
        const QByteArray kept = f.logBytes();
        QVERIFY(QDir().mkpath(f.logPath() + ".bak"));
        f.prompts.answerMessage(Prompts::OK);
        f.prompts.answerMessage(Prompts::OK);
        w.mnuDeleteAllComments_Click();
        QVERIFY(f.prompts.messageTexts().last().startsWith("The comments could not be deleted"));
        QCOMPARE(f.logBytes(), kept);
        QCOMPARE(f.listLines().size(), 2);
        QVERIFY(QDir(f.logPath() + ".bak").removeRecursively());
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
