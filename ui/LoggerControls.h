#pragma once
// The main window's controls as designed: names (as objectName), kinds, captions, places, tab
// order and menus. The behaviour behind them lives in frmLogger.

#include "ui/LoggerLayout.h"

#include <QList>
#include <QStringList>
#include <Qt>
#include <array>

class QAction;
class QCheckBox;
class QFont;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class CommentList;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimeEdit;
class QTimer;
class QWidget;

struct LoggerControls {
    QWidget *client = nullptr;  // the window's client area below the menu bar

    QGroupBox *frameParticipant = nullptr;
    QComboBox *cmbParticipants = nullptr;
    QPushButton *cmdSetUpParticipants = nullptr;
    QLabel *lblPCTimeLabel = nullptr;
    QLabel *lblPCTime = nullptr;

    QGroupBox *frameVCR = nullptr;
    QCheckBox *chkVCRTimeReminder = nullptr;
    QLabel *lblSetVCRTimeLabel = nullptr;
    QTimeEdit *dtpVCRTime = nullptr;
    QPushButton *cmdStartVCR = nullptr;
    QPushButton *cmdPauseVCR = nullptr;
    QPushButton *cmdStopVCR = nullptr;
    QLabel *lblVCRTimeLabel = nullptr;
    QLabel *lblVCRTime = nullptr;

    QGroupBox *frameScenario = nullptr;
    QCheckBox *chkScenarioTimeReminder = nullptr;
    QComboBox *cmbScenarios = nullptr;
    QPushButton *cmdSetUpScenarios = nullptr;
    QPushButton *cmdStartScenario = nullptr;
    QPushButton *cmdPauseScenario = nullptr;
    QPushButton *cmdStopScenario = nullptr;
    QLabel *lblScenarioTimeLabel = nullptr;
    QLabel *lblScenarioTime = nullptr;

    CommentList *lstComment = nullptr;
    QLabel *lblComments = nullptr;
    QLineEdit *txtComment = nullptr;
    QPushButton *cmdEnter = nullptr;
    std::array<QPushButton *, 10> cmd{};

    QTimer *tmrMainTimer = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuNew = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuSessionSummary = nullptr;
    QAction *mnuExportToSpreadsheet = nullptr;
    QAction *sep2 = nullptr;
    QList<QAction *> mnuMRU;  // element 0 exists from the start, hidden
    QAction *mnuSep0 = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuUndoEntry = nullptr;
    QAction *mnuRedoEntry = nullptr;
    QAction *mnuEditComment = nullptr;
    QAction *mnuRemoveEntry = nullptr;
    QAction *sepEdit = nullptr;
    QAction *mnuDeleteAllComments = nullptr;
    QMenu *mnuCustomEventButtons = nullptr;
    QAction *mnuCustomizeEventButtons = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuContents = nullptr;
    QAction *sep3 = nullptr;
    QAction *mnuAbout = nullptr;

    // The VCR timer's source, beyond the design: a menu of its own before Help, and the link's
    // state, shown in the time picker's place while a link is chosen.
    QMenu *mnuVCRTimer = nullptr;
    QAction *mnuTapeManual = nullptr;
    QAction *mnuTapeObs = nullptr;
    QMenu *mnuTapePlayer = nullptr;  // filled with the players on the bus as it opens
    QAction *mnuGoToMoment = nullptr;
    QLabel *lblTapeLink = nullptr;

    std::array<QWidget *, layout::ControlCount> byControl{};
    QWidget *widget(layout::Control c) const { return byControl[c]; }
    template <typename W>
    W *as(layout::Control c) const {
        return static_cast<W *>(byControl[c]);
    }
    // The eight labels and three frames a mouse press on which moves the window.
    QList<QWidget *> dragSurfaces() const;
};

// The keys of the timer buttons: function keys, which no text box needs.
inline constexpr int kKeyStartVCR = Qt::Key_F2, kKeyPauseVCR = Qt::Key_F3, kKeyStopVCR = Qt::Key_F4;
inline constexpr int kKeyStartScenario = Qt::Key_F5, kKeyPauseScenario = Qt::Key_F6, kKeyStopScenario = Qt::Key_F7;

// Builds the controls into `window` at their design places.
LoggerControls createLoggerControls(QMainWindow *window);

// Puts every control where `g` says (twips to pixels).
void applyGeometry(const LoggerControls &c, const layout::Geometry &g);

// Shows a locked time picker greyed out; it takes no input while locked.
void setTimePickerLocked(QTimeEdit *picker, bool locked);
bool isTimePickerLocked(const QTimeEdit *picker);
