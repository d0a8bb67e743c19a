// Main window benchmarks, in one process: a chosen log to the painted comment list with its last
// line selected, at 100,000 and 1,000,000 rows, against read()ing the same file (into a reused
// buffer and into fresh memory) plus an empty window shown and painted, from the page cache and
// from the disk; the memory the list takes against the file's size; start-up to a shown main
// window against a minimal Qt window (each a process of its own); the session summary of 10,000
// participants to its painted table and timeline, against the same reading of the log and an
// empty table painted.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. Arguments: [runs] (default 7).

#include "bench/BenchUtil.h"
#include "bench/LogGen.h"
#include "bench/PaintWatch.h"
#include "lists/SettingsStore.h"
#include "session/ColumnHeader.h"
#include "ui/Clock.h"
#include "ui/CommentList.h"
#include "ui/Prompts.h"
#include "windows/frmLogger.h"
#include "windows/frmSessionSummary.h"

#include <QTableView>
#include <QTableWidget>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

class NoPrompts final : public Prompts {
public:
    int messageBox(const QString &, const QString &, Buttons, Icon, int) override { return OK; }
    int reminder(const QString &, const QString &, QString &) override { return No; }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> fileDialog(const FileDialog &) override { return std::nullopt; }
};

long rssKb() {
    long pages = 0, resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}


// `size` bytes of fresh memory, or a reused buffer read over and over.
void floorRun(const QString &log, long long size, bool fresh) {
    static const bench::ReadBuffer reused(256 * 1024);
    if (fresh) {
        const bench::ReadBuffer bytes(static_cast<std::size_t>(size));
        bench::readFile(log.toStdString(), bytes);
    } else {
        bench::readFile(log.toStdString(), reused);
    }
    QWidget window;
    window.resize(592, 400);
    PaintWatch watch(&window);
    window.show();
    watch.wait();
}

void loggerRun(SettingsStore &store, Prompts &prompts, const Clock &clock, const QString &log, int rows) {
    Session session(store, clock);
    session.log().use(log);
    frmLogger window(session, prompts);
    window.GetLogData();
    window.selectLastLineAndFocusComment();
    PaintWatch watch(window.controls().lstComment->viewport());
    window.show();
    watch.wait();
    if (window.listIndex() != rows - 1)
        std::abort();
}

// A session of 10,000 participants, each timed once on one scenario with two comments.
void writeCrowdLog(const QString &path) {
    using namespace logformat;
    std::string bytes;
    Record r;
    r.fill(Field::txt(""));
    r[Scenario] = Field::txt("Checkout");
    for (int p = 0; p < 10000; ++p) {
        r[Participant] = Field::txt("Participant " + std::to_string(p));
        int seconds = 0;
        for (const char *comment : {"***START SCENARIO TIMER - Checkout***", "looks around", "finds the basket",
                                    "***STOP SCENARIO TIMER - Checkout***"}) {
            r[ScenarioSeconds] = Field::num(seconds += 30 + p % 60);
            r[Comment] = Field::txt(comment);
            bytes += encodeRow(r);
        }
    }
    std::FILE *f = std::fopen(path.toLocal8Bit().constData(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The summary window from its log to its table filled and painted, with the timeline below.
void summaryRun(Prompts &prompts, const QString &log) {
    frmSessionSummary window(prompts, log);
    window.show();
    while (!window.isLoaded())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    PaintWatch watch(window.grdSummary->viewport());
    watch.wait();
    if (window.grdSummary->model()->rowCount() != 20001)
        std::abort();
}

// Its floor: the same reading of the log and an empty table painted in a window.
void summaryFloorRun(const QString &log) {
    if (logsummary::summariseFile(log.toStdString()).summary.participants.size() != 10000)
        std::abort();
    QWidget window;
    window.resize(900, 620);
    auto *table = new QTableView(&window);
    table->resize(880, 300);
    PaintWatch watch(table->viewport());
    window.show();
    watch.wait();
}

// How the table was filled before it had a model, for comparison: item by item.
void summaryItemsRun(const QString &log) {
    const logsummary::Summary s = logsummary::summariseFile(log.toStdString()).summary;
    const std::vector<std::string> columns = logsummary::tableColumns(s);
    const std::vector<std::vector<logformat::Field>> rows = logsummary::tableRows(s);
    QWidget window;
    window.resize(900, 620);
    auto *table = new QTableWidget(&window);
    table->resize(880, 300);
    table->setColumnCount(static_cast<int>(columns.size()));
    table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            if (rows[r][c].kind != logformat::Kind::None)
                table->setItem(static_cast<int>(r), static_cast<int>(c),
                               new QTableWidgetItem(rows[r][c].kind == logformat::Kind::Number
                                                        ? QString::fromStdString(logformat::formatNumber(rows[r][c].number))
                                                        : QString::fromStdString(rows[r][c].text)));
    table->resizeColumnsToContents();
    PaintWatch watch(table->viewport());
    window.show();
    watch.wait();
}

// Start-up in a process of its own, to the first paint of the window.
int startupChild(const QString &mode, const QString &log) {
    if (mode == "minimal") {
        QWidget window;
        window.resize(592, 400);
        (new QLabel(QStringLiteral("Quorvane"), &window))->move(10, 10);  // text pays for fonts
        PaintWatch watch(&window);
        window.show();
        watch.wait();
    } else {
        SettingsStore store;
        NoPrompts prompts;
        SystemClock clock;
        Session session(store, clock);
        session.log().use(log);
        frmLogger window(session, prompts);
        PaintWatch watch(window.controls().lstComment->viewport());
        window.Form_Load();
        watch.wait();
    }
    _exit(0);
}

double startupRun(const QString &mode, const QString &log) {
    QProcess child;
    const double start = bench::nowMs();
    child.start(QCoreApplication::applicationFilePath(), {"--startup", mode, log});
    child.waitForFinished(-1);
    return bench::nowMs() - start;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Large blocks come fresh from the system each time, as in a program that has just started.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--startup")
        return startupChild(args[2], args[3]);
    const int runs = std::max(5, args.size() > 1 ? args[1].toInt() : 7);

    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    SettingsStore store;
    NoPrompts prompts;
    SystemClock clock;
    bench::header();

    for (const int rows : {100000, 1000000}) {
        const QString log = dir.filePath("log.csv");
        const long long size = bench::writeLog(log.toStdString(), rows);
        floorRun(log, size, false);  // the page cache and the toolkit warm
        loggerRun(store, prompts, clock, log, rows);
        std::vector<double> reused, fresh, ours;
        for (int i = 0; i < runs; ++i) {  // interleaved, so all meet the same machine
            reused.push_back(bench::timings(1, [&] { floorRun(log, size, false); })[0]);
            fresh.push_back(bench::timings(1, [&] { floorRun(log, size, true); })[0]);
            ours.push_back(bench::timings(1, [&] { loggerRun(store, prompts, clock, log, rows); })[0]);
        }
        const std::string what = std::to_string(rows) + " rows";
        bench::report(("log to painted list vs read() reused + window, cached, " + what).c_str(), ours, reused, 3.0);
        bench::report(("log to painted list vs read() fresh + window, cached, " + what).c_str(), ours, fresh, 3.0);
        // From the disk: the file dropped from the page cache before every run of either.
        const bench::Paired uncached = bench::interleaved(
            runs, [&] { floorRun(log, size, false); }, [&] { loggerRun(store, prompts, clock, log, rows); },
            [&] { bench::dropFromCache(log.toStdString()); });
        bench::report(("log to painted list vs read() reused + window, uncached, " + what).c_str(), uncached, 1.5);

        // The list's memory: what loading the log adds to a window that is already there.
        Session session(store, clock);
        session.log().use(log);
        frmLogger window(session, prompts);
        window.show();
        const long before = rssKb();
        window.GetLogData();
        window.selectLastLineAndFocusComment();
        QCoreApplication::processEvents();
        const double grown = static_cast<double>(rssKb() - before) * 1024;
        std::printf("%-62s %9.1f MB for a file of %.1f MB: %.3fx (aim <= 0.25x) %s\n",
                    ("memory the list takes, " + what).c_str(), grown / 1e6, static_cast<double>(size) / 1e6,
                    grown / static_cast<double>(size), grown / static_cast<double>(size) <= 0.25 ? "ok" : "OVER");
    }

    const QString crowd = dir.filePath("crowd.csv");
    writeCrowdLog(crowd);
    summaryFloorRun(crowd);
    summaryRun(prompts, crowd);
    std::vector<double> summaryFloor, summary, items;
    for (int i = 0; i < runs; ++i) {
        summaryFloor.push_back(bench::timings(1, [&] { summaryFloorRun(crowd); })[0]);
        summary.push_back(bench::timings(1, [&] { summaryRun(prompts, crowd); })[0]);
        items.push_back(bench::timings(1, [&] { summaryItemsRun(crowd); })[0]);
    }
    bench::report("summary window + timeline, 10,000 participants, vs read + table", summary, summaryFloor, 8.0);
    bench::report("  (before: the table alone filled item by item, vs the same)", items, summaryFloor, 8.0);

    const QString small = dir.filePath("session.csv");
    ensureColumnHeader(store, small);
    std::vector<double> minimal, logger;
    for (int i = 0; i < std::max(runs, 9); ++i) {
        minimal.push_back(startupRun("minimal", small));
        logger.push_back(startupRun("logger", small));
    }
    bench::report("start-up to the main window vs a window with a label", logger, minimal, 1.3);
    return 0;
}
