// Log entries: comments, event buttons and the comment editor. The session writes; the window
// asks what must be asked and tells what went wrong.

#include "windows/frmLogger.h"

#include "ui/KeyCodes.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "windows/FileMessages.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

namespace {
const QString kNotWritten = QStringLiteral("This entry could not be written to the log file, so it is not in the log.");
}  // namespace

Subject frmLogger::subject() const { return {ui_.cmbParticipants->currentText(), ui_.cmbScenarios->currentText()}; }

bool frmLogger::AddLogEntry(const QString &text, const EventColumns &events) {
    const LogEntry entry = session_.entry(text, events, subject());
    for (;;) {
        const LogSession::AppendResult result = session_.log().append(entry);
        showMendedEnd(result.tail);
        switch (result.kind) {
        case LogSession::AppendResult::Kind::Written:
            if (result.reloaded)
                showLoad(result.load);
            else
                ui_.lstComment->lineAppended();
            return true;
        case LogSession::AppendResult::Kind::Failed:
            tellCannotWrite(kNotWritten, result.error);
            return false;
        case LogSession::AppendResult::Kind::Gone:
            break;
        }
        const int answer = prompts_.messageBox(
            QStringLiteral("The log file is gone: it was deleted or renamed while Quorvane was using it.\n\n%1\n\n"
                           "Create it again, with its column-header row, and write the entry into it?\n\nIf you "
                           "answer No, the entry is not logged: a typed comment stays in the comment box, and you "
                           "can choose another log file with File > New or File > Open.")
                .arg(session_.log().path()),
            kAppTitle, Prompts::Buttons::YesNo, Prompts::Icon::Exclamation, Prompts::Yes);
        if (answer != Prompts::Yes)
            return false;
        if (const logfile::FileError error = session_.log().createAgain()) {
            tellCannotWrite(QStringLiteral("The log file could not be created again, so the entry is not in the log."),
                            error);
            return false;
        }
        GetLogData();
    }
}

void frmLogger::showMendedEnd(const logfile::TailRepair &tail) {
    if (tail.result == logfile::TailRepair::Result::SetAside)
        prompts_.messageBox(
            QStringLiteral("The log file ended in a damaged row (cut short, perhaps by a crash, a full disk or an "
                           "interrupted copy). So that new entries do not run into it, it was moved out of the log, "
                           "whole, into this file:\n\n%1\n\nYour entry is added to the log now.")
                .arg(QFile::decodeName(QByteArray::fromStdString(tail.asidePath))),
            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
    else if (tail.result == logfile::TailRepair::Result::Ended && tail.error)
        prompts_.messageBox(
            QStringLiteral("The log file ends in a damaged row (cut short, perhaps by a crash or a full disk). It "
                           "could not be moved out of the log, so it stays there as a line of its own, and new "
                           "entries start on the next line.\n\n%1")
                .arg(fileFailureDetails(session_.log().path(), tail.error)),
            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}

void frmLogger::tellCannotWrite(const QString &what, const logfile::FileError &error) {
    const QString advice = error.kind == logfile::FailureKind::FolderNotWritable
                               ? QStringLiteral("Make the log's folder writable, or copy the log to a folder you can "
                                                "write to and open the copy, then try again.")
                               : QStringLiteral("Close any program that holds the file, or choose another log file, "
                                                "then try again.");
    prompts_.messageBox(QStringLiteral("%1\n\n%2\n\n%3").arg(what, fileFailureDetails(session_.log().path(), error), advice),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}

void frmLogger::tellNotFlushed(const logfile::FileError &error) {
    if (error.kind == logfile::FailureKind::NotFlushed)
        prompts_.messageBox(fileFailureDetails(session_.log().path(), error), kAppTitle, Prompts::Buttons::Ok,
                            Prompts::Icon::Exclamation);
}

bool frmLogger::mayReplaceLog() {
    const logfile::ReplaceRisk risk = session_.log().replaceRisk();
    if (risk.ownerChanges) {
        prompts_.messageBox(QStringLiteral("This log file belongs to another user. A changed or emptied log is written "
                                           "as a new copy, which would belong to you, and its owner could then no "
                                           "longer add entries to it, so nothing was changed.\n\nFile: %1\n\nAsk "
                                           "the log's owner to make the change, or copy the log and open the copy.")
                                .arg(session_.log().path()),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return false;
    }
    QStringList what;
    if (risk.otherNames > 0)
        what << QStringLiteral("This log file has %1 other name(s) (hard links to it). The change is written as a new "
                               "file under this name only: the other names keep the rows as they are now, and later "
                               "entries go to this name.")
                    .arg(risk.otherNames);
    if (risk.groupChanges)
        what << QStringLiteral("The log's group is one you are not a member of. The changed log will belong to your "
                               "own group, so the members of its group may no longer be able to add to it.");
    if (what.isEmpty())
        return true;
    return prompts_.messageBox(what.join(QStringLiteral("\n\n")) + QStringLiteral("\n\nFile: %1\n\nChange the log "
                                                                                 "anyway?")
                                                                      .arg(session_.log().path()),
                               kAppTitle, Prompts::Buttons::YesNo, Prompts::Icon::Exclamation, Prompts::No) ==
           Prompts::Yes;
}

void frmLogger::txtComment_KeyDown(int KeyCode, int Shift) {
    // A key pressed with Ctrl or Alt held is a command (a menu, a shortcut, closing the window),
    // and a modifier key alone is not typing yet: neither asks to start the scenario timer.
    const bool command = (Shift & (kShiftCtrl | kShiftAlt)) != 0 || isModifierKeyCode(KeyCode);
    if (!command && !scenarioReminderLetsGo(KeyCode))
        return;
    if (KeyCode != kKeyEnter || ui_.txtComment->text().isEmpty())
        return;
    const QString text = QString::fromStdString(logformat::cleanComment(ui_.txtComment->text().toStdString()));
    if (AddLogEntry(text)) {
        selectLine(comments_.lineCount() - 1);
        // Emptied with its own undo history, so that no Undo of the box brings the comment back to
        // be logged twice; a comment that could not be written stays for another try.
        ui_.txtComment->setText(QString());
    }
    ui_.txtComment->setFocus();
}

void frmLogger::cmdEnter_Click() {
    txtComment_KeyDown(kKeyEnter, 0);
    flushTypedAhead();  // typed while a reminder asked, after Enter: the next comment's start
}

void frmLogger::cmd_Click(int index) {
    if (!scenarioReminderLetsGo(0))
        return;
    const QString text = QString::fromStdString(
        logformat::cleanCaption(ui_.cmd[static_cast<std::size_t>(index)]->text().toStdString()));
    EventColumns events;
    events[static_cast<std::size_t>(index)] = text;
    AddLogEntry(text, events);
    selectLastLineAndFocusComment();
    flushTypedAhead();
}

void frmLogger::lstComment_DblClick() {
    // Back to the comment box when the editor closes, either way, as after every other command.
    const auto backToTheComment = qScopeGuard([this] { ui_.txtComment->setFocus(); });
    const int target = listIndex();
    if (target < 0)
        return;  // no line, no record to edit
    selectLine(target);
    const auto row = static_cast<std::size_t>(target);
    const LogSession::CommentLookup found = session_.log().commentAt(row);
    switch (found.result) {
    case LogSession::CommentLookup::Result::Found:
        break;
    case LogSession::CommentLookup::Result::Damaged:
        prompts_.messageBox(QStringLiteral("This line is a damaged row of the log file (cut short, or with more "
                                           "fields than a row has), so its comment cannot be edited."),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    case LogSession::CommentLookup::Result::Changed:
        logFileChangedBehindUs(target);
        return;
    case LogSession::CommentLookup::Result::Failed:
        prompts_.messageBox(QStringLiteral("The log file could not be read, so the comment cannot be edited.\n\n%1")
                                .arg(fileFailureDetails(session_.log().path(), found.error)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    const QString answer = prompts_.inputBox(QStringLiteral("Edit this comment."), kAppTitle, found.comment);
    if (answer.isEmpty() || answer == found.comment)
        return;
    const QString cleaned = QString::fromStdString(logformat::cleanComment(answer.toStdString()));
    if (cleaned == found.comment || !mayReplaceLog())
        return;
    const LogSession::CommentChange change = session_.log().changeComment(row, cleaned);
    switch (change.result) {
    case LogSession::CommentChange::Result::Done:
        ui_.lstComment->lineChanged(target);
        selectLine(target);
        tellNotFlushed(change.error);
        return;
    case LogSession::CommentChange::Result::Changed:
        logFileChangedBehindUs(target);
        return;
    case LogSession::CommentChange::Result::Failed:
        tellCannotWrite(QStringLiteral("The comment could not be changed; the log file was left as it was."),
                        change.error);
        return;
    }
}

void frmLogger::showLogChangedOnDisk() {
    using Change = logfile::LogIndex::Change;
    const Change change = session_.log().changedOnDisk();
    if (change == Change::None || change == Change::Gone)
        return;  // a log that is gone is said when the next entry cannot go into it
    const int shown = comments_.lineCount();
    const int row = listIndex();
    GetLogData();
    selectLine(std::min(row, comments_.lineCount() - 1));
    if (change == Change::Shrank)
        prompts_.messageBox(QStringLiteral("The log file was made shorter by another program: the list showed %1 "
                                           "lines, the file now holds %2. The list now shows the file as it is.\n\n"
                                           "File: %3")
                                .arg(shown)
                                .arg(comments_.lineCount())
                                .arg(session_.log().path()),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}

void frmLogger::logFileChangedBehindUs(int target) {
    prompts_.messageBox(QStringLiteral("The log file has changed since its lines were shown, so this line no longer "
                                       "matches its row in the file. Nothing was changed. The list now shows the "
                                       "file as it is."),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    GetLogData();
    selectLine(std::min(target, comments_.lineCount() - 1));
}

void frmLogger::showRowChange(const LogSession::RowChange &change, const QString &what) {
    using Result = LogSession::RowChange::Result;
    switch (change.result) {
    case Result::Done:
        ui_.lstComment->reset();
        selectLine(std::min(static_cast<int>(change.line), comments_.lineCount() - 1));
        tellNotFlushed(change.error);
        return;
    case Result::Nothing:
        return;
    case Result::Header:
        prompts_.messageBox(QStringLiteral("The first line is the log's column-header row: it stays."), kAppTitle,
                            Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    case Result::Marker:
        prompts_.messageBox(QStringLiteral("This line is a marker of the scenario timer (its start, pause, resume or "
                                           "stop). Markers stay in the log: the times on task of the session summary "
                                           "are worked out from them."),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    case Result::Damaged:
        prompts_.messageBox(QStringLiteral("This line is a damaged row of the log file (cut short, or with more fields "
                                           "than a row has), so it holds no entry to take out."),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    case Result::Changed:
        logFileChangedBehindUs(listIndex());
        return;
    case Result::Failed:
        tellCannotWrite(what + QStringLiteral(" The log file was left as it was."), change.error);
        return;
    }
}

void frmLogger::mnuUndoEntry_Click() {
    const auto back = qScopeGuard([this] { ui_.txtComment->setFocus(); });
    if (!session_.log().canUndo() || !mayReplaceLog())
        return;
    showRowChange(session_.log().undoEntry(), QStringLiteral("The last entry could not be taken back."));
}

void frmLogger::mnuRedoEntry_Click() {
    const auto back = qScopeGuard([this] { ui_.txtComment->setFocus(); });
    if (!session_.log().canRedo() || !mayReplaceLog())
        return;
    showRowChange(session_.log().redoEntry(), QStringLiteral("The entry could not be put back."));
}

void frmLogger::mnuRemoveEntry_Click() {
    const auto back = qScopeGuard([this] { ui_.txtComment->setFocus(); });
    const int target = listIndex();
    if (target < 0)
        return;
    // A line that stays is said so at once, not after the observer agreed to take it out.
    if (const auto stays = session_.log().whyEntryStays(static_cast<std::size_t>(target));
        stays != LogSession::RowChange::Result::Done) {
        LogSession::RowChange refused;
        refused.result = stays;
        showRowChange(refused, {});
        return;
    }
    if (prompts_.messageBox(QStringLiteral("Take this entry out of the log?\n\n%1\n\nIt is kept, whole, in %2.")
                                .arg(comments_.line(target), session_.log().removedRowsPath()),
                            QStringLiteral("Remove Entry?"), Prompts::Buttons::YesNo, Prompts::Icon::None,
                            Prompts::Yes) != Prompts::Yes ||
        !mayReplaceLog())
        return;
    showRowChange(session_.log().removeEntry(static_cast<std::size_t>(target)),
                  QStringLiteral("The entry could not be taken out."));
}
