// The list set-up dialogs' opening commands, moving the window by its background, help, About.

#include "windows/frmLogger.h"

#include "ui/About.h"
#include "ui/HelpWindow.h"
#include "ui/Prompts.h"
#include "windows/FileMessages.h"
#include "windows/SpreadsheetExport.h"
#include "windows/frmSessionSummary.h"
#include "windows/frmSetUpList.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>

void frmLogger::cmdSetUpScenarios_Click() {
    openListDialog(kSetUpScenarios, session_.counts().scenarios, [this] { GetScenarios(); });
}

void frmLogger::cmdSetUpParticipants_Click() {
    openListDialog(kSetUpParticipants, session_.counts().participants, [this] { GetParticipants(); });
}

void frmLogger::mnuCustomizeEventButtons_Click() {
    openListDialog(kSetUpCustomButtons, session_.counts().buttons, [this] {
        if (const logfile::FileError error = WriteColumnHeader())
            prompts_.messageBox(QStringLiteral("The custom event buttons are saved, but the log file's header row "
                                               "could not be written.\n\n") +
                                    fileFailureDetails(session_.log().path(), error),
                                kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        GetLogData();
        GetButtons();
    });
}

void frmLogger::openListDialog(const SetUpListKind &kind, QString &count, std::function<void()> refresh) {
    // Created on opening and gone on closing, so each opening reads the store afresh.
    frmSetUpList dialog(kind, session_.store(), prompts_, count, std::move(refresh), this);
    dialog.exec();
}

void frmLogger::mnuContents_Click() {
    if (help_ == nullptr)
        help_ = new HelpWindow(this);
    help_->showContents(helpFile_.isEmpty() ? defaultHelpFile() : helpFile_);
    help_->showOver(this);
}

void frmLogger::mnuExportToSpreadsheet_Click() {
    exportLogToSpreadsheet(this, prompts_, session_.log().path());
    ui_.txtComment->setFocus();
}

void frmLogger::mnuSessionSummary_Click() {
    auto *summary = new frmSessionSummary(prompts_, session_.log().path(), this);
    summary->setAttribute(Qt::WA_DeleteOnClose);
    summary->show();
}

void frmLogger::mnuAbout_Click() {
    prompts_.messageBox(aboutText(), QStringLiteral("About Quorvane"), Prompts::Buttons::Ok,
                        Prompts::Icon::Information);
}

bool frmLogger::isDragSurface(QObject *watched, const QPoint &pos) const {
    QWidget *surface = qobject_cast<QWidget *>(watched);
    if (surface == nullptr || (surface != ui_.client && !ui_.dragSurfaces().contains(surface)))
        return false;
    // A press that reached a frame or the background past a control (a disabled one) is the
    // control's, not the background's.
    QWidget *under = surface->childAt(pos);
    return under == nullptr || ui_.dragSurfaces().contains(under);
}

bool frmLogger::dragEvent(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *press = static_cast<QMouseEvent *>(event);
        if (!isDragSurface(watched, press->position().toPoint()))
            return false;
        // Any button moves the window, as a drag of its title bar does. The window system's own move
        // knows only the left button; for the others the window follows the pointer until that
        // button is released (and so it does when the window system declines).
        emit windowMoveStarted();
        if (press->button() == Qt::LeftButton && windowHandle() != nullptr && windowHandle()->startSystemMove())
            return true;
        dragOffset_ = press->globalPosition().toPoint() - pos();
        dragButton_ = press->button();
        dragging_ = true;
        return true;
    }
    case QEvent::MouseMove:
        if (!dragging_)
            return false;
        move(static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - dragOffset_);
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragging_)
            return false;
        if (static_cast<QMouseEvent *>(event)->button() == dragButton_)
            dragging_ = false;
        return true;
    default:
        return false;
    }
}
