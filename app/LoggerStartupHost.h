#pragma once
// Wires the start-up dialog to the session and the main window, which it creates on first use.

#include "session/Session.h"
#include "windows/frmStartup.h"

#include <memory>

class Clock;
class Prompts;
class SettingsStore;
class frmLogger;

class LoggerStartupHost final : public StartupHost {
public:
    LoggerStartupHost(SettingsStore &store, Prompts &prompts, const Clock &clock);
    ~LoggerStartupHost() override;

    void useLogFile(const QString &path) override;
    logfile::FileError writeColumnHeader() override;
    void showMainWindow(bool newFile) override;
    QString startFolder() const override;

    Session &session() { return session_; }
    frmLogger *logger() const { return logger_.get(); }

private:
    SettingsStore &store_;
    Prompts &prompts_;
    Session session_;
    QString path_;  // the chosen log file, until the main window shows it
    std::unique_ptr<frmLogger> logger_;
};
