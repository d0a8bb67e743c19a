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
    // Empties the store between test functions.
    static void clear() { QSettings(QSettings::IniFormat, QSettings::UserScope, "Quorvane", "Quorvane").clear(); }

private:
    QTemporaryDir dir_;
};
