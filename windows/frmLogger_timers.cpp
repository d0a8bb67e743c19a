// The three clocks, the VCR and scenario timers and their reminder prompts: each handler asks the
// session's timers and shows what they say.

#include "windows/frmLogger.h"

#include "ui/Clock.h"
#include "ui/KeyCodes.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <utility>

void frmLogger::tmrMainTimer_Timer() {
    session_.tick();
    showTimers();
    showLogChangedOnDisk();
}

void frmLogger::showTimers() {
    ui_.lblPCTime->setText(session_.pcTime());
    const ManualTape &tape = session_.tape();
    ui_.lblVCRTime->setText(clockText(tape.shown()));
    {
        const QSignalBlocker quiet(ui_.dtpVCRTime);  // the picker shows the position, it does not set it
        ui_.dtpVCRTime->setTime(QTime(0, 0).addSecs(tape.position()));
    }
    setTimePickerLocked(ui_.dtpVCRTime, tape.positionLocked());
    ui_.cmdStartVCR->setEnabled(tape.state() != TimerState::Running);
    ui_.cmdPauseVCR->setEnabled(tape.state() == TimerState::Running);
    ui_.cmdStopVCR->setEnabled(tape.state() != TimerState::Stopped);

    const ScenarioTimer &scenario = session_.scenario();
    ui_.lblScenarioTime->setText(clockText(scenario.shown()));
    ui_.cmdStartScenario->setEnabled(scenario.state() != TimerState::Running);
    ui_.cmdPauseScenario->setEnabled(scenario.state() == TimerState::Running);
    ui_.cmdStopScenario->setEnabled(scenario.state() != TimerState::Stopped);
    showTape();
}

void frmLogger::cmdStartVCR_Click() {
    session_.tape().start(session_.clock().now());
    showTimers();
    selectLastLineAndFocusComment();
}

void frmLogger::cmdPauseVCR_Click() {
    session_.tape().pause();
    showTimers();
    selectLastLineAndFocusComment();
}

void frmLogger::cmdStopVCR_Click() {
    session_.tape().stop();
    showTimers();
    selectLastLineAndFocusComment();
}

bool frmLogger::remind(const QString &text, const QString &title) {
    QString typed;
    const int answer = prompts_.reminder(text, title, typed);
    typedAhead_ += typed;
    return answer == Prompts::Yes;
}

void frmLogger::flushTypedAhead() {
    if (typedAhead_.isEmpty())
        return;
    ui_.txtComment->insert(std::exchange(typedAhead_, QString()));
    ui_.txtComment->setFocus();
}

bool frmLogger::startScenario() {
    // A linked tape is the recording's to start, not the observer's: nothing to remind of.
    if (ui_.chkVCRTimeReminder->isChecked() && !session_.tapeSource().linked() &&
        session_.tape().state() != TimerState::Running) {
        if (!remind(QStringLiteral("The VCR Timer has not been started. Do you want to start the VCR Timer?"),
                    QStringLiteral("Start VCR Timer?")))
            return false;
        cmdStartVCR_Click();
    }
    // The marker carries the time shown before the start: 00:00:00, or the paused value.
    AddLogEntry(scenarioMarker(session_.scenario().startMarker(), ui_.cmbScenarios->currentText()));
    session_.scenario().start(session_.clock().now());
    showTimers();
    selectLastLineAndFocusComment();
    return true;
}

void frmLogger::cmdStartScenario_Click() {
    startScenario();
    flushTypedAhead();
}

void frmLogger::cmdPauseScenario_Click() {
    AddLogEntry(scenarioMarker("PAUSE", ui_.cmbScenarios->currentText()));
    session_.scenario().pause();
    showTimers();
    selectLastLineAndFocusComment();
}

void frmLogger::cmdStopScenario_Click() {
    if (!ui_.txtComment->text().isEmpty())
        cmdEnter_Click();  // the pending comment goes in first
    AddLogEntry(scenarioMarker("STOP", ui_.cmbScenarios->currentText()));
    session_.scenario().stop();
    showTimers();
    selectLastLineAndFocusComment();
    flushTypedAhead();
}

bool frmLogger::scenarioReminderLetsGo(int keyCode) {
    if (!ui_.chkScenarioTimeReminder->isChecked() || keyCode == kKeyF1 || session_.scenario().running())
        return true;
    if (!remind(QStringLiteral("The Scenario Timer has not been started. Do you want to start the Scenario Timer?"),
                QStringLiteral("Start Scenario Timer?")))
        return false;
    // Starting it may ask about the VCR timer: the entry goes ahead only when that was Yes too.
    return startScenario();
}
