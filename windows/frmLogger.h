#pragma once
// The main window: the observer's one window while a test is logged.

#include "core/logio.h"
#include "lists/SettingKeys.h"
#include "session/MruList.h"
#include "session/modVariables.h"
#include "ui/LoggerControls.h"
#include "ui/LoggerLayout.h"
#include "windows/CommentLines.h"

#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

class Clock;
class HelpWindow;
struct SetUpListKind;
class QComboBox;
class QKeyEvent;
class Prompts;
class SettingsStore;
namespace logfile {
class Presence;
}

class frmLogger : public QMainWindow {
    Q_OBJECT

public:
    frmLogger(SettingsStore &store, Prompts &prompts, const Clock &clock, QWidget *parent = nullptr);
    ~frmLogger() override;

    const LoggerControls &controls() const { return ui_; }
    const layout::Geometry &geometryTwips() const { return geometry_; }
    CommentLines &comments() { return comments_; }

    // The window's size in twips, frame, title bar and menu bar included.
    double outerWidth() const;
    double outerHeight() const;
    void setOuterSize(double W, double H);

    // Lifecycle
    void Form_Load();
    void Form_Resize();
    void mnuExit_Click();

    // Lists
    void GetScenarios();
    void GetParticipants();
    void GetButtons();
    void GetLogData();
    void cmbScenarios_Click();
    void cmbParticipants_Click();

    // Clocks and timers
    void tmrMainTimer_Timer();
    void cmdStartVCR_Click();
    void cmdPauseVCR_Click();
    void cmdStopVCR_Click();
    void cmdStartScenario_Click();
    void cmdPauseScenario_Click();
    void cmdStopScenario_Click();

    // Comments and event buttons
    void txtComment_KeyDown(int KeyCode, int Shift);
    void cmdEnter_Click();
    // cmd0_Click to cmd9_Click: the event button with this index.
    void cmd_Click(int index);
    void lstComment_DblClick();

    // Log files and the recently used ones
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuDeleteAllComments_Click();
    void mnuMRU_Click(int Index);
    void AddMRUItem(const QString &NewItem);
    void AddMenuElement(const QString &NewItem);
    void GetMRUFileList();
    int MRULastIndex() const { return mru_.MRULastIndex(); }
    const MruList &recentFiles() const { return mru_; }
    // The title: the program's name and the current log file's name.
    void setLogFileCaption();
    // Before a file becomes the current log: a file that is not a log is shown to be so, and used
    // only when the observer says so; a file that cannot be used is said. False: keep the current.
    bool acceptLogFile(const QString &path);
    // Notes the current log as this copy's, and tells the observer when another running copy of
    // the program is logging to it too.
    void announceLogFile();

    // List set-up dialogs, help and About
    void cmdSetUpScenarios_Click();
    void cmdSetUpParticipants_Click();
    void mnuCustomizeEventButtons_Click();
    void mnuContents_Click();
    void mnuSessionSummary_Click();
    void mnuAbout_Click();
    // Where Help > Contents looks; the program's folder unless set.
    void setHelpFile(const QString &path) { helpFile_ = path; }
    HelpWindow *helpWindow() const { return help_; }

    // The session's shared state: timers, the current log file, the event columns of the next row.
    SharedState modVariables;
    // Makes sure the current log file exists and gives an empty one its header row; failures go to
    // the caller. The one at `path` is for a file about to become the current one.
    logfile::FileError WriteColumnHeader();
    logfile::FileError WriteColumnHeader(const QString &path);

    // The answer to the last question asked (6 Yes, 7 No; 0 before any).
    int PromptAnswer = 0;
    // The cleaned text of the entry being logged.
    QString EntryText;

    // The list-and-focus reset: last line selected, focus to the comment box.
    void selectLastLineAndFocusComment();
    // The selected line of the comment list, -1 for none.
    int listIndex() const;
    void selectLine(int row);

signals:
    // The program is to end: every window closes and no handler runs any more.
    void programEnded();
    // A press on the window's background began moving the window.
    void windowMoveStarted();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Appends one entry to the log file and its line to the list; false (and the observer told)
    // when the row could not be written.
    bool AddLogEntry(const QString &text);
    void logMarker(const char *kind);
    // The scenario reminder before an entry: false when the entry is to be abandoned.
    bool scenarioReminderLetsGo(int keyCode);
    void logFileChangedBehindUs(int target);
    // Mends a log whose last line has no line end before anything is appended; false (and the
    // observer told) when it cannot be mended.
    bool mendLogEnd(const std::string &path);
    // The log is gone: true when the observer has it created again (with its header row).
    bool createGoneLogAgain();
    void tellCannotWrite(const QString &what, const logfile::FileError &error);
    bool keyPressed(QWidget *target, const QKeyEvent &event);
    void chooseLogFile(bool create);
    void openListDialog(const SetUpListKind &kind, QString &count, std::function<void()> refresh);
    bool isDragSurface(QObject *watched, const QPoint &pos) const;
    bool dragEvent(QObject *watched, QEvent *event);
    void SaveMRUFileList();
    void refreshMruMenu();
    void setVCRButtons(bool start, bool pause, bool stop);
    void setScenarioButtons(bool start, bool pause, bool stop);
    void refillPicker(QComboBox *picker, const settingkeys::NameList &list, QString &count, QString &item,
                      void (frmLogger::*click)());
    void restorePlacement();
    void savePlacement();

    SettingsStore &store_;
    Prompts &prompts_;
    const Clock &clock_;
    LoggerControls ui_;
    layout::Geometry geometry_;
    CommentLines comments_;
    std::unique_ptr<logfile::Presence> presence_;
    MruList mru_;
    bool ended_ = false;
    HelpWindow *help_ = nullptr;
    QString helpFile_;
    bool dragging_ = false;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint dragOffset_;
};
