// The three clocks, the VCR and scenario timers and their reminder prompts. Every value shown is
// computed from the clock, never counted in ticks, so a late tick causes no drift.

#include "windows/frmLogger.h"

#include "session/LogEntry.h"
#include "ui/Clock.h"
#include "ui/KeyCodes.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

namespace {

const QString kStopped = QStringLiteral("00:00:00");
const QString kClockFormat = QStringLiteral("HH:mm:ss");
constexpr qint64 kDay = 24 * 60 * 60;

// A time of day plus the seconds elapsed since a moment, after 23:59:59 from 00:00:00 again.
QTime advanced(const QTime &start, const QDateTime &since, const QDateTime &now) {
    return start.addSecs(static_cast<int>(since.secsTo(now) % kDay));
}

}  // namespace

void frmLogger::tmrMainTimer_Timer() {
    ui_.lblPCTime->setText(clock_.now().toString(QStringLiteral("hh:mm:ss AP")));
    if (modVariables.VCRTimerRunning) {
        ui_.lblVCRTime->setText(
            advanced(modVariables.VCRStartValue, modVariables.VCRStartMoment, clock_.now()).toString(kClockFormat));
        ui_.dtpVCRTime->setTime(advanced(modVariables.VCRStartValue, modVariables.VCRStartMoment, clock_.now()));
    }
    if (modVariables.ScenarioTimerRunning)
        ui_.lblScenarioTime->setText(
            advanced(modVariables.ScenarioElapsedAtStart, modVariables.ScenarioStartMoment, clock_.now())
                .toString(kClockFormat));
}

void frmLogger::setVCRButtons(bool start, bool pause, bool stop) {
    ui_.cmdStartVCR->setEnabled(start);
    ui_.cmdPauseVCR->setEnabled(pause);
    ui_.cmdStopVCR->setEnabled(stop);
}

void frmLogger::setScenarioButtons(bool start, bool pause, bool stop) {
    ui_.cmdStartScenario->setEnabled(start);
    ui_.cmdPauseScenario->setEnabled(pause);
    ui_.cmdStopScenario->setEnabled(stop);
}

void frmLogger::cmdStartVCR_Click() {
    modVariables.VCRStartMoment = clock_.now();
    modVariables.VCRStartValue = ui_.dtpVCRTime->time();
    modVariables.VCRTimerRunning = true;
    // The label shows the tape position at once, so an entry made before the next tick carries it.
    ui_.lblVCRTime->setText(modVariables.VCRStartValue.toString(kClockFormat));
    setTimePickerLocked(ui_.dtpVCRTime, true);
    setVCRButtons(false, true, true);
    selectLastLineAndFocusComment();
}

void frmLogger::cmdPauseVCR_Click() {
    modVariables.VCRTimerRunning = false;
    setVCRButtons(true, false, true);
    selectLastLineAndFocusComment();
}

void frmLogger::cmdStopVCR_Click() {
    ui_.lblVCRTime->setText(kStopped);
    modVariables.VCRTimerRunning = false;
    setTimePickerLocked(ui_.dtpVCRTime, false);
    setVCRButtons(true, false, false);
    selectLastLineAndFocusComment();
}

void frmLogger::cmdStartScenario_Click() {
    if (ui_.chkVCRTimeReminder->isChecked() && !modVariables.VCRTimerRunning) {
        PromptAnswer = prompts_.messageBox(
            QStringLiteral("The VCR Timer has not been started. Do you want to start the VCR Timer?"),
            QStringLiteral("Start VCR Timer?"), Prompts::Buttons::YesNo, Prompts::Icon::None, Prompts::Yes);
        if (PromptAnswer != Prompts::Yes)
            return;
        cmdStartVCR_Click();
    }
    // Stopped when Start alone is enabled; otherwise paused.
    const bool resume = ui_.cmdPauseScenario->isEnabled() || ui_.cmdStopScenario->isEnabled();
    logMarker(resume ? "RESUME" : "START");
    modVariables.ScenarioStartMoment = clock_.now();
    modVariables.ScenarioElapsedAtStart = QTime(0, 0).addSecs(secondsOfClockText(ui_.lblScenarioTime->text()));
    modVariables.ScenarioTimerRunning = true;
    setScenarioButtons(false, true, true);
    selectLastLineAndFocusComment();
}

void frmLogger::cmdPauseScenario_Click() {
    logMarker("PAUSE");
    modVariables.ScenarioTimerRunning = false;
    setScenarioButtons(true, false, true);
    selectLastLineAndFocusComment();
}

void frmLogger::cmdStopScenario_Click() {
    if (!ui_.txtComment->text().isEmpty())
        cmdEnter_Click();  // the pending comment goes in first
    logMarker("STOP");
    ui_.lblScenarioTime->setText(kStopped);
    modVariables.ScenarioTimerRunning = false;
    setScenarioButtons(true, false, false);
    selectLastLineAndFocusComment();
}

void frmLogger::logMarker(const char *kind) {
    modVariables.EventColumn.fill(QString());
    AddLogEntry(QStringLiteral("***%1 SCENARIO TIMER - %2***")
                    .arg(QLatin1String(kind), ui_.cmbScenarios->currentText()));
}

bool frmLogger::scenarioReminderLetsGo(int keyCode) {
    if (!ui_.chkScenarioTimeReminder->isChecked() || keyCode == kKeyF1 || modVariables.ScenarioTimerRunning)
        return true;
    PromptAnswer = prompts_.messageBox(
        QStringLiteral("The Scenario Timer has not been started. Do you want to start the Scenario Timer?"),
        QStringLiteral("Start Scenario Timer?"), Prompts::Buttons::YesNo, Prompts::Icon::None, Prompts::Yes);
    if (PromptAnswer == Prompts::Yes)
        cmdStartScenario_Click();
    // Starting the scenario timer may have asked about the VCR timer: the last answer decides.
    return PromptAnswer != Prompts::No;
}
