#pragma once
// The main window: the observer's one window while a test is logged. It maps its widgets onto the
// session (timers, the log, the name lists' counts) and shows what the session says; what happens
// to the log and the clocks is the session's, what is asked and told is the window's.

#include "session/Session.h"
#include "ui/LoggerControls.h"
#include "ui/LoggerLayout.h"
#include "windows/CommentLines.h"

#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <functional>

class HelpWindow;
struct SetUpListKind;
class QComboBox;
class QKeyEvent;
class Prompts;

class frmLogger : public QMainWindow {
    Q_OBJECT

public:
    frmLogger(Session &session, Prompts &prompts, QWidget *parent = nullptr);
    ~frmLogger() override;

    Session &session() { return session_; }
    const LoggerControls &controls() const { return ui_; }
    const layout::Geometry &geometryTwips() const { return geometry_; }
    const CommentLines &comments() const { return comments_; }

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
    // Taking back a slip: the last entries this window wrote, and a chosen one.
    void mnuUndoEntry_Click();
    void mnuRedoEntry_Click();
    void mnuRemoveEntry_Click();
    // The next (+1) or previous (-1) scenario or participant in the picker's order, as if chosen.
    void chooseNextScenario(int step);
    void chooseNextParticipant(int step);

    // Log files and the recently used ones
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuDeleteAllComments_Click();
    void mnuMRU_Click(int Index);
    void AddMRUItem(const QString &NewItem);
    void AddMenuElement(const QString &NewItem);
    void GetMRUFileList();
    int MRULastIndex() const { return session_.log().recent().MRULastIndex(); }
    const MruList &recentFiles() const { return session_.log().recent(); }
    // Makes sure the current log file exists and gives an empty one its header row; failures go to
    // the caller.
    logfile::FileError WriteColumnHeader();
    // The title: the program's name and the current log file's name.
    void setLogFileCaption();

    // List set-up dialogs, help and About
    void cmdSetUpScenarios_Click();
    void cmdSetUpParticipants_Click();
    void mnuCustomizeEventButtons_Click();
    void mnuContents_Click();
    void mnuSessionSummary_Click();
    void mnuExportToSpreadsheet_Click();
    void mnuAbout_Click();
    // Where Help > Contents looks; the program's folder unless set.
    void setHelpFile(const QString &path) { helpFile_ = path; }
    HelpWindow *helpWindow() const { return help_; }

    // The VCR timer's source (frmLogger_tape.cpp): the observer's own timer, OBS Studio's
    // recording or a media player; Go to the Moment asks the player to show a line's tape time.
    void mnuTapeManual_Click();
    void mnuTapeObs_Click();
    void mnuTapePlayer_Click(const QString &busName);
    void mnuGoToMoment_Click();

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
    // What the pickers hold: every entry is stamped with it.
    Subject subject() const;
    // Writes one entry to the log and its line to the list; false (and the observer told) when
    // the row could not be written.
    bool AddLogEntry(const QString &text, const EventColumns &events = {});
    // Starts or resumes the scenario timer, after the VCR reminder; false when the observer
    // answered No to it.
    bool startScenario();
    // A reminder; what the observer typed while it asked waits in typedAhead_ for the comment box.
    bool remind(const QString &text, const QString &title);
    void flushTypedAhead();
    void showRowChange(const LogSession::RowChange &change, const QString &what);
    void choose(QComboBox *picker, int step, void (frmLogger::*click)());
    // The scenario reminder before an entry: false when the entry is to be abandoned.
    bool scenarioReminderLetsGo(int keyCode);
    // Shows the clocks and the timer buttons as the session has them.
    void showTimers();
    void showLoad(const LogSession::LoadOutcome &outcome);
    void showMendedEnd(const logfile::TailRepair &tail);
    void logFileChangedBehindUs(int target);
    // Shows the log as it is when another program changed it since its lines were read.
    void showLogChangedOnDisk();
    void tellCannotWrite(const QString &what, const logfile::FileError &error);
    void tellNotFlushed(const logfile::FileError &error);
    // Before the log is replaced by a new copy: refused, or asked, when that would change more than
    // its rows (its owner, its group, its other names).
    bool mayReplaceLog();
    // Before a file becomes the current log: a file that is not a log is shown to be so, and used
    // only when the observer says so; a file that cannot be used is said. False: keep the current.
    bool acceptLogFile(const QString &path);
    // Makes `path` the current log, its lines shown, and tells the observer when another running
    // copy of the program is logging to it too.
    void switchTo(const QString &path);
    void announceLogFile();
    bool keyPressed(QWidget *target, const QKeyEvent &event);
    void chooseLogFile(bool create);
    void openListDialog(const SetUpListKind &kind, QString &count, std::function<void()> refresh);
    bool isDragSurface(QObject *watched, const QPoint &pos) const;
    bool dragEvent(QObject *watched, QEvent *event);
    void refreshMruMenu();
    void refillPicker(QComboBox *picker, const settingkeys::NameList &list, QString &count,
                      void (frmLogger::*click)());
    void restorePlacement();
    void savePlacement();
    // The tape source's menu and frame (frmLogger_tape.cpp).
    void connectTape();
    void showTape();
    void placeTapeLink();
    void refreshPlayerMenu();
    void showTapeChosen();

    Session &session_;
    Prompts &prompts_;
    // The size stored and the size it gave the window at load.
    struct {
        QString storedWidth, storedHeight;
        double width = -1, height = -1;
    } restored_;
    LoggerControls ui_;
    layout::Geometry geometry_;
    CommentLines comments_;
    bool ended_ = false;
    HelpWindow *help_ = nullptr;
    QString helpFile_;
    QString typedAhead_;
    bool replaying_ = false;  // a key handed on to the comment box after a reminder
    bool dragging_ = false;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint dragOffset_;
};
