// Log entries: comments, event buttons and the comment editor.

#include "frmLogger.h"

#include "Clock.h"
#include "FileMessages.h"
#include "CommentListModel.h"
#include "KeyCodes.h"
#include "LogEntry.h"
#include "NativePath.h"
#include "Prompts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString fromStd(const std::string &text) { return QString::fromStdString(text); }

}  // namespace

bool frmLogger::AddLogEntry(const QString &text) {
    LogEntry entry;
    entry.date = clock_.now().date();
    entry.pcTime = ui_.lblPCTime->text();
    entry.vcrTime = ui_.lblVCRTime->text();
    entry.scenarioTime = ui_.lblScenarioTime->text();
    entry.participant = ui_.cmbParticipants->currentText();
    entry.scenario = ui_.cmbScenarios->currentText();
    entry.comment = text;
    entry.events = modVariables.EventColumn;

    // The row is on disk before its line is shown, and a row that cannot be written adds no line:
    // line i of the list always shows record i of the file.
    const logfile::FileError error = logfile::appendRow(toNativePath(modVariables.LogFilePath),
                                                        logformat::encodeRow(entry.record()), logfile::Sync::Yes);
    if (error) {
        prompts_.messageBox(QStringLiteral("This entry could not be written to the log file, so it is not in "
                                           "the log.\n\n%1\n\nClose any program that holds the file, or choose "
                                           "another log file, then make the entry again.")
                                .arg(fileFailureDetails(modVariables.LogFilePath, error)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return false;
    }
    comments_->appendLine(entry.displayLine());
    return true;
}

void frmLogger::txtComment_KeyDown(int KeyCode, int /*Shift*/) {
    if (!scenarioReminderLetsGo(KeyCode))
        return;
    if (KeyCode != kKeyEnter || ui_.txtComment->text().isEmpty())
        return;
    modVariables.EventColumn.fill(QString());
    EntryText = QString::fromStdString(logformat::cleanComment(ui_.txtComment->text().toStdString()));
    if (AddLogEntry(EntryText)) {
        selectLine(comments_->rowCount() - 1);
        ui_.txtComment->clear();  // a comment that could not be written stays for another try
    }
    ui_.txtComment->setFocus();
}

void frmLogger::cmdEnter_Click() { txtComment_KeyDown(kKeyEnter, 0); }

void frmLogger::cmd_Click(int index) {
    if (!scenarioReminderLetsGo(0))
        return;
    EntryText = QString::fromStdString(
        logformat::cleanCaption(ui_.cmd[static_cast<std::size_t>(index)]->text().toStdString()));
    for (int k = 0; k < 10; ++k)
        modVariables.EventColumn[static_cast<std::size_t>(k)] = k == index ? EntryText : QString();
    AddLogEntry(EntryText);
    selectLastLineAndFocusComment();
}

void frmLogger::lstComment_DblClick() {
    const int target = listIndex();
    if (target < 0)
        return;  // no line, no record to edit
    selectLine(target);
    const std::string path = toNativePath(modVariables.LogFilePath);
    const std::string shown(comments_->lines().line(static_cast<std::size_t>(target)));

    const logfile::FoundRecord found = logfile::readRecord(path, static_cast<std::size_t>(target));
    if (found.error) {
        prompts_.messageBox(QStringLiteral("The log file could not be read, so the comment cannot be "
                                           "edited.\n\n%1")
                                .arg(fileFailureDetails(modVariables.LogFilePath, found.error)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    if (!found.found || found.displayLine != shown) {
        logFileChangedBehindUs(target);
        return;
    }
    const logformat::Field &comment = found.record[logformat::Comment];
    const QString old = fromStd(comment.kind == logformat::Kind::Number ? logformat::formatNumber(comment.number)
                                                                         : comment.text);
    const QString answer = prompts_.inputBox(QStringLiteral("Edit this comment."), kAppTitle, old);
    if (answer.isEmpty() || answer == old)
        return;
    const std::string cleaned = logformat::cleanComment(answer.toStdString());
    if (fromStd(cleaned) == old)
        return;

    const logfile::CommentEdit edit = logfile::replaceComment(path, static_cast<std::size_t>(target), shown, cleaned);
    switch (edit.result) {
    case logfile::CommentEdit::Result::Done:
        GetLogData();
        selectLine(target);
        return;
    case logfile::CommentEdit::Result::RecordGone:
    case logfile::CommentEdit::Result::RecordChanged:
        logFileChangedBehindUs(target);
        return;
    case logfile::CommentEdit::Result::Failed:
        prompts_.messageBox(QStringLiteral("The comment could not be changed; the log file was left as it "
                                           "was.\n\n%1")
                                .arg(fileFailureDetails(modVariables.LogFilePath, edit.error)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
}

void frmLogger::logFileChangedBehindUs(int target) {
    prompts_.messageBox(QStringLiteral("The log file has changed since its lines were shown, so this line no longer "
                                       "matches its row in the file. Nothing was changed. The list now shows the "
                                       "file as it is."),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    GetLogData();
    selectLine(std::min(target, comments_->rowCount() - 1));
}
