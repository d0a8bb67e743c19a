// Entry benchmarks: the comment box's Enter to the row on disk, 10,000 entries into a log of
// 100,000 rows, against raw open/write/fdatasync/close of a row of the same size in the same run;
// and a comment edit in that log against reading, writing, syncing and renaming the same file.
// Files are made in the current folder, so run it on the disk the logs live on.

#include "BenchUtil.h"
#include "Clock.h"
#include "CommentListModel.h"
#include "LogGen.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "frmLogger.h"
#include "logio.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

#include <fcntl.h>
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
    QString inputBox(const QString &, const QString &, const QString &) override { return next; }
    std::optional<QString> fileDialog(const FileDialog &) override { return std::nullopt; }
};

void rawAppend(const std::string &path, const std::string &row) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, row.data(), row.size()) != static_cast<ssize_t>(row.size()) || ::fdatasync(fd) != 0)
        std::abort();
    ::close(fd);
}

// Read the whole file, write it whole beside it, sync, rename over it.
void rawRewrite(const std::string &path) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(in, &st);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    if (::read(in, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(in);
    const std::string copy = path + ".bak";
    const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (::write(out, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::fsync(out) != 0)
        std::abort();
    ::close(out);
    if (::rename(copy.c_str(), path.c_str()) != 0)
        std::abort();
}

}  // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(QDir::current().filePath("bench-entry-XXXXXX"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    SettingsStore store;
    store.SaveSetting("Reminders", "Scenario Reminder", "0");
    AnsweringPrompts prompts;
    SystemClock clock;

    const std::string log = dir.filePath("log.csv").toStdString();
    const std::string raw = dir.filePath("raw.csv").toStdString();
    bench::writeLog(log, 100000);
    bench::writeLog(raw, 100000);
    frmLogger window(store, prompts, clock);
    window.modVariables.LogFilePath = QString::fromStdString(log);
    window.Form_Load();

    const QString comment = QStringLiteral("Hesitates at the coupon field, scrolls down and back up");
    const std::string row = bench::makeRow(1);
    std::vector<double> ours, floor;
    for (int i = 0; i < 10000; ++i) {
        double t = bench::nowMs();
        rawAppend(raw, row);
        floor.push_back(bench::nowMs() - t);
        window.controls().txtComment->setText(comment);
        t = bench::nowMs();
        window.cmdEnter_Click();
        ours.push_back(bench::nowMs() - t);
        if (!window.controls().txtComment->text().isEmpty())
            return 1;
        if (i % 500 == 0)
            QCoreApplication::processEvents();
    }
    bench::report("Enter to row on disk (fdatasync), median", bench::median(ours) * 1000, bench::median(floor) * 1000,
                  1.2, "us");
    bench::report("Enter to row on disk (fdatasync), 99th percentile", bench::percentile(ours, 99) * 1000,
                  bench::percentile(floor, 99) * 1000, 2.0, "us");

    // A comment edit in the middle of the log.
    std::vector<double> edit, handler, rewrite;
    for (int i = 0; i < 7; ++i) {
        const std::size_t target = 50000 + static_cast<std::size_t>(i);
        const std::string shown(window.comments().lines().line(target));
        double t = bench::nowMs();
        rawRewrite(raw);
        rewrite.push_back(bench::nowMs() - t);
        t = bench::nowMs();
        const logfile::CommentEdit done =
            logfile::replaceComment(log, target, shown, "edited " + std::to_string(i));
        edit.push_back(bench::nowMs() - t);
        if (done.result != logfile::CommentEdit::Result::Done)
            return 1;
        window.GetLogData();
        window.selectLine(static_cast<int>(target) + 100);
        prompts.next = QStringLiteral("edited again %1").arg(i);
        t = bench::nowMs();
        window.lstComment_DblClick();
        handler.push_back(bench::nowMs() - t);
    }
    bench::report("comment edit, file rewrite vs read+write+fsync+rename", bench::median(edit),
                  bench::median(rewrite), 1.5);
    bench::report("comment edit, whole double click (list reloaded) vs same", bench::median(handler),
                  bench::median(rewrite), 1.5);
    return 0;
}
