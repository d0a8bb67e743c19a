// Log entries: comments, event buttons and the comment editor.

#include "windows/frmLogger.h"

#include "core/logrewrite.h"
#include "session/LogEntry.h"
#include "ui/Clock.h"
#include "ui/KeyCodes.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "windows/FileMessages.h"

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
    const std::string row = logformat::encodeRow(entry.record());
    const std::string path = toNativePath(modVariables.LogFilePath);

    // The row is on disk before its line is shown, and a row that cannot be written adds no line:
    // line i of the list always shows record i of the file.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const logfile::AppendOutcome out = logfile::appendRow(path, row, logfile::Sync::Yes);
        switch (out.result) {
        case logfile::AppendOutcome::Result::Done:
            if (comments_.index().appended(out.offset, static_cast<long long>(row.size()), out.file))
                ui_.lstComment->lineAppended();
            else
                GetLogData();  // another copy wrote to the file meanwhile: show it as it is
            return true;
        case logfile::AppendOutcome::Result::TailNotEnded:
            if (!mendLogEnd(path))
                return false;
            continue;
        case logfile::AppendOutcome::Result::Gone:
            if (!createGoneLogAgain())
                return false;
            continue;
        case logfile::AppendOutcome::Result::Failed:
            tellCannotWrite(QStringLiteral("This entry could not be written to the log file, so it is not in the log."),
                            out.error);
            return false;
        }
    }
    return false;
}

void frmLogger::tellCannotWrite(const QString &what, const logfile::FileError &error) {
    prompts_.messageBox(QStringLiteral("%1\n\n%2\n\nClose any program that holds the file, or choose another log "
                                       "file, then try again.")
                            .arg(what, fileFailureDetails(modVariables.LogFilePath, error)),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}

bool frmLogger::mendLogEnd(const std::string &path) {
    const logfile::TailRepair repair = logfile::repairTail(path);
    switch (repair.result) {
    case logfile::TailRepair::Result::Clean:
        return true;
    case logfile::TailRepair::Result::Ended:
        if (repair.error) {
            prompts_.messageBox(
                QStringLiteral("The log file ends in a damaged row (cut short, perhaps by a crash or a full disk). It "
                               "could not be moved out of the log, so it stays there as a line of its own, and new "
                               "entries start on the next line.\n\n%1")
                    .arg(fileFailureDetails(modVariables.LogFilePath, repair.error)),
                kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
            GetLogData();
        }
        return true;
    case logfile::TailRepair::Result::SetAside:
        prompts_.messageBox(
            QStringLiteral("The log file ended in a damaged row (cut short, perhaps by a crash, a full disk or an "
                           "interrupted copy). So that new entries do not run into it, it was moved out of the log, "
                           "whole, into this file:\n\n%1\n\nYour entry is added to the log now.")
                .arg(QFile::decodeName(QByteArray::fromStdString(repair.asidePath))),
            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
        GetLogData();
        return true;
    case logfile::TailRepair::Result::Failed:
        break;
    }
    tellCannotWrite(QStringLiteral("This entry could not be written to the log file, so it is not in the log."),
                    repair.error);
    return false;
}

bool frmLogger::createGoneLogAgain() {
    const int answer = prompts_.messageBox(
        QStringLiteral("The log file is gone: it was deleted or renamed while Quorvane was using it.\n\n%1\n\n"
                       "Create it again, with its column-header row, and write the entry into it?\n\nIf you answer "
                       "No, the entry is not logged: a typed comment stays in the comment box, and you can choose "
                       "another log file with File > New or File > Open.")
            .arg(modVariables.LogFilePath),
        kAppTitle, Prompts::Buttons::YesNo, Prompts::Icon::Exclamation, Prompts::Yes);
    if (answer != Prompts::Yes)
        return false;
    if (const logfile::FileError error = WriteColumnHeader()) {
        tellCannotWrite(QStringLiteral("The log file could not be created again, so the entry is not in the log."),
                        error);
        return false;
    }
    GetLogData();
    return true;
}

void frmLogger::txtComment_KeyDown(int KeyCode, int Shift) {
    // A key pressed with Ctrl or Alt held is a command (a menu, a shortcut, closing the window),
    // and a modifier key alone is not typing yet: neither asks to start the scenario timer.
    const bool command = (Shift & (kShiftCtrl | kShiftAlt)) != 0 || isModifierKeyCode(KeyCode);
    if (!command && !scenarioReminderLetsGo(KeyCode))
        return;
    if (KeyCode != kKeyEnter || ui_.txtComment->text().isEmpty())
        return;
    modVariables.EventColumn.fill(QString());
    EntryText = QString::fromStdString(logformat::cleanComment(ui_.txtComment->text().toStdString()));
    if (AddLogEntry(EntryText)) {
        selectLine(comments_.lineCount() - 1);
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
    logfile::LogIndex &index = comments_.index();
    const auto record = static_cast<std::size_t>(target);
    if (index.shape(record) == logformat::Shape::Damaged) {
        prompts_.messageBox(QStringLiteral("This line is a damaged row of the log file (cut short, or with more "
                                           "fields than a row has), so its comment cannot be edited."),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    // The record as the file holds it now, read alone: it must still be the line shown.
    const std::string path = toNativePath(modVariables.LogFilePath);
    const std::string shown = index.displayLine(record);
    const logfile::RecordAt found = logfile::readRecordAt(path, index.offset(record));
    if (found.result == logfile::RecordAt::Result::Failed) {
        prompts_.messageBox(QStringLiteral("The log file could not be read, so the comment cannot be edited.\n\n%1")
                                .arg(fileFailureDetails(modVariables.LogFilePath, found.error)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    if (found.result == logfile::RecordAt::Result::Gone || found.displayLine != shown) {
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

    const logfile::CommentEdit edit =
        logfile::replaceComment(path, index.offset(record), shown, cleaned);
    switch (edit.result) {
    case logfile::CommentEdit::Result::Done:
        index.replaced(record, edit.oldLength, edit.newLength, edit.fd, edit.file);
        ui_.lstComment->lineChanged(target);
        selectLine(target);
        return;
    case logfile::CommentEdit::Result::RecordGone:
    case logfile::CommentEdit::Result::RecordChanged:
        logFileChangedBehindUs(target);
        return;
    case logfile::CommentEdit::Result::Failed:
        tellCannotWrite(QStringLiteral("The comment could not be changed; the log file was left as it was."),
                        edit.error);
        return;
    }
}

void frmLogger::logFileChangedBehindUs(int target) {
    prompts_.messageBox(QStringLiteral("The log file has changed since its lines were shown, so this line no longer "
                                       "matches its row in the file. Nothing was changed. The list now shows the "
                                       "file as it is."),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    GetLogData();
    selectLine(std::min(target, comments_.lineCount() - 1));
}
