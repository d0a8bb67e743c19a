#include "LoggerStartupHost.h"

#include "frmLogger.h"
#include "modVariables.h"
#include "modWriteColumnHeader.h"

#include <QCoreApplication>
#include <QComboBox>

LoggerStartupHost::LoggerStartupHost(SettingsStore &store, Prompts &prompts, const Clock &clock)
    : store_(store), prompts_(prompts), clock_(clock) {}

LoggerStartupHost::~LoggerStartupHost() = default;

void LoggerStartupHost::useLogFile(const QString &path) { modVariables.LogFilePath = path; }

logfile::FileError LoggerStartupHost::writeColumnHeader() { return WriteColumnHeader(store_); }

void LoggerStartupHost::showMainWindow(bool newFile) {
    if (!logger_) {
        logger_ = std::make_unique<frmLogger>(store_, prompts_, clock_);
        QObject::connect(logger_.get(), &frmLogger::programEnded, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        logger_->Form_Load();  // the first use of the main window loads it
    }
    if (newFile)
        logger_->AddMRUItem(modVariables.LogFilePath);
    logger_->show();
    logger_->setLogFileCaption();
    if (newFile)
        logger_->controls().cmbParticipants->setEditText(QStringLiteral("Participant Name"));
}
