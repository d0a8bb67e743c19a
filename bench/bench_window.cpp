// Main window benchmarks: a long log loaded into the comment list and painted with its last line
// selected, against the floor of the same run (cat of the file and an empty window's first paint)
// and against QListWidget::addItems of the same lines; the memory the list takes; start-up to a
// shown main window against a minimal Qt window.
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. Arguments: [rows] (default 100000).

#include "BenchUtil.h"
#include "Clock.h"
#include "CommentListModel.h"
#include "LogGen.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "WriteColumnHeader.h"
#include "frmLogger.h"
#include "logio.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTableView>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

namespace {

QString currentLog;  // the log the windows below load

// Waits until `widget` has been painted once.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    void wait() {
        while (!painted_)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    bool painted_ = false;
};

class NoPrompts final : public Prompts {
public:
    int messageBox(const QString &, const QString &, Buttons, Icon, int) override { return OK; }
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

double floorRun(const QString &log) {
    const double start = bench::nowMs();
    const QByteArray cat = "cat '" + log.toLocal8Bit() + "' > /dev/null";
    if (std::system(cat.constData()) != 0)
        std::abort();
    QWidget window;
    window.resize(592, 400);
    PaintWatch watch(&window);
    window.show();
    watch.wait();
    return bench::nowMs() - start;
}

double loggerRun(SettingsStore &store, Prompts &prompts, const Clock &clock) {
    const double start = bench::nowMs();
    frmLogger window(store, prompts, clock);
    window.modVariables.LogFilePath = currentLog;
    window.GetLogData();
    window.selectLastLineAndFocusComment();
    PaintWatch watch(window.controls().lstComment->viewport());
    window.show();
    watch.wait();
    const double elapsed = bench::nowMs() - start;
    if (window.listIndex() != window.comments().rowCount() - 1)
        std::abort();
    return elapsed;
}

double listWidgetRun(const QString &log) {
    const double start = bench::nowMs();
    logfile::DisplayLines lines;
    logfile::readDisplayLines(log.toStdString(), lines);
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines.line(i);
        items << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    QListWidget list;
    list.resize(577, 140);
    list.addItems(items);
    list.setCurrentRow(list.count() - 1);
    PaintWatch watch(list.viewport());
    list.show();
    watch.wait();
    return bench::nowMs() - start;
}

// Start-up in a process of its own, to the first paint of the window.
int startupChild(const QString &mode, const QString &log) {
    if (mode == "minimal" || mode == "text") {
        QWidget window;
        window.resize(592, 400);
        if (mode == "text")  // any window with text pays for loading fonts
            (new QLabel(QStringLiteral("Quorvane"), &window))->move(10, 10);
        PaintWatch watch(&window);
        window.show();
        watch.wait();
    } else if (mode == "memory") {
        // The memory the comment list takes when a window loads this log.
        SettingsStore store;
        NoPrompts prompts;
        SystemClock clock;
        frmLogger window(store, prompts, clock);
        window.modVariables.LogFilePath = log;
        const long before = rssKb();
        window.GetLogData();
        std::printf("%ld\n", rssKb() - before);
    } else {
        SettingsStore store;
        NoPrompts prompts;
        SystemClock clock;
        frmLogger window(store, prompts, clock);
        window.modVariables.LogFilePath = log;
        PaintWatch watch(window.controls().lstComment->viewport());
        window.Form_Load();
        watch.wait();
    }
    std::fflush(stdout);
    _exit(0);
}

double startupRun(const QString &mode, const QString &log, QByteArray *output = nullptr) {
    QProcess child;
    const double start = bench::nowMs();
    child.start(QCoreApplication::applicationFilePath(), {"--startup", mode, log});
    child.waitForFinished(-1);
    const double elapsed = bench::nowMs() - start;
    if (output)
        *output = child.readAllStandardOutput();
    return elapsed;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A fixed mmap threshold keeps each load's memory fresh, as in a new process.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--startup")
        return startupChild(args[2], args[3]);

    const int rows = args.size() > 1 ? args[1].toInt() : 100000;
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    SettingsStore store;
    NoPrompts prompts;
    SystemClock clock;

    const QString log = dir.filePath("log.csv");
    const long long size = bench::writeLog(log.toStdString(), rows);
    std::printf("log of %d rows, %.1f MB\n", rows, static_cast<double>(size) / 1e6);
    currentLog = log;

    floorRun(log);  // warm the page cache and the toolkit
    loggerRun(store, prompts, clock);
    std::vector<double> floorTimes, ours, widget;
    for (int i = 0; i < 7; ++i) {
        floorTimes.push_back(floorRun(log));
        ours.push_back(loggerRun(store, prompts, clock));
        widget.push_back(listWidgetRun(log));
    }
    const double oursMs = bench::median(ours);
    bench::report("log to list painted, last line selected, vs cat + empty window", oursMs,
                  bench::median(floorTimes), 2.5);
    bench::report("the same, vs QListWidget::addItems of the same lines", oursMs, bench::median(widget), 0.25);

    {
        QByteArray output;
        startupRun("memory", log, &output);
        const long grown = output.trimmed().toLong();
        std::printf("%-58s %10.1f MB   file %7.1f MB   ratio %5.2fx (aim <= 1.50x) %s\n", "memory taken by the list",
                    grown / 1024.0, static_cast<double>(size) / 1e6 / 1.048576,
                    grown * 1024.0 / static_cast<double>(size), grown * 1024.0 / static_cast<double>(size) <= 1.5 ? "ok" : "OVER");
    }

    if (rows == 100000) {
        const QString big = dir.filePath("big.csv");
        bench::writeLog(big.toStdString(), 1000000);
        currentLog = big;
        loggerRun(store, prompts, clock);
        std::vector<double> bigTimes;
        for (int i = 0; i < 3; ++i)
            bigTimes.push_back(loggerRun(store, prompts, clock));
        bench::report("1,000,000 rows vs 100,000 rows", bench::median(bigTimes), oursMs, 10.0);
        QFile::remove(big);
        currentLog = log;
    }

    const QString small = dir.filePath("session.csv");
    ensureColumnHeader(store, small);
    std::vector<double> minimal, text, logger;
    for (int i = 0; i < 9; ++i) {
        minimal.push_back(startupRun("minimal", small));
        text.push_back(startupRun("text", small));
        logger.push_back(startupRun("logger", small));
    }
    bench::report("start-up to the main window shown vs a minimal Qt window", bench::median(logger),
                  bench::median(minimal), 1.3);
    bench::report("start-up to the main window shown vs a window with a label", bench::median(logger),
                  bench::median(text), 1.3);
    return 0;
}
