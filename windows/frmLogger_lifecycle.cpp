// The main window's load and exit.

#include "windows/frmLogger.h"

#include "lists/SettingsStore.h"
#include "ui/Clock.h"
#include "ui/Prompts.h"
#include "ui/Twips.h"
#include "windows/FileMessages.h"

#include <QCheckBox>
#include <algorithm>
#include <cmath>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimeEdit>
#include <QTimer>

namespace {

// A stored size is the observer's: kept as it is, only clamped to the screen's room so the window
// can be handled. One that is not a number or leaves no client area (only possible by editing the
// file by hand) gives the designed size.
double storedSize(const QString &text, double designed, double frame, double largest) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= frame)
        return designed;
    return std::min(value, std::max(designed, largest));
}

int checkValue(const QString &text) { return text.trimmed().toInt(); }

}  // namespace

void frmLogger::Form_Load() {
    setWindowTitle(kAppTitle);
    GetScenarios();
    GetParticipants();
    GetButtons();
    GetLogData();
    // The PC clock before the first tick; both timers stopped, as the session starts them.
    session_.tick();
    showTimers();

    SettingsStore &store = session_.store();
    const bool maximized = store.GetSetting(settingkeys::Maximized) == QLatin1String("True");
    restorePlacement();
    ui_.chkVCRTimeReminder->setChecked(checkValue(store.GetSetting(settingkeys::VCRReminder)) == 1);
    ui_.chkScenarioTimeReminder->setChecked(checkValue(store.GetSetting(settingkeys::ScenarioReminder)) == 1);

    session_.log().recent().clear();
    GetMRUFileList();

    if (maximized)
        showMaximized();
    else
        show();
    selectLastLineAndFocusComment();
    ui_.cmbParticipants->setToolTip(ui_.cmbParticipants->currentText());
    ui_.cmbScenarios->setToolTip(ui_.cmbScenarios->currentText());
    announceLogFile();
}

void frmLogger::restorePlacement() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const SettingsStore &store = session_.store();
    if (store.GetSetting(settingkeys::Maximized) == QLatin1String("False")) {
        const QString width = store.GetSetting(settingkeys::MainWidth);
        const QString height = store.GetSetting(settingkeys::MainHeight);
        setOuterSize(storedSize(width, layout::kDesignOuterWidth, layout::kFrameWidth, pixelsToTwips(room.width())),
                     storedSize(height, layout::kDesignOuterHeight, layout::kFrameHeight, pixelsToTwips(room.height())));
        restored_ = {width, height, outerWidth(), outerHeight()};
    }
    // Centred on the screen when first shown.
    QRect frame = frameGeometry();
    frame.moveCenter(room.center());
    move(frame.topLeft());
}

void frmLogger::savePlacement() {
    SettingsStore &store = session_.store();
    if (isMinimized())
        return;  // the placement saved before stays
    if (isMaximized()) {
        store.SaveSetting(settingkeys::Maximized, QStringLiteral("True"));
        return;
    }
    store.SaveSetting(settingkeys::Maximized, QStringLiteral("False"));
    // A size restored and not changed since is saved as it was stored, not as the screen clamped it.
    const bool unchanged = outerWidth() == restored_.width && outerHeight() == restored_.height;
    const auto saved = [&](const QString &stored, double frame, double now) {
        return unchanged && storedSize(stored, -1, frame, HUGE_VAL) > 0 ? stored : QString::number(now);
    };
    store.SaveSetting(settingkeys::MainWidth, saved(restored_.storedWidth, layout::kFrameWidth, outerWidth()));
    store.SaveSetting(settingkeys::MainHeight, saved(restored_.storedHeight, layout::kFrameHeight, outerHeight()));
}

void frmLogger::mnuExit_Click() {
    if (ended_)
        return;
    ended_ = true;
    SettingsStore &store = session_.store();
    {
        const SettingsStore::Batch once(store);  // one rewrite of the settings file
        store.SaveSetting(settingkeys::VCRReminder, QString::number(ui_.chkVCRTimeReminder->isChecked() ? 1 : 0));
        store.SaveSetting(settingkeys::ScenarioReminder,
                          QString::number(ui_.chkScenarioTimeReminder->isChecked() ? 1 : 0));
        savePlacement();
        recentFiles().save(store);
    }
    if (store.takeSaveFailure())
        prompts_.messageBox(settingsNotSaved(store, QStringLiteral("The window's size, the reminders and the recently "
                                                                   "used files could not be saved")),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    ui_.tmrMainTimer->stop();
    close();
    emit programEnded();
}

void frmLogger::closeEvent(QCloseEvent *event) {
    // The close box and the system closing the window end the program as Exit does.
    mnuExit_Click();
    event->accept();
}
