#include "Clock.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "frmLogger.h"
#include "modVariables.h"
#include "modWriteColumnHeader.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    SettingsStore store;
    QtPrompts prompts;
    SystemClock clock;
    modVariables.LogFilePath = QDir::home().filePath(QStringLiteral("Usability Test Log.csv"));
    WriteColumnHeader(store);
    frmLogger logger(store, prompts, clock);
    QObject::connect(&logger, &frmLogger::programEnded, &app, &QApplication::quit, Qt::QueuedConnection);
    logger.Form_Load();
    logger.setWindowTitle(QStringLiteral("Quorvane - Usability Test Log.csv"));
    return app.exec();
}
