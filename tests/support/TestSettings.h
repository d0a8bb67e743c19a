#pragma once
// Points the settings store at a private temporary folder, so tests never touch the user's own
// settings; child processes started by a test see the same folder.

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

class TestSettings {
public:
    TestSettings() {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    QString configHome() const { return dir_.path(); }
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
