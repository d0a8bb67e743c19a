// The main window's load and exit.

#include "windows/frmLogger.h"

#include "lists/SettingsStore.h"
#include "ui/Clock.h"
#include "ui/Prompts.h"
#include "ui/Twips.h"

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

// The smallest window a stored size restores: the menus, the comment box and some of the list.
constexpr double kMinOuterWidth = 4500;
constexpr double kMinOuterHeight = 4500;

// A stored size that is not a number (only possible by editing the file by hand) leaves the
// designed size; any other is kept between a usable minimum and the screen's room, so a size
// typed into the file can neither hide the window nor make it too big to handle.
double storedSize(const QString &text, double designed, double smallest, double largest) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return designed;
    return std::clamp(value, smallest, std::max(smallest, largest));
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
    if (store.GetSetting(settingkeys::Maximized) == QLatin1String("False"))
        setOuterSize(storedSize(store.GetSetting(settingkeys::MainWidth), layout::kDesignOuterWidth, kMinOuterWidth,
                                pixelsToTwips(room.width())),
                     storedSize(store.GetSetting(settingkeys::MainHeight), layout::kDesignOuterHeight,
                                kMinOuterHeight, pixelsToTwips(room.height())));
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
    store.SaveSetting(settingkeys::MainWidth, QString::number(outerWidth()));
    store.SaveSetting(settingkeys::MainHeight, QString::number(outerHeight()));
}

void frmLogger::mnuExit_Click() {
    if (ended_)
        return;
    ended_ = true;
    SettingsStore &store = session_.store();
    store.SaveSetting(settingkeys::VCRReminder, QString::number(ui_.chkVCRTimeReminder->isChecked() ? 1 : 0));
    store.SaveSetting(settingkeys::ScenarioReminder, QString::number(ui_.chkScenarioTimeReminder->isChecked() ? 1 : 0));
    savePlacement();
    recentFiles().save(store);
    ui_.tmrMainTimer->stop();
    close();
    emit programEnded();
}

void frmLogger::closeEvent(QCloseEvent *event) {
    // The close box and the system closing the window end the program as Exit does.
    mnuExit_Click();
    event->accept();
}
