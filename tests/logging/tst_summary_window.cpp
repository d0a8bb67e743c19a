// The session summary window: the figures of a small log in the table, and its export.

#include "FileBytes.h"
#include "ScriptedPrompts.h"
#include "frmSessionSummary.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kLog =
    "\"Date\",\"PC Time\",\"VCR Time\",\"VCR Time In Seconds\",\"Scenario Time\",\"Scenario Time In Seconds\","
    "\"Participant\",\"Scenario\",\"Comment\",\"Button - Error\",\"Button - \",\"Button - \",\"Button - \","
    "\"Button - \",\"Button - \",\"Button - \",\"Button - \",\"Button - \",\"Button - \"\r\n"
    "\"12/05/2026\",\"02:15:07 PM\",\"00:00:00\",0,\"00:00:00\",0,\"P1\",\"Checkout\","
    "\"***START SCENARIO TIMER - Checkout***\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
    "\"12/05/2026\",\"02:16:07 PM\",\"00:01:00\",60,\"00:01:00\",60,\"P1\",\"Checkout\","
    "\"Error\",\"Error\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
    "\"12/05/2026\",\"02:16:30 PM\",90\r\n"
    "\"12/05/2026\",\"02:17:37 PM\",\"00:02:30\",150,\"00:02:30\",150,\"P1\",\"Checkout\","
    "\"***STOP SCENARIO TIMER - Checkout***\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

QStringList rowTexts(const QTableWidget *table, int row) {
    QStringList out;
    for (int c = 0; c < table->columnCount(); ++c)
        out << (table->item(row, c) ? table->item(row, c)->text() : QString());
    return out;
}

}  // namespace

class TestSummaryWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void figuresAndExport() {
        const QString log = dir_.filePath(QStringLiteral("session one.csv"));
        QVERIFY(writeBytes(log, kLog));
        ScriptedPrompts prompts;
        frmSessionSummary window(prompts, log);
        QSignalSpy loaded(&window, &frmSessionSummary::loaded);
        window.show();
        QVERIFY(loaded.wait(10000));
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvane - Session Summary - session one.csv"));
        QVERIFY(window.lblStatus->text().contains(QStringLiteral("1 damaged line was skipped.")));

        const QTableWidget *t = window.grdSummary;
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(rowTexts(t, 0).mid(0, 8),
                 (QStringList{"Scenario", "P1", "Checkout", "150", "00:02:30", "", "0", "1"}));
        QCOMPARE(rowTexts(t, 1).mid(0, 4), (QStringList{"Participant total", "P1", "", "150"}));
        QCOMPARE(rowTexts(t, 2), (QStringList{"Scenario across participants", "", "Checkout", "", "", "", "", "", "1",
                                              "150", "00:02:30", "150", "00:02:30"}));

        const QString out = dir_.filePath(QStringLiteral("summary.csv"));
        prompts.answerFile(out);
        window.cmdExport->click();
        QVERIFY(prompts.calls.last().dialog.kind == Prompts::FileDialog::Kind::Save &&
                prompts.calls.last().dialog.initialName == QStringLiteral("Session Summary.csv"));
        QCOMPARE(readBytes(out), QByteArray::fromStdString(logsummary::exportCsv(window.result().summary)));
        QVERIFY(readBytes(out).contains("\r\n\"Scenario\",\"P1\",\"Checkout\",150,\"00:02:30\",\"\",0,1,"));

        // A file that cannot be written is told, with its name and the system's reason.
        prompts.answerFile(dir_.filePath(QStringLiteral("no folder/summary.csv")));
        prompts.answerMessage(Prompts::OK);
        window.cmdExport->click();
        QVERIFY2(prompts.done(), qPrintable(prompts.report()));
        const QString message = prompts.messageTexts().last();
        QVERIFY(message.contains(QStringLiteral("no folder/summary.csv")) &&
                message.contains(QStringLiteral("No such file or directory")));
    }

    void unreadableFile() {
        ScriptedPrompts prompts;
        frmSessionSummary window(prompts, dir_.filePath(QStringLiteral("missing.csv")));
        QTRY_VERIFY(window.isLoaded());
        QVERIFY(window.lblStatus->text().startsWith(QStringLiteral("This log file cannot be read.")));
        QVERIFY(!window.cmdExport->isEnabled() && window.grdSummary->rowCount() == 0);
    }
};

QTEST_MAIN(TestSummaryWindow)
#include "tst_summary_window.moc"
