// The session summary: time on task, counts and statistics worked out from real log bytes.

#include "FileBytes.h"
#include "SessionSummary.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace logformat;

namespace {

// One log row from "participant|scenario|seconds|comment". A comment "!START" (RESUME, PAUSE,
// STOP) is that timer marker for the row's scenario; "#3=Error" is a press of the event button
// at position 3 named Error. Seconds that are not a number are written as text; none, as nothing.
std::string row(const QString &spec) {
    const QStringList f = spec.split(QLatin1Char('|'));
    Record r;
    r.fill(Field::txt(""));  // the clock columns play no part
    r[Date] = Field::txt("12/05/2026");
    bool isNumber = false;
    const double seconds = f[2].toDouble(&isNumber);
    r[ScenarioSeconds] = f[2].isEmpty() ? Field::none() : isNumber ? Field::num(seconds) : Field::txt(f[2].toStdString());
    r[Participant] = Field::txt(f[0].toStdString());
    r[Scenario] = Field::txt(f[1].toStdString());
    QString comment = f[3];
    if (comment.startsWith(QLatin1Char('!')))
        comment = "***" + comment.mid(1) + " SCENARIO TIMER - " + f[1] + "***";
    if (comment.startsWith(QLatin1Char('#'))) {
        const int at = comment.mid(1, 1).toInt();
        comment = comment.mid(3);
        r[FirstEventColumn + std::size_t(at)] = Field::txt(comment.toStdString());
    }
    r[Comment] = Field::txt(comment.toStdString());
    return encodeRow(r);
}

std::string headerRow(const QStringList &buttons = {}) {
    Record r;
    r.fill(Field::txt("Title"));  // only Date's title and the buttons' matter
    r[Date] = Field::txt("Date");
    for (std::size_t i = 0; i < kEventColumnCount; ++i)
        r[FirstEventColumn + i] = Field::txt("Button - " + buttons.value(int(i)).toStdString());
    return encodeRow(r);
}

// "participant|scenario|seconds|not stopped|comments" per group.
QStringList groupLines(const logsummary::Summary &s) {
    QStringList out;
    for (const logsummary::Group &g : s.groups)
        out << QStringLiteral("%1|%2|%3|%4|%5")
                   .arg(QString::fromStdString(g.participant), QString::fromStdString(g.scenario))
                   .arg(g.figures.seconds)
                   .arg(g.figures.notStopped ? "not stopped" : "")
                   .arg(g.figures.comments);
    return out;
}

}  // namespace

class TestSummary : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    logsummary::FileSummary summarise(const std::string &bytes) {
        const QString path = dir_.filePath(QStringLiteral("log.csv"));
        if (!writeBytes(path, QByteArray::fromStdString(bytes)))
            qFatal("cannot write the test log");
        return logsummary::summariseFile(path.toStdString());
    }
    logsummary::Summary summariseRows(const QStringList &specs, bool header = true) {
        std::string bytes = header ? headerRow() : std::string();
        for (const QString &spec : specs)
            bytes += row(spec);
        return summarise(bytes).summary;
    }

private slots:
    void timeOnTask_data() {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("pauses and resumes")
            << QStringList{"P1|Checkout|0|!START", "P1|Checkout|30|looks", "P1|Checkout|40|!PAUSE",
                           "P1|Checkout|40|while paused", "P1|Checkout|40|!RESUME", "P1|Checkout|70|!PAUSE",
                           "P1|Checkout|70|!RESUME", "P1|Checkout|100|!STOP"}
            << QStringList{"P1|Checkout|100||2"};
        QTest::newRow("a stop without a start; a resume with nothing open opens a run")
            << QStringList{"P1|S|55|!STOP", "P1|S|40|!RESUME", "P1|S|55|!STOP", "P1|S|60|!PAUSE"}
            << QStringList{"P1|S|15||0"};
        QTest::newRow("not stopped at the end: up to the last row")
            << QStringList{"P1|Checkout|0|!START", "P1|Checkout|15|a", "P1|Checkout|42|b"}
            << QStringList{"P1|Checkout|42|not stopped|2"};
        QTest::newRow("not stopped before the next START")
            << QStringList{"P1|Checkout|0|!START", "P1|Checkout|25|a", "P1|Search|0|!START", "P1|Search|10|!STOP"}
            << QStringList{"P1|Checkout|25|not stopped|1", "P1|Search|10||0"};
        QTest::newRow("paused, then the next START: the paused time stands")
            << QStringList{"P1|S|0|!START", "P1|S|30|!PAUSE", "P1|S|0|!START", "P1|S|5|!STOP"}
            << QStringList{"P1|S|35||0"};
        QTest::newRow("credited to the group that started the run")
            << QStringList{"P1|Checkout|0|!START", "P2|Checkout|10|other participant", "P2|Checkout|20|!STOP"}
            << QStringList{"P1|Checkout|20||0", "P2|Checkout|0||1"};
        QTest::newRow("no markers") << QStringList{"P1|Checkout|0|a", "P2|Checkout|9|b", "P1|Checkout|4|c"}
                                    << QStringList{"P1|Checkout|0||2", "P2|Checkout|0||1"};
        QTest::newRow("empty scenario name and participant")
            << QStringList{"||0|!START", "||12|!PAUSE", "|Checkout|3|c"} << QStringList{"||12||0", "|Checkout|0||1"};
        QTest::newRow("scenario name with a comma")
            << QStringList{"P1|Search, then buy|0|!START", "P1|Search, then buy|61|!STOP"}
            << QStringList{"P1|Search, then buy|61||0"};
        QTest::newRow("seconds missing or text count as 0, never below")
            << QStringList{"P1|S|10|!START", "P1|S||!PAUSE", "P1|S|abc|!RESUME", "P1|S|7|!STOP"}
            << QStringList{"P1|S|7||0"};
        QTest::newRow("without a header row")
            << QStringList{"P1|Checkout|0|!START", "P1|Checkout|9|!STOP"} << QStringList{"P1|Checkout|9||0"};
    }
    void timeOnTask() {
        QFETCH(QStringList, log);
        QFETCH(QStringList, groups);
        const bool header = QByteArray(QTest::currentDataTag()) != "without a header row";
        const logsummary::Summary s = summariseRows(log, header);
        QCOMPARE(groupLines(s), groups);
        QCOMPARE(s.hasHeader, header);
        QVERIFY(s.rows == log.size() && s.damagedLines == 0);
    }

    void participantsAndScenarios() {
        const logsummary::Summary s = summariseRows(
            {"P1|Checkout|0|!START", "P1|Checkout|100|!STOP", "P1|Search|0|!START", "P1|Search|10|!STOP",
             "P2|Checkout|0|!START", "P2|Checkout|60|!STOP", "P2|Search|0|!START", "P2|Search|30|!STOP",
             "P3|Checkout|0|!START", "P3|Checkout|30|!STOP", "P3|Search|0|!START", "P3|Search|0|!STOP",
             "P4|Checkout|5|only a comment", "P1|Checkout|7|late note"});
        QCOMPARE(s.participants.size(), std::size_t(4));
        QVERIFY(s.participants[0].participant == "P1" && s.participants[0].figures.seconds == 110);
        QVERIFY(s.participants[0].figures.comments == 1 && s.participants[3].figures.seconds == 0);
        // P4 only commented on Checkout: not timed, left out; P3 timed Search at 0: counted.
        QCOMPARE(s.scenarios.size(), std::size_t(2));
        const logsummary::ScenarioStats &checkout = s.scenarios[0], &search = s.scenarios[1];
        QVERIFY(checkout.scenario == "Checkout" && checkout.participants == 3 && search.participants == 3);
        QCOMPARE(checkout.mean, 190.0 / 3);
        QCOMPARE(checkout.median, 60.0);
        QCOMPARE(search.median, 10.0);
        // An even count: the mean of the middle two.
        QCOMPARE(summariseRows({"A|S|0|!START", "A|S|10|!STOP", "B|S|0|!START", "B|S|25|!STOP"}).scenarios[0].median,
                 17.5);
    }

    void eventCounts() {
        const std::string bytes = headerRow({"Error", "", "Help Used"}) +
                                  row("P1|Checkout|0|#0=Error") + row("P1|Checkout|0|#2=Help Used") +
                                  row("P1|Checkout|0|#0=Error") + row("P1|Checkout|0|#1=Ghost") +
                                  row("P1|Checkout|0|Error") + row("P2|Checkout|0|#2=Help Used");
        const logsummary::Summary s = summarise(bytes).summary;
        // A button set up after the log was started has no title in its header: its presses name it.
        QCOMPARE(s.eventTitles, (std::vector<std::string>{"Button - Error", "Button - Help Used", "Button - Ghost"}));
        QCOMPARE(s.groups[0].figures.events, (std::vector<long long>{2, 1, 1}));
        // A typed "Error" with no column is a comment.
        QCOMPARE(s.groups[0].figures.comments, 1);
        QCOMPARE(s.participants[1].figures.events, (std::vector<long long>{0, 1, 0}));
    }

    void unusualFiles() {
        const std::string header = headerRow({"Error"});
        const logsummary::FileSummary only = summarise(header);
        QVERIFY(!only.openError && !only.readError && only.summary.hasHeader && only.summary.rows == 0);
        QVERIFY(only.summary.groups.empty() && only.summary.scenarios.empty());

        // A line short of fields in the middle is skipped and counted; the run around it still counts.
        const std::string damaged = header + row("P1|Checkout|0|!START") + "\"12/05/2026\",\"02:15:07 PM\",754\r\n" +
                                    row("P1|Checkout|20|after") + row("P1|Checkout|30|!STOP");
        const logsummary::Summary s = summarise(damaged).summary;
        QCOMPARE(s.damagedLines, 1);
        QCOMPARE(groupLines(s), QStringList{"P1|Checkout|30||1"});

        QCOMPARE(logsummary::summariseFile(dir_.filePath("missing.csv").toStdString()).openError.code,
                 logfile::kNotFoundCode);
    }

    void exportBytes() {
        logsummary::Summary s;
        s.eventTitles = {"Button - Error"};
        s.groups = {{"Ann \"Mac\"", "Search, then buy", {97263, true, true, 2, {3}}},
                    {"Ann \"Mac\"", "", {0, false, false, 1, {0}}}};
        s.participants = {{"Ann \"Mac\"", {97263, true, true, 3, {3}}}};
        s.scenarios = {{"Search, then buy", 1, 97263, 97263}, {"", 0, 0, 0}};
        s.scenarios[0].mean = 190.0 / 3;
        QCOMPARE(logsummary::exportCsv(s),
                 std::string("\"Kind\",\"Participant\",\"Scenario\",\"Time On Task In Seconds\",\"Time On Task\","
                             "\"Not Stopped\",\"Comments\",\"Button - Error\",\"Participants Timed\","
                             "\"Mean Time On Task In Seconds\",\"Mean Time On Task\","
                             "\"Median Time On Task In Seconds\",\"Median Time On Task\"\r\n"
                             "\"Scenario\",\"Ann 'Mac'\",\"Search, then buy\",97263,\"27:01:03\",\"Not stopped\",2,3"
                             ",,,,,\r\n"
                             "\"Scenario\",\"Ann 'Mac'\",\"\",0,\"00:00:00\",\"\",1,0,,,,,\r\n"
                             "\"Participant total\",\"Ann 'Mac'\",,97263,\"27:01:03\",\"Not stopped\",3,3,,,,,\r\n"
                             "\"Scenario across participants\",,\"Search, then buy\",,,,,,1,63.33,\"00:01:03\","
                             "97263,\"27:01:03\"\r\n"
                             "\"Scenario across participants\",,\"\",,,,,,0,,,,\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSummary)
#include "tst_summary.moc"
