#include "app/LoggerStartupHost.h"
#include "lists/SettingsStore.h"
#include "ui/AppIcon.h"
#include "ui/Clock.h"
#include "ui/Prompts.h"
#include "windows/frmStartup.h"

#include <QApplication>
#include <csignal>

int main(int argc, char *argv[]) {
    // Past a file size limit a write must fail and be reported, not end the program with the
    // observer's entry.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader of an export that goes away early must give a write error, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));
    QApplication::setWindowIcon(appIcon());
    QApplication::setQuitOnLastWindowClosed(false);  // the start-up dialog hides before the main window shows
    SettingsStore store;
    QtPrompts prompts;
    SystemClock clock;
    LoggerStartupHost host(store, prompts, clock);
    frmStartup startup(prompts, host);
    QObject::connect(&startup, &frmStartup::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    startup.Form_Load();
    return app.exec();
}
