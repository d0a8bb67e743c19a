// Main window benchmarks, in one process: a chosen log to the painted comment list with its last
// line selected, at 100,000 and 1,000,000 rows, against read()ing the same file (into a reused
// buffer and into fresh memory) plus an empty window shown and painted, from the page cache and
// from the disk; the memory the list takes against the file's size;
// start-up to a shown main window against a minimal Qt window (each a process of its own).
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
