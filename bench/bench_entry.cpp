// Entry benchmarks, in one process: the Enter key in the comment box to the repainted list, in a
// log of 10,000 rows and one of 1,000,000 (interleaved, against each other and against raw
// open/write/fdatasync/close of the same row); a comment edit in logs of 100,000 and 1,000,000
// rows, from the double click to the changed line, against a streaming copy of the same file,
// synced, renamed over it and its folder synced, with the memory it needs at its peak; and Enter to
// the row on disk with the tape linked to a real player (mpv with its MPRIS plugin, playing, on a
// session bus of the benchmark's own), against the same raw floor. Files are made in the current
// folder, so run it on the disk the logs live on. Arguments: [runs] (default 7).

#include "bench/BenchUtil.h"
#include "bench/LogGen.h"
#include "bench/PaintWatch.h"
#include "lists/SettingsStore.h"
#include "ui/Clock.h"
#include "ui/CommentList.h"
#include "ui/Prompts.h"
#include "windows/frmLogger.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Answers every input box with the next text.
class AnsweringPrompts final : public Prompts {
public:
    QString next;
    int messageBox(const QString &text, const QString &, Buttons, Icon, int) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return OK;
    }
    int reminder(const QString &, const QString &, QString &) override { return No; }
    QString inputBox(const QString &, const QString &, const QString &) override { return next; }
    std::optional<QString> fileDialog(const FileDialog &) override { return std::nullopt; }
};

void rawAppend(const std::string &path, const std::string &row) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, row.data(), row.size()) != static_cast<ssize_t>(row.size()) || ::fdatasync(fd) != 0)
        std::abort();
    ::close(fd);
}

// The edit's floor: the file written anew beside itself the simplest honest way, a streaming copy
// through a buffer of fixed size, then fsync, rename over it, and fsync of the folder.
void rawRewrite(const std::string &path, const bench::ReadBuffer &buffer) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::string copy = path + ".bak";
    const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (in < 0 || out < 0)
        std::abort();
    for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) != 0;)
        if (n < 0 || ::write(out, buffer.data(), static_cast<std::size_t>(n)) != n)
            std::abort();
    if (::fsync(out) != 0)
        std::abort();
    ::close(out);
    ::close(in);
    if (::rename(copy.c_str(), path.c_str()) != 0)
        std::abort();
    const std::string folder = path.substr(0, path.rfind('/'));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || ::fsync(dir) != 0)
        std::abort();
    ::close(dir);
}

long statusKb(const char *field) {
    long value = 0;
    if (std::FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, std::strlen(field)) == 0)
                value = std::atol(line + std::strlen(field));
        std::fclose(f);
    }
    return value;
}

struct Open {
    std::unique_ptr<Session> session;
    std::unique_ptr<frmLogger> window;
    std::unique_ptr<PaintWatch> painted;
};

Open open(SettingsStore &store, Prompts &prompts, const Clock &clock, const std::string &log) {
    Open s;
    s.session = std::make_unique<Session>(store, clock);
    s.session->log().use(QString::fromStdString(log));
    s.window = std::make_unique<frmLogger>(*s.session, prompts);
    s.window->Form_Load();
    s.window->controls().tmrMainTimer->stop();
    s.painted = std::make_unique<PaintWatch>(s.window->controls().lstComment->viewport());
    QCoreApplication::processEvents();
    return s;
}

// Enter in the comment box, as the key arrives from the keyboard, until the list has repainted.
double enter(Open &s, const QString &comment) {
    QLineEdit *box = s.window->controls().txtComment;
    box->setText(comment);
    s.painted->arm();
    const double start = bench::nowMs();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(box, &press);
    s.painted->wait();
    const double elapsed = bench::nowMs() - start;
    if (!box->text().isEmpty())
        std::abort();
    return elapsed;
}

// Lets the event loop run for `ms`.
void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
}

// mpv playing a video of its own making, on a session bus of its own: a real peer for the link.
class PlayingMpv {
public:
    explicit PlayingMpv(const QString &dir) : dir_(dir) {}
    ~PlayingMpv() {
        for (QProcess *p : {&mpv_, &bus_})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }
    // Empty when it plays, else why not.
    QString start() {
        const QString plugin = QStringLiteral("/usr/lib/mpv-mpris/mpris.so");
        if (QStandardPaths::findExecutable("mpv").isEmpty() || !QFile::exists(plugin) ||
            QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            return QStringLiteral("mpv, mpv-mpris or dbus-daemon is not installed");
        const QString video = dir_ + "/tape.mkv", bus = dir_ + "/bus";
        if (QProcess::execute("mpv", {"--no-config", "--really-quiet", "av://lavfi:testsrc=duration=600:size=160x120:rate=2",
                                      "--o=" + video, "--ovc=mpeg4"}) != 0)
            return QStringLiteral("mpv could not make the test video");
        bus_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + bus});
        for (int i = 0; i < 100 && !QFile::exists(bus); ++i)
            QThread::msleep(20);
        // Before the first use of the session bus in this process.
        qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + bus).toLocal8Bit());
        mpv_.start("mpv", {"--no-config", "--script=" + plugin, "--vo=null", "--ao=null", "--idle=yes",
                           "--keep-open=yes", video});
        return mpv_.waitForStarted(5000) ? QString() : QStringLiteral("mpv did not start");
    }

private:
    QString dir_;
    QProcess bus_, mpv_;
};

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    const int runs = std::max(5, argc > 1 ? std::atoi(argv[1]) : 7);
    QTemporaryDir dir(QDir::current().filePath("bench-entry-XXXXXX"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    SettingsStore store;
    store.SaveSetting("Reminders", "Scenario Reminder", "0");
    AnsweringPrompts prompts;
    SystemClock clock;
    bench::header();

    // Entries: the small and the large log take turns, so both meet the same disk and machine.
    const std::string small = dir.filePath("small.csv").toStdString();
    const std::string large = dir.filePath("large.csv").toStdString();
    const std::string raw = dir.filePath("raw.csv").toStdString();
    bench::writeLog(small, 10000);
    bench::writeLog(large, 1000000);
    bench::writeLog(raw, 10000);
    {
        Open few = open(store, prompts, clock, small);
        Open many = open(store, prompts, clock, large);
        few.window->show();
        many.window->show();
        QCoreApplication::processEvents();
        const QString comment = QStringLiteral("Hesitates at the coupon field, scrolls down and back up");
        const std::string row = bench::makeRow(1);
        std::vector<double> atFew, atMany, floor, onDisk;
        for (int i = 0; i < 300; ++i) {
            double t = bench::nowMs();
            rawAppend(raw, row);
            floor.push_back(bench::nowMs() - t);
            atFew.push_back(enter(few, comment));
            atMany.push_back(enter(many, comment));
            // The row alone, before anything is painted.
            many.window->controls().txtComment->setText(comment);
            t = bench::nowMs();
            many.window->cmdEnter_Click();
            onDisk.push_back(bench::nowMs() - t);
            QCoreApplication::processEvents();
        }
        bench::report("Enter to repainted list, 1,000,000 rows vs 10,000 rows", atMany, atFew, 1.1);
        bench::report("Enter to row on disk, 1,000,000 rows vs raw append+sync", onDisk, floor, 1.5);
    }

    // Entries with the tape linked to a player that plays: the link's calls never hold an entry up.
    {
        PlayingMpv player(dir.path());
        const QString why = player.start();
        const std::string linkedLog = dir.filePath("linked.csv").toStdString();
        bench::writeLog(linkedLog, 10000);
        store.SaveSetting("Tape", "Source", "Player");
        store.SaveSetting("Tape", "Player", "org.mpris.MediaPlayer2.mpv");
        Open linked = open(store, prompts, clock, linkedLog);
        store.SaveSetting("Tape", "Source", "Manual");
        const std::string plainLog = dir.filePath("plain.csv").toStdString();
        bench::writeLog(plainLog, 10000);
        Open plain = open(store, prompts, clock, plainLog);
        const TapeLink *link = linked.session->tapeSource().link();
        for (int i = 0; i < 1000 && why.isEmpty() && link->state() != LinkState::Running; ++i)
            settle(10);
        if (!why.isEmpty() || link->state() != LinkState::Running) {
            std::printf("%-62s skipped: %s\n", "Enter to row on disk, player linked",
                        qPrintable(why.isEmpty() ? QStringLiteral("mpv did not come on the bus") : why));
        } else {
            linked.window->show();
            plain.window->show();
            const QString comment = QStringLiteral("Hesitates at the coupon field, scrolls down and back up");
            const std::string row = bench::makeRow(1);
            std::vector<double> floor, onDisk, unlinked;
            // The same Enter without a link, taking turns with it: the link's own cost, apart from the disk's.
            const auto enterRow = [&](Open &s, std::vector<double> &into) {
                s.window->controls().txtComment->setText(comment);
                const double t = bench::nowMs();
                s.window->cmdEnter_Click();
                into.push_back(bench::nowMs() - t);
            };
            const auto rawRow = [&] {
                const double t = bench::nowMs();
                rawAppend(raw, row);
                floor.push_back(bench::nowMs() - t);
            };
            const std::function<void()> each[] = {rawRow, [&] { enterRow(linked, onDisk); },
                                                  [&] { enterRow(plain, unlinked); }};
            for (int i = 0; i < 300; ++i) {
                // Each goes first in turn: a sync right after a quiet moment is the quickest.
                for (int k = 0; k < 3; ++k)
                    each[(i + k) % 3]();
                settle(5);  // the link's calls and answers go on meanwhile, as in use
            }
            if (link->state() != LinkState::Running)
                std::printf("(the link did not stay linked: the figure below is not what it says)\n");
            bench::report("Enter to row on disk, player linked vs raw append+sync", onDisk, floor, 1.5);
            bench::report("Enter to row on disk, player linked vs not linked", onDisk, unlinked, 1.1);
        }
    }

    // Comment edits in the middle of the log, from the double click to the changed line.
    for (const int rows : {100000, 1000000}) {
        const std::string log = dir.filePath("edit.csv").toStdString();
        bench::writeLog(log, rows);
        bench::writeLog(raw, rows);
        Open s = open(store, prompts, clock, log);
        s.window->show();
        QCoreApplication::processEvents();
        std::vector<double> ours, floor;
        const bench::ReadBuffer buffer(256 * 1024);
        long peak = 0;
        for (int i = 0; i < runs; ++i) {
            floor.push_back(bench::timings(1, [&] { rawRewrite(raw, buffer); })[0]);
            s.window->selectLine(rows / 2 + i);
            prompts.next = QStringLiteral("edited %1").arg(i);
            std::FILE *reset = std::fopen("/proc/self/clear_refs", "w");  // the peak starts afresh
            if (reset) {
                std::fputs("5", reset);
                std::fclose(reset);
            }
            const long before = statusKb("VmRSS:");
            s.painted->arm();
            ours.push_back(bench::timings(1, [&] {
                s.window->lstComment_DblClick();
                s.painted->wait();
            })[0]);
            peak = std::max(peak, statusKb("VmHWM:") - before);
            if (!s.window->comments().line(rows / 2 + i).endsWith(prompts.next))
                std::abort();
        }
        const std::string what = std::to_string(rows) + " rows";
        bench::report(("comment edit vs copy+fsync+rename+folder fsync, " + what).c_str(), ours, floor, 1.2);
        std::printf("%-62s %9.2f MB at its peak (aim < 1 MB) %s\n", ("memory a comment edit needs, " + what).c_str(),
                    peak / 1024.0, peak < 1024 ? "ok" : "OVER");
        std::remove(raw.c_str());
    }
    return 0;
}
