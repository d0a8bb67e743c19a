// The summary window's timeline and exports, and File > Export to Spreadsheet: what the observer
// sees and the files written, driven through the prompts and the keys.

#include "tests/support/Harness.h"
#include "tests/support/LogRecords.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/NativePath.h"
#include "ui/TimelineView.h"
#include "windows/SpreadsheetExport.h"
#include "windows/frmSessionSummary.h"

#include <QImage>
#include <QPushButton>
#include <QProgressDialog>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace logformat;

namespace {

std::string entry(const std::string &comment, int seconds, const std::string &pcTime, const std::string &event = {}) {
    Record r;
    r.fill(Field::txt(""));
    r[Date] = Field::txt("12/05/2026");
    r[PCTime] = Field::txt(pcTime);
    r[ScenarioSeconds] = Field::num(seconds);
    r[Participant] = Field::txt("Zürich");
    r[Scenario] = Field::txt("Checkout");
    r[Comment] = Field::txt(comment);
    if (!event.empty())
        r[FirstEventColumn] = Field::txt(event);
    return encodeRow(r);
}

std::string header() { return encodeRow(headerRecord({"Error"})); }

// A run of 60 seconds: a comment at 10, an Error at 20, a pause of 90 seconds at 30.
std::string sessionLog() {
    return header() + entry("***START SCENARIO TIMER - Checkout***", 0, "02:00:00 PM") +
           entry("=1+1 looks for the basket", 10, "02:00:10 PM") + entry("Error", 20, "02:00:20 PM", "Error") +
           entry("***PAUSE SCENARIO TIMER - Checkout***", 30, "02:00:30 PM") +
           entry("***RESUME SCENARIO TIMER - Checkout***", 30, "02:02:00 PM") +
           "a line that is no row\r\n" + entry("***STOP SCENARIO TIMER - Checkout***", 60, "02:02:30 PM");
}

}  // namespace

class TestExports : public QObject {
    Q_OBJECT

    TestFolder dir;
    ScriptedPrompts prompts;
    QString path(const QString &name) const { return dir.path(name); }
    QStringList names() const { return dir.names(); }
    std::unique_ptr<frmSessionSummary> openSummary() {
        auto window = std::make_unique<frmSessionSummary>(prompts, path("log.csv"));
        if (!showActive(window.get()) || !QTest::qWaitFor([&] { return window->isLoaded(); }))
            qFatal("the summary window does not load");
        return window;
    }

private slots:
    void init() {
        prompts.reset();
        dir.empty();
        QVERIFY(writeBytes(path("log.csv"), QByteArray::fromStdString(sessionLog())));
    }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.report())); }

    // The figures observers look for first lead the table, and the timeline shows the run with
    // its marks where they were made, each telling its text when pointed at.
    void theTimelineBelowTheFigures() {
        const auto window = openSummary();
        const QAbstractItemModel *table = window->grdSummary->model();
        QCOMPARE(table->headerData(3, Qt::Horizontal).toString(), QString("Time On Task"));
        QCOMPARE(table->index(0, 4).data().toString(), QString("Done"));
        QCOMPARE(table->index(0, 3).data().toString(), QString("00:01:00"));
        TimelineView *view = window->timeline;
        QVERIFY(view->isVisible());
        QCOMPARE(view->timeline().runs.size(), std::size_t(1));
        const QPoint comment = view->markPosition(0, 0);
        const QPoint error = view->markPosition(0, 1);
        QVERIFY(qAbs(error.x() - comment.x() - 10 * view->scale()) <= 1);
        QCOMPARE(view->toolTipAt(error), QString("0:20 (02:00:20 PM) - Error:\nError"));
        QVERIFY(view->toolTipAt(comment).endsWith("Comment:\n=1+1 looks for the basket"));
        QVERIFY(view->toolTipAt(comment + QPoint(0, 40)).isEmpty());
        // Over the bar between marks: the run, with its pause's length on the clock.
        QVERIFY(view->toolTipAt(comment + QPoint(qRound(45 * view->scale()), 0)).contains("Paused at 0:30 for 1:30"));
        // Zoomed from the keyboard, the marks move apart.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Plus);
        QVERIFY(view->markPosition(0, 1).x() - view->markPosition(0, 0).x() > error.x() - comment.x());
    }

    void marksOfOneSecondAreEachTold() {
        QVERIFY(writeBytes(path("log.csv"),
                           QByteArray::fromStdString(header() + entry("***START SCENARIO TIMER - Checkout***", 0, "") +
                                                     entry("Error", 5, "", "Error") + entry("Lost again", 5, ""))));
        const auto window = openSummary();
        const QString told = window->timeline->toolTipAt(window->timeline->markPosition(0, 0));
        QVERIFY2(told.contains("Error:\nError"), qPrintable(told));
        QVERIFY2(told.contains("Comment:\nLost again"), qPrintable(told));
    }

    void summaryExports_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("a workbook") << "day 1 summary.xlsx" << "" << QByteArray("PK\x03\x04");
        QTest::newRow("CSV when asked for") << "day 1 summary.CSV" << "" << QByteArray("\"Kind\",\"Participant\"");
        QTest::newRow("the log by a hard link") << "hard link.csv" << "this file is a log" << QByteArray();
        QTest::newRow("a named pipe, without waiting") << "pipe.xlsx" << "a named pipe" << QByteArray();
        QTest::newRow("a folder that is not there") << "no folder/summary.xlsx" << "No such file or directory"
                                                    << QByteArray();
    }
    // Export writes the type the name asks for, replaces what it may and tells what it may not.
    void summaryExports() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        QFETCH(QByteArray, starts);
        if (target == "hard link.csv")
            QCOMPARE(::link(toNativePath(path("log.csv")).c_str(), toNativePath(path(target)).c_str()), 0);
        if (target == "pipe.xlsx")
            QCOMPARE(::mkfifo(toNativePath(path(target)).c_str(), 0600), 0);
        const auto window = openSummary();
        prompts.answerFile(path(target));
        if (!message.isEmpty())
            prompts.answerMessage(message, Prompts::OK);
        QTest::keyClick(window->cmdExport, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(prompts.done());
        QCOMPARE(prompts.lastFileDialog().initialName, QString("log summary.xlsx"));
        QCOMPARE(prompts.lastFileDialog().directory, dir.path());
        if (!starts.isEmpty())
            QVERIFY(readBytes(path(target)).startsWith(starts));
        QCOMPARE(readBytes(path("log.csv")), QByteArray::fromStdString(sessionLog()));
        QVERIFY(!names().join(' ').contains(".quorvane-"));
    }

    // The timeline as a picture: every row, as PNG, named after the log.
    void theTimelineAsAPicture() {
        const auto window = openSummary();
        prompts.answerFile(path("timeline.png"));
        QTest::keyClick(window->cmdSaveTimeline, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(prompts.done());
        QCOMPARE(prompts.lastFileDialog().initialName, QString("log timeline.png"));
        const QImage picture(path("timeline.png"));
        QVERIFY(!picture.isNull() && picture.height() > 40 && picture.width() >= 600);
    }

    void logToSpreadsheet_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("beside the log, the entries and the damaged line told")
            << "log.xlsx" << "6 entries on the sheet Log.\n\n1 line of the log is not a whole row";
        QTest::newRow("over the log itself") << "log.csv" << "this file is a log";
        QTest::newRow("a folder") << "folder" << "a folder, a named pipe or a device";
        QTest::newRow("cancelled") << "" << "";
    }
    void logToSpreadsheet() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        prompts.answerFile(target.isEmpty() ? std::nullopt : std::optional<QString>(path(target)));
        if (!message.isEmpty())
            prompts.answerMessage(message, Prompts::OK);
        QWidget parent;
        QVERIFY(showActive(&parent));
        exportLogToSpreadsheet(&parent, prompts, path("log.csv"));
        QCOMPARE(prompts.lastFileDialog().initialName, QString("log.xlsx"));
        QCOMPARE(prompts.lastFileDialog().directory, dir.path());
        QCOMPARE(readBytes(path("log.xlsx")).startsWith("PK"), target == "log.xlsx");
        QCOMPARE(readBytes(path("log.csv")), QByteArray::fromStdString(sessionLog()));
    }

    // A long export shows its progress after half a second; Esc cancels it and leaves nothing.
    void aLongExportIsCancelledByEsc() {
        std::string log = header();
        const std::string row = entry("a comment of an ordinary length, as observers type them", 5, "02:00:00 PM");
        for (int i = 0; i < 400000; ++i)
            log += row;
        QVERIFY(writeBytes(path("log.csv"), QByteArray::fromStdString(log)));
        prompts.answerFile(path("log.xlsx"));
        QWidget parent;
        QVERIFY(showActive(&parent));
        // Looked for while the export runs, as the observer would see it come up.
        bool shown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            if (progress && progress->isActiveWindow() && !shown) {
                shown = true;
                QTest::keyClick(progress, Qt::Key_Escape);
            }
        });
        watch.start(20);
        exportLogToSpreadsheet(&parent, prompts, path("log.csv"));
        QVERIFY(shown);
        QCOMPARE(names(), QStringList{"log.csv"});
    }
};

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
