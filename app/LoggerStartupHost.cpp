#include "app/LoggerStartupHost.h"

#include "lists/SettingsStore.h"
#include "windows/frmLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QComboBox>

LoggerStartupHost::LoggerStartupHost(SettingsStore &store, Prompts &prompts, const Clock &clock)
    : store_(store), prompts_(prompts), clock_(clock) {}

LoggerStartupHost::~LoggerStartupHost() = default;

void LoggerStartupHost::useLogFile(const QString &path) { path_ = path; }

logfile::FileError LoggerStartupHost::writeColumnHeader() {
    header_ = ensureColumnHeader(store_, path_);
    return header_.error;
}

void LoggerStartupHost::showMainWindow(bool newFile) {
    if (!logger_) {
        logger_ = std::make_unique<frmLogger>(store_, prompts_, clock_);
        logger_->modVariables.LogFilePath = path_;
        // What the header writer left in the shared state, as if the window had run it.
        logger_->modVariables.ButtonCount = header_.buttonCount;
        logger_->modVariables.EventColumn = header_.titles;
        logger_->modVariables.LogFileLength = header_.fileLength;
        QObject::connect(logger_.get(), &frmLogger::programEnded, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        logger_->Form_Load();  // the first use of the main window loads it
    } else if (logger_->modVariables.LogFilePath != path_) {
        logger_->modVariables.LogFilePath = path_;
        logger_->GetLogData();
    }
    if (newFile)
        logger_->AddMRUItem(path_);
    logger_->show();
    logger_->setLogFileCaption();
    if (newFile)
        logger_->controls().cmbParticipants->setEditText(QStringLiteral("Participant Name"));
}

QString LoggerStartupHost::startFolder() const {
    const QString recent = store_.GetSetting(QString::fromUtf8(settingkeys::MRUSection), QStringLiteral("0"));
    if (!recent.isEmpty() && QFileInfo(recent).absoluteDir().exists())
        return QFileInfo(recent).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}
