// The log file commands and the recently used files.

#include "windows/frmLogger.h"

#include "lists/SettingsStore.h"
#include "ui/Prompts.h"
#include "windows/FileMessages.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

logfile::FileError frmLogger::WriteColumnHeader() {
    const logfile::FileError error = session_.log().writeHeader(session_.log().path());
    session_.counts().buttons = session_.log().header().buttonCount;
    return error;
}

void frmLogger::setLogFileCaption() {
    setWindowTitle(kAppTitle + QStringLiteral(" - ") + session_.log().path().section(u'/', -1));
}

void frmLogger::mnuNew_Click() { chooseLogFile(true); }
void frmLogger::mnuOpen_Click() { chooseLogFile(false); }

void frmLogger::chooseLogFile(bool create) {
    const std::optional<QString> path = prompts_.fileDialog(
        {create ? Prompts::FileDialog::Kind::Save : Prompts::FileDialog::Kind::Open,
         create ? QStringLiteral("Usability Test Log.csv") : QString(), QStringLiteral("Log Files (*.csv)"),
         QFileInfo(session_.log().path()).absolutePath()});
    if (!path || !acceptLogFile(*path))
        return;
    // The chosen file is made ready before anything changes: when it cannot be, the observer is
    // told and logging goes on in the current file.
    const logfile::FileError error = session_.log().writeHeader(*path);
    session_.counts().buttons = session_.log().header().buttonCount;
    if (error) {
        prompts_.messageBox(logFileFailureMessage(create, error), kAppTitle, Prompts::Buttons::Ok,
                            Prompts::Icon::Exclamation);
        return;
    }
    if (session_.scenario().running())
        cmdStopScenario_Click();  // its STOP entry goes to the file still current
    AddMRUItem(*path);
    switchTo(*path);
}

void frmLogger::switchTo(const QString &path) {
    session_.log().use(path);
    GetLogData();
    selectLastLineAndFocusComment();  // the newest entry in view, as at start-up
    setLogFileCaption();
    announceLogFile();
}

void frmLogger::announceLogFile() {
    if (session_.log().announce() == 0)
        return;
    prompts_.messageBox(QStringLiteral("Another copy of Quorvane is logging to this file too:\n\n%1\n\nThe entries "
                                       "of both go into it one after the other, each row whole and none lost. To "
                                       "keep the two logs apart, choose another file with File > New.")
                            .arg(session_.log().path()),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
}

bool frmLogger::acceptLogFile(const QString &path) {
    const logfile::LogCheck check = LogSession::check(path);
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

void frmLogger::mnuDeleteAllComments_Click() {
    // Cancel is the default: Enter twice after the menu must not empty the log.
    if (prompts_.messageBox(QStringLiteral("Are you sure you want to permanently delete all comments?"),
                            QStringLiteral("Delete All Comments?"), Prompts::Buttons::OkCancel, Prompts::Icon::None,
                            Prompts::Cancel) != Prompts::OK ||
        !mayReplaceLog())
        return;
    const logfile::FileError error = session_.log().startAfresh();
    if (error && error.kind != logfile::FailureKind::NotFlushed) {
        tellCannotWrite(QStringLiteral("The comments could not be deleted; the log file was left as it was."), error);
        return;
    }
    session_.counts().buttons = session_.log().header().buttonCount;
    GetLogData();
    tellNotFlushed(error);
}

void frmLogger::mnuMRU_Click(int Index) {
    const QString path = recentFiles().paths().value(Index);
    // A file that is gone, or cannot be read, is not switched to: the list would show the lines
    // of one file while entries went to another.
    if (LogSession::check(path).result == logfile::LogCheck::Result::Missing) {
        prompts_.messageBox(QStringLiteral("This file no longer exists."), QStringLiteral("File Not Found"),
                            Prompts::Buttons::Ok, Prompts::Icon::None);
        return;
    }
    if (!acceptLogFile(path))
        return;
    if (session_.scenario().running())
        cmdStopScenario_Click();
    switchTo(path);
}

void frmLogger::AddMRUItem(const QString &NewItem) {
    session_.log().recent().AddMRUItem(NewItem);
    refreshMruMenu();
}

void frmLogger::AddMenuElement(const QString &NewItem) {
    session_.log().recent().AddMenuElement(NewItem);
    refreshMruMenu();
}

void frmLogger::GetMRUFileList() {
    const QStringList stored = MruList::storedReadablePaths(session_.store());
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        AddMRUItem(*it);
}

void frmLogger::refreshMruMenu() {
    const QStringList &paths = recentFiles().paths();
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
