#pragma once
// What every test program needs: files read and written whole, a log's records, a clock set by
// hand, windows made active as on a desktop, and settings kept apart from the user's own.

#include "core/logformat.h"
#include "ui/Clock.h"
#include "ui/NativePath.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

inline QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
inline bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every record of a log's bytes, damaged ones included.
inline std::vector<logformat::Record> parseRecords(std::string_view bytes) {
    std::vector<logformat::Record> out;
    logformat::RecordSpan span;
    logformat::RecordView view;
    for (std::size_t pos = 0; logformat::scanRecord(bytes, pos, true, span, view) == logformat::ScanStatus::Found;) {
        logformat::Record &r = out.emplace_back();
        for (std::size_t i = 0; i < logformat::kFieldCount; ++i)
            r[i] = logformat::toField(view[i]);
        pos = span.end;
    }
    return out;
}

// A temporary folder for a test's files, emptied between test functions.
class TestFolder {
public:
    QString path(const QString &name = {}) const { return name.isEmpty() ? dir_.path() : dir_.filePath(name); }
    std::string native(const QString &name) const { return toNativePath(path(name)); }
    // Every name in the folder (or in one below it), hidden ones too: a temporary file left shows.
    QStringList names(const QString &folder = {}) const {
        return QDir(folder.isEmpty() ? dir_.path() : folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    void empty() const {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
    }

private:
    QTemporaryDir dir_;
};

// Runs `check` in a child process, as another user when given (the superuser may write any file);
// true when it returned true.
template <typename F>
bool inChild(F &&check, uid_t user = 0) {
    const pid_t child = fork();
    if (child == 0) {
        // A crash ends the child at once: the test harness's own handler would wait for threads
        // that did not come along.
        for (const int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
            std::signal(sig, SIG_DFL);
        // The group too: with the superuser's group left, every file reads as its group's bits say.
        const bool asUser = user == 0 || geteuid() != 0 ||
                            (setgroups(0, nullptr) == 0 && setgid(user) == 0 && setuid(user) == 0);
        _exit(asUser && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The same with the child's memory limited to what it has now and `more` bytes beyond: an
// allocation past it fails as on a machine without room.
template <typename F>
bool inChildWithMemory(long long more, F &&check) {
    return inChild([&] {
        long long sizeKb = 0;
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("VmSize:"))
                    sizeKb = line.mid(7).trimmed().split(' ').value(0).toLongLong();
        const rlim_t limit = static_cast<rlim_t>(sizeKb * 1024 + more);
        const rlimit rl{limit, limit};
        return sizeKb > 0 && setrlimit(RLIMIT_AS, &rl) == 0 && check();
    });
}

class FakeClock final : public Clock {
public:
    QDateTime now() const override { return now_; }
    void set(const QDateTime &t) { now_ = t; }
    void advance(int seconds) { now_ = now_.addSecs(seconds); }

private:
    QDateTime now_{QDate(2026, 12, 5), QTime(14, 15, 7)};
};

// Keys go to the focus widget of the active window, as on a desktop.
inline bool showActive(QWidget *window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}
// The modal dialog open now, once it is active; null when none opens.
template <typename Dialog>
Dialog *activeDialog() {
    Dialog *dialog = nullptr;
    (void)QTest::qWaitFor(
        [&] { return (dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) != nullptr; }, 2000);
    if (dialog)
        (void)QTest::qWaitForWindowActive(dialog);
    return dialog;
}

// The settings store and the running copies' notes in a private temporary folder; child
// processes started by a test see the same.
class TestSettings {
public:
    TestSettings() {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
        QDir(dir_.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
    }
    QString runtimeDir() const { return dir_.filePath(QStringLiteral("run")); }
    // The settings file cannot be written (as on a full disk) while `unwritable` is true: the folder
    // it lives in is a file.
    void makeUnwritable(bool unwritable) const {
        const QString folder = dir_.filePath(QStringLiteral("Quorvane"));
        if (unwritable) {
            QDir(folder).removeRecursively();
            QFile blocker(folder);
            (void)blocker.open(QIODevice::WriteOnly);
        } else {
            QFile::remove(folder);
        }
    }
    // Empties the store between test functions.
    static void clear() { QSettings(QSettings::IniFormat, QSettings::UserScope, "Quorvane", "Quorvane").clear(); }

private:
    QTemporaryDir dir_;
};
