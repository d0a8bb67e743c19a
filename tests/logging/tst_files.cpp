// The main window's log file commands, the recently used files, and files that are no logs.

#include "LoggerFixture.h"
#include "MruList.h"
#include "WriteColumnHeader.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <sys/stat.h>

namespace {
// The header row of a log started with no event buttons.
const QByteArray kHeader = [] {
    EventColumnTitles titles;
    titles.fill(QStringLiteral("Button - "));
    return QByteArray::fromStdString(columnHeaderRow(titles));
}();
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
    }

    void recentFilesRestoredAndSaved() {
        for (const char *name : {"A.csv", "B & C.csv", "C.csv"})
            QVERIFY(writeBytes(f.path(name), ""));
        QVERIFY(mkfifo(QFile::encodeName(f.path("pipe.csv")).constData(), 0600) == 0);
        int key = 0;
        for (const char *name : {"A.csv", "pipe.csv", "B & C.csv", "gone.csv", "C.csv"})
            f.store->SaveSetting("MRUFiles", QString::number(key++), f.path(name));
        frmLogger &w = f.load();  // a named pipe or a missing file is left out, without waiting
        QCOMPARE(shownRecent(w), (QStringList{f.path("A.csv"), f.path("B && C.csv"), f.path("C.csv")}));
        // Both separators show, next to each other when nothing is listed.
        w.controls().mnuExit->trigger();
        SettingsStore later;
        QVERIFY(later.GetSetting("MRUFiles", "1") == f.path("B & C.csv") && later.GetSetting("MRUFiles", "2") == f.path("C.csv"));
        QCOMPARE(later.GetSetting("MRUFiles", "4"), f.path("C.csv"));  // keys above the list stay as they were
        f.window.reset();
        f.store->DeleteSetting("MRUFiles", "0");  // a gap in the keys ends the list
        frmLogger &empty = f.load();
        QMenu *file = empty.controls().mnuFile;
        file->popup(empty.mapToGlobal(QPoint(0, 0)));
        QVERIFY(!file->actionGeometry(empty.controls().sep2).isEmpty() && !file->actionGeometry(empty.controls().mnuSep0).isEmpty());
        file->close();
    }

    void newAndOpen() {
        frmLogger &w = f.load();
        // New on a file with rows keeps them and gives it no second header; the dialog opens in
        // the current log's folder.
        QVERIFY(QDir().mkpath(f.path("elsewhere")));
        const QString kept = f.path("elsewhere/kept.csv");
        QVERIFY(writeBytes(kept, kHeader + kRow));
        f.prompts.answerFile(kept);
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        QTest::keyClick(w.controls().mnuFile, Qt::Key_N);
        const Prompts::FileDialog asked = f.prompts.calls.at(0).dialog;
        QVERIFY(asked.kind == Prompts::FileDialog::Kind::Save && asked.initialName == "Usability Test Log.csv" &&
                asked.directory == f.dir.path());
        f.enter("after the old rows");
        QVERIFY(readBytes(kept).startsWith(kHeader + kRow) && readBytes(kept).contains("after the old rows"));
        QVERIFY(f.listLines().size() == 3 && w.windowTitle() == "Quorvane - kept.csv");
        // Open of a new name starts a new log; both are on the recent list, newest first.
        const QString fresh = f.path("Test 1.csv");
        f.prompts.answerFile(fresh);
        w.controls().mnuOpen->trigger();
        QVERIFY(f.prompts.calls.at(1).dialog.kind == Prompts::FileDialog::Kind::Open &&
                f.prompts.calls.at(1).dialog.directory == f.path("elsewhere"));
        QVERIFY(readBytes(fresh) == kHeader && f.listLines().size() == 1 && w.modVariables.LogFilePath == fresh);
        QCOMPARE(w.windowTitle(), QString("Quorvane - Test 1.csv"));
        QCOMPARE(w.recentFiles().paths(), (QStringList{fresh, kept}));
        f.prompts.answerFile(kept);  // opened again, a listed file moves to the top
        w.mnuOpen_Click();
        QCOMPARE(shownRecent(w), (QStringList{kept, fresh}));
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
            QVERIFY(w.modVariables.LogFilePath == f.logPath() && w.modVariables.ScenarioTimerRunning != paused);
            f.prompts.answerFile(other);
            how == "New" ? w.mnuNew_Click() : w.mnuOpen_Click();
        }
        QCOMPARE(w.modVariables.LogFilePath, other);
        QCOMPARE(f.comments().last(), paused ? QString("***PAUSE SCENARIO TIMER - Checkout***")
                                             : QString("***STOP SCENARIO TIMER - Checkout***"));
        QVERIFY(!w.modVariables.ScenarioTimerRunning && w.controls().cmdStopScenario->isEnabled() == paused);
        QCOMPARE(readBytes(other), how == "recent file" ? QByteArray() : kHeader);
    }

    void filesThatAreNoLogs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("answer");  // to "use it anyway?"; 0: not asked, refused with a message
        QTest::newRow("text, not used") << "notes.txt" << QByteArray("Dear diary,\nit rained.\n") << int(Prompts::No);
        QTest::newRow("text, used") << "notes.txt" << QByteArray("Dear diary,\nit rained.\n") << int(Prompts::Yes);
        QTest::newRow("a named pipe") << "pipe.csv" << QByteArray() << 0;
        QTest::newRow("a folder's place taken by a file") << "afile/new.csv" << QByteArray() << 0;
    }
    void filesThatAreNoLogs() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, answer);
        const QString path = f.dir.filePath(name);
        if (name == "pipe.csv")
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else if (!bytes.isEmpty())
            QVERIFY(writeBytes(path, bytes));
        else
            QVERIFY(writeBytes(f.path("afile"), ""));
        frmLogger &w = f.load();
        QTest::keyClick(&w, Qt::Key_F5);
        const QStringList lines = f.listLines();
        f.prompts.answerFile(path);
        f.prompts.answerMessage(answer ? answer : int(Prompts::OK));
        w.mnuOpen_Click();
        const QString told = f.prompts.calls.at(1).text;
        QVERIFY2(answer ? told.contains("does not look like a Quorvane log") : told.startsWith("The following error"),
                 qPrintable(told));
        QCOMPARE(w.modVariables.LogFilePath, answer == Prompts::Yes ? path : f.logPath());
        if (answer == Prompts::Yes) {  // shown, and written to only after what it holds
            QVERIFY(f.listLines().size() == 2 && readBytes(path) == bytes);
            return;
        }
        QVERIFY(f.listLines() == lines && w.modVariables.ScenarioTimerRunning && w.recentFiles().paths().isEmpty());
    }

    void deleteAllComments() {
        f.saveButtons({"Error", "Help"});
        frmLogger &w = f.load();
        f.enter("one");
        const QByteArray before = f.logBytes();
        f.prompts.answerMessage(Prompts::Cancel);
        QTest::keyClick(&w, Qt::Key_E, Qt::AltModifier);
        QTest::keyClick(w.controls().mnuEdit, Qt::Key_Down);
        QTest::keyClick(w.controls().mnuEdit, Qt::Key_Return);
        const ScriptedPrompts::Call asked = f.prompts.calls.at(0);
        QVERIFY(asked.text == "Are you sure you want to permanently delete all comments?" &&
                asked.title == "Delete All Comments?" && asked.buttons == Prompts::Buttons::OkCancel);
        QCOMPARE(f.logBytes(), before);
        // The new header row lists the buttons defined now.
        f.saveButtons({"Only"});
        f.prompts.answerMessage(Prompts::OK);
        w.mnuDeleteAllComments_Click();
        QVERIFY(f.logBytes().contains("\"Comment\",\"Button - Only\",\"Button - \"") && f.logBytes().count("\r\n") == 1);
        QCOMPARE(f.listLines().size(), 1);
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
