// The log file commands and the recently used files.

#include "windows/frmLogger.h"

#include "core/logrewrite.h"
#include "core/presence.h"
#include "lists/SettingsStore.h"
#include "session/ColumnHeader.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "windows/FileMessages.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

logfile::FileError frmLogger::WriteColumnHeader() { return WriteColumnHeader(modVariables.LogFilePath); }

logfile::FileError frmLogger::WriteColumnHeader(const QString &path) {
    const ColumnHeaderOutcome outcome = ensureColumnHeader(store_, path);
    modVariables.ButtonCount = outcome.buttonCount;
    modVariables.EventColumn = outcome.titles;
    modVariables.LogFileLength = outcome.fileLength;
    return outcome.error;
}

void frmLogger::setLogFileCaption() {
    setWindowTitle(kAppTitle + QStringLiteral(" - ") + modVariables.LogFilePath.section(u'/', -1));
}

void frmLogger::mnuNew_Click() { chooseLogFile(true); }
void frmLogger::mnuOpen_Click() { chooseLogFile(false); }

void frmLogger::chooseLogFile(bool create) {
    const std::optional<QString> path = prompts_.fileDialog(
        {create ? Prompts::FileDialog::Kind::Save : Prompts::FileDialog::Kind::Open,
         create ? QStringLiteral("Usability Test Log.csv") : QString(), QStringLiteral("Log Files (*.csv)"),
         QFileInfo(modVariables.LogFilePath).absolutePath()});
    if (!path || !acceptLogFile(*path))
        return;
    // The chosen file is made ready before anything changes: when it cannot be, the observer is
    // told and logging goes on in the current file.
    if (const logfile::FileError error = WriteColumnHeader(*path)) {
        prompts_.messageBox(logFileFailureMessage(create, error), kAppTitle, Prompts::Buttons::Ok,
                            Prompts::Icon::Exclamation);
        return;
    }
    if (modVariables.ScenarioTimerRunning)
        cmdStopScenario_Click();  // its STOP entry goes to the file still current
    AddMRUItem(*path);
    modVariables.LogFilePath = *path;
    GetLogData();
    selectLastLineAndFocusComment();  // the newest entry in view, as at start-up
    setLogFileCaption();
    announceLogFile();
}

bool frmLogger::acceptLogFile(const QString &path) {
    const logfile::LogCheck check = logfile::checkLogFile(toNativePath(path));
    switch (check.result) {
    case logfile::LogCheck::Result::Missing:
    case logfile::LogCheck::Result::Empty:
    case logfile::LogCheck::Result::Log:
        return true;
    case logfile::LogCheck::Result::NotLog:
        return confirmNotALog(prompts_, path, check.reason);
    case logfile::LogCheck::Result::Unusable:
        break;
    }
    prompts_.messageBox(logFileFailureMessage(false, check.error), kAppTitle, Prompts::Buttons::Ok,
                        Prompts::Icon::Exclamation);
    return false;
}

void frmLogger::announceLogFile() {
    if (presence_->announce(toNativePath(modVariables.LogFilePath)) == 0)
        return;
    prompts_.messageBox(QStringLiteral("Another copy of Quorvane is logging to this file too:\n\n%1\n\nThe entries "
                                       "of both go into it one after the other, each row whole and none lost. To "
                                       "keep the two logs apart, choose another file with File > New.")
                            .arg(modVariables.LogFilePath),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
}

void frmLogger::mnuDeleteAllComments_Click() {
    PromptAnswer = prompts_.messageBox(QStringLiteral("Are you sure you want to permanently delete all comments?"),
                                       QStringLiteral("Delete All Comments?"), Prompts::Buttons::OkCancel,
                                       Prompts::Icon::None);
    if (PromptAnswer != Prompts::OK)
        return;
    // The file is replaced in one step by one holding a fresh header row, so it is never missing.
    QString count;
    const EventColumnTitles titles = eventColumnTitles(store_, &count);
    if (const logfile::FileError error =
            logfile::startAfresh(toNativePath(modVariables.LogFilePath), columnHeaderRow(titles))) {
        tellCannotWrite(QStringLiteral("The comments could not be deleted; the log file was left as it was."), error);
        return;
    }
    modVariables.ButtonCount = count;
    modVariables.EventColumn = titles;
    modVariables.LogFileLength = 0;
    GetLogData();
}

void frmLogger::mnuMRU_Click(int Index) {
    const QString path = mru_.paths().value(Index);
    // A file that is gone, or cannot be read, is not switched to: the list would show the lines
    // of one file while entries went to another.
    if (logfile::checkLogFile(toNativePath(path)).result == logfile::LogCheck::Result::Missing) {
        prompts_.messageBox(QStringLiteral("This file no longer exists."), QStringLiteral("File Not Found"),
                            Prompts::Buttons::Ok, Prompts::Icon::None);
        return;
    }
    if (!acceptLogFile(path))
        return;
    if (modVariables.ScenarioTimerRunning)
        cmdStopScenario_Click();
    modVariables.LogFilePath = path;
    GetLogData();
    selectLastLineAndFocusComment();  // the newest entry in view, as at start-up
    setLogFileCaption();
    announceLogFile();
}

void frmLogger::AddMRUItem(const QString &NewItem) {
    mru_.AddMRUItem(NewItem);
    refreshMruMenu();
}

void frmLogger::AddMenuElement(const QString &NewItem) {
    mru_.AddMenuElement(NewItem);
    refreshMruMenu();
}

void frmLogger::GetMRUFileList() {
    const QStringList stored = MruList::storedReadablePaths(store_);
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        AddMRUItem(*it);
}

void frmLogger::SaveMRUFileList() { mru_.save(store_); }

void frmLogger::refreshMruMenu() {
    const QStringList &paths = mru_.paths();
    while (ui_.mnuMRU.size() < paths.size()) {
        const int index = static_cast<int>(ui_.mnuMRU.size());
        auto *element = new QAction(this);
        element->setObjectName(QStringLiteral("mnuMRU"));
        ui_.mnuFile->insertAction(ui_.mnuSep0, element);
        connect(element, &QAction::triggered, this, [this, index] { mnuMRU_Click(index); });
        ui_.mnuMRU << element;
    }
    for (int i = 0; i < ui_.mnuMRU.size(); ++i) {
        QAction *element = ui_.mnuMRU.at(i);
        element->setVisible(i < paths.size());
        if (i < paths.size())
            element->setText(QString(paths.at(i)).replace(u'&', QStringLiteral("&&")));  // the path, no access key
    }
}
