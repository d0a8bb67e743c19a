// The session summary: time on task, counts and statistics worked out from real log bytes.

#include "core/summary.h"
#include "core/timeline.h"
#include "tests/support/Harness.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace logformat;

namespace {

// One log row from "participant|scenario|seconds|comment[|PC time]". A comment "!START" (RESUME,
// PAUSE, STOP) is that timer marker for the row's scenario; "#3=Error" is a press of the event
// button at position 3 named Error. Seconds that are not a number are written as text; none, as
// nothing.
std::string row(const QString &shorthand) {
    const QStringList f = shorthand.split(QLatin1Char('|'));
    Record r;
    r.fill(Field::txt(""));  // the clock columns play no part but in a pause's length
    r[PCTime] = Field::txt(f.value(4).toStdString());
    bool isNumber = false;
    const double seconds = f[2].toDouble(&isNumber);
    r[ScenarioSeconds] = f[2].isEmpty() ? Field::none()
                         : isNumber     ? Field::num(seconds)
                                        : Field::txt(f[2].toStdString());
    r[Participant] = Field::txt(f[0].toStdString());
    r[Scenario] = Field::txt(f[1].toStdString());
    QString comment = f[3];
    if (comment.startsWith(QLatin1Char('!')))
        comment = "***" + comment.mid(1) + " SCENARIO TIMER - " + f[1] + "***";
    if (comment.startsWith(QLatin1Char('#'))) {
        r[FirstEventColumn + std::size_t(comment.mid(1, 1).toInt())] = Field::txt(comment.mid(3).toStdString());
        comment = comment.mid(3);
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

// A timeline run as "participant/scenario#take start-end stopped|running [before the log]", then
// its pauses "pause at-resumedAt (length s)" and marks "seconds e<event>|c text".
QString runLine(const logtimeline::Run &run) {
    QString out = QStringLiteral("%1/%2#%3 %4-%5 %6%7")
                      .arg(QString::fromStdString(run.participant), QString::fromStdString(run.scenario))
                      .arg(run.take)
                      .arg(run.start)
                      .arg(run.end)
                      .arg(run.stopped ? "stopped" : "running")
                      .arg(run.begunBeforeLog ? " before the log" : "");
    for (const logtimeline::Pause &p : run.pauses)
        out += QStringLiteral(" | pause %1-%2 (%3 s)").arg(p.at).arg(p.resumedAt).arg(p.length);
    for (const logtimeline::Mark &m : run.marks)
        out += QStringLiteral(" | %1 %2 %3")
                   .arg(m.seconds)
                   .arg(m.event < 0 ? QStringLiteral("c") : QStringLiteral("e%1").arg(m.event))
                   .arg(QString::fromStdString(m.text));
    return out;
}

}  // namespace

class TestSummary : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    logsummary::Summary summarise(const QStringList &rows, std::string bytes = headerRow(),
                                  logtimeline::Timeline *timeline = nullptr) {
        for (const QString &shorthand : rows)
            bytes += row(shorthand);
        const QString path = dir_.filePath(QStringLiteral("log.csv"));
        if (!writeBytes(path, QByteArray::fromStdString(bytes)))
            return {};
        // The timeline from the same reading, as the summary window gets it.
        logtimeline::TimelineBuilder builder;
        const logsummary::FileSummary s = logsummary::summariseFile(
            path.toStdString(), {}, [&](const RecordView &record) { builder.add(record); });
        if (timeline)
            *timeline = builder.finish();
        return s.summary;
    }

private slots:
    void timeOnTask_data() {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("pauses and resumes")
            << QStringList{"P1|C|0|!START",   "P1|C|30|looks",  "P1|C|40|!PAUSE",  "P1|C|40|while paused",
                           "P1|C|40|!RESUME", "P1|C|70|!PAUSE", "P1|C|70|!RESUME", "P1|C|100|!STOP"}
            << QStringList{"P1|C|100||2"};
        // Comments deleted while the timer ran: the run began before the log's first row, at 0.
        QTest::newRow("a log that begins with a stop")
            << QStringList{"P1|S|38|!STOP", "P1|S|55|!STOP", "P1|S|60|!PAUSE", "P1|S|40|!RESUME", "P1|S|45|!STOP"}
            << QStringList{"P1|S|43||0"};
        QTest::newRow("a log that begins with a resume")
            << QStringList{"P1|S|20|!RESUME", "P1|S|50|!STOP"} << QStringList{"P1|S|50||0"};
        QTest::newRow("not stopped at the end, or before the next START: up to its last row")
            << QStringList{"P1|C|0|!START", "P1|C|25|a", "P1|S|0|!START", "P1|S|15|a", "P1|S|42|b"}
            << QStringList{"P1|C|25|not stopped|1", "P1|S|42|not stopped|2"};
        QTest::newRow("paused, then the next START: the paused time stands")
            << QStringList{"P1|S|0|!START", "P1|S|30|!PAUSE", "P1|S|0|!START", "P1|S|5|!STOP"}
            << QStringList{"P1|S|35||0"};
        QTest::newRow("credited to the group that started the run")
            << QStringList{"P1|C|0|!START", "P2|C|10|other participant", "P2|C|20|!STOP"}
            << QStringList{"P1|C|20||0", "P2|C|0||1"};
        QTest::newRow("no markers") << QStringList{"P1|C|0|a", "P2|C|9|b", "P1|C|4|c"}
                                    << QStringList{"P1|C|0||2", "P2|C|0||1"};
        QTest::newRow("empty names, a comma in a name")
            << QStringList{"||0|!START", "||12|!PAUSE", "|Search, then buy|3|!START", "|Search, then buy|64|!STOP"}
            << QStringList{"||12||0", "|Search, then buy|61||0"};
        QTest::newRow("seconds missing or text count as 0, never below")
            << QStringList{"P1|S|10|!START", "P1|S||!PAUSE", "P1|S|abc|!RESUME", "P1|S|7|!STOP"}
            << QStringList{"P1|S|7||0"};
    }
    void timeOnTask() {
        QFETCH(QStringList, log);
        QFETCH(QStringList, groups);
        QCOMPARE(groupLines(summarise(log)), groups);
        QCOMPARE(groupLines(summarise(log, std::string())), groups);  // without a header row too
    }

    void participantsAndScenarios() {
        const logsummary::Summary s = summarise(
            {"P1|C|0|!START", "P1|C|100|!STOP", "P1|S|0|!START", "P1|S|10|!STOP", "P2|C|0|!START", "P2|C|60|!STOP",
             "P2|S|0|!START", "P2|S|30|!STOP", "P3|C|0|!START", "P3|C|30|!STOP", "P3|S|0|!START", "P3|S|0|!STOP",
             "P4|C|5|only a comment", "P1|C|7|late note"});
        QCOMPARE(s.participants.size(), std::size_t(4));
        QCOMPARE(s.participants[0].figures.seconds, 110.0);
        QCOMPARE(s.participants[0].figures.comments, 1LL);
        // P4 only commented on C: not timed, left out; P3 timed S at 0: counted.
        QCOMPARE(s.scenarios.size(), std::size_t(2));
        QCOMPARE(s.scenarios[0].participants, 3);
        QCOMPARE(s.scenarios[1].participants, 3);
        QCOMPARE(s.scenarios[0].mean, 190.0 / 3);
        QCOMPARE(s.scenarios[0].median, 60.0);
        QCOMPARE(s.scenarios[1].median, 10.0);
        // An even count: the mean of the middle two.
        QCOMPARE(summarise({"A|S|0|!START", "A|S|10|!STOP", "B|S|0|!START", "B|S|25|!STOP"}).scenarios[0].median, 17.5);
    }

    void eventsAndDamagedLines() {
        const logsummary::Summary s =
            summarise({"P1|C|0|#0=Error", "P1|C|0|#2=Help Used", "P1|C|0|#3=Error", "P1|C|0|#1=Ghost", "P1|C|0|Error",
                       "P1|C|0|#0=B10", "P2|C|0|#2=Help Used"},
                      headerRow({"Error", "", "Help Used"}) + "\"12/05/2026\",754\r\n");
        // Buttons set up after the log began shift the columns: a press counts under the name in
        // its cell, whatever the column's title says.
        QCOMPARE(s.eventTitles, (std::vector<std::string>{"Button - Error", "Button - Help Used", "Button - Ghost",
                                                          "Button - B10"}));
        QCOMPARE(s.groups[0].figures.events, (std::vector<long long>{2, 1, 1, 1}));
        QCOMPARE(s.groups[0].figures.comments, 1LL);  // a typed "Error" is a comment
        QCOMPARE(s.damagedLines, 1LL);
        QCOMPARE(s.participants[1].figures.events, (std::vector<long long>{0, 1, 0, 0}));
        QVERIFY(summarise({}).groups.empty());  // a header only
    }

    void thousandsOfEventNamesTakeLittleMemory() {
        // A foreign or damaged file: 10,000 event names over 2,000 participants. The first 50 are
        // counted each by name, the rest together, and the summary takes megabytes, not gigabytes.
        QStringList rows;
        for (int i = 0; i < 10000; ++i)
            rows << QString("P%1|C|0|#%2=event %3").arg(i % 2000).arg(i % 10).arg(i);
        logsummary::Summary s;
        QVERIFY(inChildWithMemory(256 << 20, [&] {
            s = summarise(rows);
            return !logsummary::exportCsv(s).empty();
        }));
        s = summarise(rows);
        QCOMPARE(s.eventTitles.size(), logsummary::kMostEventNames + 1);
        QCOMPARE(s.eventTitles.back(), std::string(logsummary::kOtherEvents));
        QCOMPARE(s.eventTitles.front(), std::string("Button - event 0"));
        long long others = 0;
        for (const logsummary::ParticipantTotal &p : s.participants)
            others += p.figures.events.back();
        QCOMPARE(others, 10000 - static_cast<long long>(logsummary::kMostEventNames));
    }

    void timeline_data() {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<int>("untimed");
        QTest::newRow("marks where they were made, a pause with its length on the PC clock")
            << QStringList{"P1|C|0|!START",      "P1|C|10|looks around", "P1|C|20|#1=Task done",
                           "P1|C|30|!PAUSE|02:00:30 PM", "P1|C|30|asks the moderator",
                           "P1|C|30|!RESUME|02:02:00 PM", "P1|C|25|#0=Error", "P1|C|60|!STOP"}
            << QStringList{"P1/C#1 0-60 stopped | pause 30-30 (90 s) | 10 c looks around | 20 e1 Task done"
                           " | 25 e0 Error | 30 c asks the moderator"}
            << 0;
        QTest::newRow("a pause across midnight")
            << QStringList{"P1|C|0|!START", "P1|C|5|!PAUSE|11:59:30 PM", "P1|C|5|!RESUME|12:00:30 AM", "P1|C|9|!STOP"}
            << QStringList{"P1/C#1 0-9 stopped | pause 5-5 (60 s)"} << 0;
        QTest::newRow("begun before the log's first row, at 0")
            << QStringList{"P1|C|12|early note", "P1|C|20|!PAUSE", "P1|C|21|after the pause"}
            << QStringList{"P1/C#1 0-21 running before the log | pause 20-20 (-1 s) | 12 c early note"
                           " | 21 c after the pause"}
            << 0;
        QTest::newRow("never stopped before the next START; a second take; a button no header names")
            << QStringList{"P1|C|0|!START", "P1|C|25|a", "P2|C|0|!START", "P2|C|7|#4=Hesitates", "P2|C|9|!STOP",
                           "P1|C|0|!START", "P1|C|3|!STOP"}
            << QStringList{"P1/C#1 0-25 running | 25 c a", "P2/C#1 0-9 stopped | 7 e2 Hesitates", "P1/C#2 0-3 stopped"}
            << 0;
        QTest::newRow("entries while no timer runs are not on it")
            << QStringList{"P1|C|0|before any marker", "P1|C|0|!START", "P1|C|4|!STOP", "P1|C|0|after the stop"}
            << QStringList{"P1/C#1 0-4 stopped"} << 2;
    }
    // The timeline's rows and marks come from the log's markers as the summary reads them.
    void timeline() {
        QFETCH(QStringList, log);
        QFETCH(QStringList, runs);
        QFETCH(int, untimed);
        logtimeline::Timeline t;
        summarise(log, headerRow({"Error", "Task done"}), &t);
        QStringList lines;
        for (const logtimeline::Run &run : t.runs)
            lines << runLine(run);
        QCOMPARE(lines, runs);
        QCOMPARE(t.untimedEntries, untimed);
        QCOMPARE(t.eventNames.size() >= 2 ? t.eventNames[1] : std::string(), std::string("Task done"));
    }

    void exportBytes() {
        logsummary::Summary s;
        s.eventTitles = {"Button - Error"};
        s.groups = {{"Ann \"Mac\"", "Search, then buy", {97263, true, true, 2, {3}}},
                    {"Ann \"Mac\"", "", {0, false, false, 1, {0}}},
                    {"Bo", "", {61, true, false, 0, {1}}}};
        s.participants = {{"Ann \"Mac\"", {97263, true, true, 3, {3}}}};
        s.scenarios = {{"Search, then buy", 1, 190.0 / 3, 97263}, {"", 0, 0, 0}};
        QCOMPARE(logsummary::exportCsv(s),
                 std::string(
                     "\"Kind\",\"Participant\",\"Scenario\",\"Time On Task\",\"Status\","
                     "\"Time On Task In Seconds\",\"Comments\",\"Button - Error\",\"Participants Timed\","
                     "\"Mean Time On Task In Seconds\",\"Mean Time On Task\","
                     "\"Median Time On Task In Seconds\",\"Median Time On Task\"\r\n"
                     "\"Scenario\",\"Ann 'Mac'\",\"Search, then buy\",\"27:01:03\",\"Not stopped\",97263,2,3,,,,,\r\n"
                     "\"Scenario\",\"Ann 'Mac'\",\"\",\"00:00:00\",\"Not timed\",0,1,0,,,,,\r\n"
                     "\"Scenario\",\"Bo\",\"\",\"00:01:01\",\"Done\",61,0,1,,,,,\r\n"
                     "\"Participant total\",\"Ann 'Mac'\",,\"27:01:03\",\"Not stopped\",97263,3,3,,,,,\r\n"
                     "\"Scenario across participants\",,\"Search, then buy\",,,,,,1,63.33,\"00:01:03\","
                     "97263,\"27:01:03\"\r\n"
                     "\"Scenario across participants\",,\"\",,,,,,0,,,,\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSummary)
#include "tst_summary.moc"
