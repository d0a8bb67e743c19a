#include "app/LoggerStartupHost.h"

#include "lists/SettingsStore.h"
#include "windows/frmLogger.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

LoggerStartupHost::LoggerStartupHost(SettingsStore &store, Prompts &prompts, const Clock &clock)
    : store_(store), prompts_(prompts), session_(store, clock) {}

LoggerStartupHost::~LoggerStartupHost() = default;

void LoggerStartupHost::useLogFile(const QString &path) { path_ = path; }

logfile::FileError LoggerStartupHost::writeColumnHeader() {
    const logfile::FileError error = session_.log().writeHeader(path_);
    session_.counts().buttons = session_.log().header().buttonCount;
    return error;
}

void LoggerStartupHost::showMainWindow(bool newFile) {
    if (!logger_) {
        session_.log().use(path_);
        logger_ = std::make_unique<frmLogger>(session_, prompts_);
        QObject::connect(logger_.get(), &frmLogger::programEnded, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        logger_->Form_Load();  // the first use of the main window loads it
    } else if (session_.log().path() != path_) {
        session_.log().use(path_);
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
