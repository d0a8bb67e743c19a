#pragma once
// Points the settings store (and the runtime files of running copies) at a private temporary
// folder, so tests never touch the user's own; child processes started by a test see the same.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

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
    QString iniPath() const { return dir_.path() + QStringLiteral("/Quorvane/Quorvane.ini"); }
    // Empties the store between test functions.
    static void clear() {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
        s.clear();
        s.sync();
    }

private:
    QTemporaryDir dir_;
};
