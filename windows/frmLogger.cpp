#include "windows/frmLogger.h"

#include "lists/NameList.h"
#include "lists/SettingsStore.h"
#include "ui/AccessKeys.h"
#include "ui/AppIcon.h"
#include "ui/Clock.h"
#include "ui/CommentList.h"
#include "ui/KeyCodes.h"
#include "ui/NativePath.h"
#include "ui/OneLineValidator.h"
#include "ui/Prompts.h"
#include "ui/Twips.h"
#include "windows/FileMessages.h"
#include "windows/Pickers.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimeEdit>
#include <QTimer>

frmLogger::frmLogger(Session &session, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent), session_(session), prompts_(prompts), geometry_(layout::designGeometry()),
      comments_(session.log().index()) {
    setObjectName(QStringLiteral("frmLogger"));
    setWindowIcon(appIcon());
    ui_ = createLoggerControls(this);
    ui_.lstComment->setSource(&comments_);
    ui_.client->installEventFilter(this);  // its size changes drive the layout
    // The client area at design: 8880 x 5310 twips.
    resize(twipsToPixels(layout::kDesignOuterWidth - layout::kFrameWidth),
           twipsToPixels(layout::kDesignOuterHeight - layout::kFrameHeight) + menuBar()->sizeHint().height());

    connect(ui_.cmbScenarios, &QComboBox::activated, this, &frmLogger::cmbScenarios_Click);
    connect(ui_.cmbParticipants, &QComboBox::activated, this, &frmLogger::cmbParticipants_Click);
    connect(ui_.mnuExit, &QAction::triggered, this, &frmLogger::mnuExit_Click);
    connect(ui_.mnuNew, &QAction::triggered, this, &frmLogger::mnuNew_Click);
    connect(ui_.mnuOpen, &QAction::triggered, this, &frmLogger::mnuOpen_Click);
    connect(ui_.mnuDeleteAllComments, &QAction::triggered, this, &frmLogger::mnuDeleteAllComments_Click);
    connect(ui_.mnuMRU.constFirst(), &QAction::triggered, this, [this] { mnuMRU_Click(0); });
    connect(ui_.cmdSetUpScenarios, &QPushButton::clicked, this, &frmLogger::cmdSetUpScenarios_Click);
    connect(ui_.cmdSetUpParticipants, &QPushButton::clicked, this, &frmLogger::cmdSetUpParticipants_Click);
    connect(ui_.mnuCustomizeEventButtons, &QAction::triggered, this, &frmLogger::mnuCustomizeEventButtons_Click);
    connect(ui_.mnuContents, &QAction::triggered, this, &frmLogger::mnuContents_Click);
    connect(ui_.mnuAbout, &QAction::triggered, this, &frmLogger::mnuAbout_Click);
    connect(ui_.tmrMainTimer, &QTimer::timeout, this, &frmLogger::tmrMainTimer_Timer);
    connect(ui_.cmdStartVCR, &QPushButton::clicked, this, &frmLogger::cmdStartVCR_Click);
    connect(ui_.cmdPauseVCR, &QPushButton::clicked, this, &frmLogger::cmdPauseVCR_Click);
    connect(ui_.cmdStopVCR, &QPushButton::clicked, this, &frmLogger::cmdStopVCR_Click);
    connect(ui_.cmdStartScenario, &QPushButton::clicked, this, &frmLogger::cmdStartScenario_Click);
    connect(ui_.cmdPauseScenario, &QPushButton::clicked, this, &frmLogger::cmdPauseScenario_Click);
    connect(ui_.cmdStopScenario, &QPushButton::clicked, this, &frmLogger::cmdStopScenario_Click);
    connect(ui_.cmdEnter, &QPushButton::clicked, this, &frmLogger::cmdEnter_Click);
    for (int k = 0; k < 10; ++k)
        connect(ui_.cmd[static_cast<std::size_t>(k)], &QPushButton::clicked, this, [this, k] { cmd_Click(k); });
    connect(ui_.lstComment, &CommentList::rowDoubleClicked, this, &frmLogger::lstComment_DblClick);
    connect(ui_.mnuSessionSummary, &QAction::triggered, this, &frmLogger::mnuSessionSummary_Click);
    connect(ui_.mnuExportToSpreadsheet, &QAction::triggered, this, &frmLogger::mnuExportToSpreadsheet_Click);
    // The tape position set by hand, while the VCR timer is stopped.
    connect(ui_.dtpVCRTime, &QTimeEdit::timeChanged, this,
            [this](QTime t) { session_.tape().setPosition(QTime(0, 0).secsTo(t)); });
    // The whole session from the keyboard: a key presses the button, exactly as a click does
    // (nothing happens while the button is disabled).
    const std::pair<int, QPushButton *> keys[] = {
        {kKeyStartVCR, ui_.cmdStartVCR},           {kKeyPauseVCR, ui_.cmdPauseVCR},
        {kKeyStopVCR, ui_.cmdStopVCR},             {kKeyStartScenario, ui_.cmdStartScenario},
        {kKeyPauseScenario, ui_.cmdPauseScenario}, {kKeyStopScenario, ui_.cmdStopScenario}};
    for (const auto &[key, button] : keys)
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, button, &QPushButton::click);
    for (int k = 0; k < 10; ++k)
        connect(new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + (k + 1) % 10)), this),
                &QShortcut::activated, ui_.cmd[static_cast<std::size_t>(k)], &QPushButton::click);
    connect(ui_.mnuUndoEntry, &QAction::triggered, this, &frmLogger::mnuUndoEntry_Click);
    connect(ui_.mnuRedoEntry, &QAction::triggered, this, &frmLogger::mnuRedoEntry_Click);
    connect(ui_.mnuEditComment, &QAction::triggered, this, &frmLogger::lstComment_DblClick);
    connect(ui_.mnuRemoveEntry, &QAction::triggered, this, &frmLogger::mnuRemoveEntry_Click);
    // What Undo and Redo can do shows when the menu opens; their keys always ask the session.
    connect(ui_.mnuEdit, &QMenu::aboutToShow, this, [this] {
        ui_.mnuUndoEntry->setEnabled(session_.log().canUndo());
        ui_.mnuRedoEntry->setEnabled(session_.log().canRedo());
    });
    connect(ui_.mnuEdit, &QMenu::aboutToHide, this, [this] {
        ui_.mnuUndoEntry->setEnabled(true);
        ui_.mnuRedoEntry->setEnabled(true);
    });
    // Getting around: back to the comment box, and through the scenarios and participants.
    const auto shortcut = [this](const QKeySequence &key, auto &&slot) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, std::forward<decltype(slot)>(slot));
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { ui_.txtComment->setFocus(); });
    shortcut(QKeySequence(Qt::Key_Escape), [this] { ui_.txtComment->setFocus(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { chooseNextScenario(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { chooseNextScenario(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown), [this] { chooseNextParticipant(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp), [this] { chooseNextParticipant(-1); });
    // A menu opened and closed from the keyboard leaves the keys to the comment box, not to a menu
    // bar still waiting for a letter.
    for (QMenu *menu : {ui_.mnuFile, ui_.mnuEdit, ui_.mnuCustomEventButtons, ui_.mnuVCRTimer, ui_.mnuHelp})
        connect(menu, &QMenu::aboutToHide, this, [this] {
            QTimer::singleShot(0, this, [this] {
                if (QApplication::activeModalWidget() == nullptr &&
                    (focusWidget() == nullptr || focusWidget() == menuBar()))
                    ui_.txtComment->setFocus();
            });
        });
    // Keys reach the comment box's handler, and Enter anywhere but on a button means cmdEnter;
    // presses on the background move the window.
    qApp->installEventFilter(this);
    connectTape();

    ui_.tmrMainTimer->start();
}

frmLogger::~frmLogger() = default;

// From the window's own size: the client area has its size only once the window is laid out,
// and the event buttons are placed before that.
double frmLogger::outerWidth() const { return pixelsToTwips(width()) + layout::kFrameWidth; }
double frmLogger::outerHeight() const {
    const int client = isVisible() ? ui_.client->height() : height() - menuBar()->sizeHint().height();
    return pixelsToTwips(client) + layout::kFrameHeight;
}

void frmLogger::setOuterSize(double W, double H) {
    const int menuHeight = menuBar()->isVisible() ? menuBar()->height() : menuBar()->sizeHint().height();
    resize(std::max(1, twipsToPixels(W - layout::kFrameWidth)),
           std::max(1, twipsToPixels(H - layout::kFrameHeight)) + menuHeight);
}

void frmLogger::Form_Resize() {
    layout::resize(geometry_, outerWidth(), outerHeight(), session_.counts().buttons);
    applyGeometry(ui_, geometry_);
}

bool frmLogger::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui_.client && event->type() == QEvent::Resize)
        Form_Resize();
    if (!ended_ && dragEvent(watched, event))
        return true;
    // Ctrl+Z and Ctrl+Shift+Z take back entries, also where the comment box would take them for
    // its own undo, which would bring back the comment just logged; Ctrl+E edits the selected
    // line's comment (the last entry's, after an entry) where the box would move to the line's end.
    if (event->type() == QEvent::ShortcutOverride && watched == ui_.txtComment) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == (Qt::CTRL | Qt::SHIFT | Qt::Key_Z) ||
            key->keyCombination() == (Qt::CTRL | Qt::Key_E))
            return true;
    }
    if (event->type() == QEvent::KeyPress && !ended_) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget != nullptr && widget->window() == this)
            return keyPressed(widget, *static_cast<QKeyEvent *>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmLogger::keyPressed(QWidget *target, const QKeyEvent &event) {
    if (replaying_)
        return false;
    const int keyCode = keyCodeOf(event);
    if (keyCode == kKeyEnter) {
        // On a button Enter presses that button, anywhere else the window's default button. A
        // combo box's open list is a window of its own and keeps its Enter.
        auto *button = qobject_cast<QPushButton *>(target);
        if (button == nullptr)
            button = ui_.cmdEnter;
        if (button->isEnabled())
            button->click();
        return true;
    }
    if (target != ui_.txtComment)
        return false;
    txtComment_KeyDown(keyCode, shiftStateOf(event.modifiers()));
    if (typedAhead_.isEmpty())
        return false;  // the key goes on into the box
    // A reminder asked: the key that raised it first, then what was typed while it asked.
    replaying_ = true;
    QKeyEvent again(event.type(), event.key(), event.modifiers(), event.text(), event.isAutoRepeat(), event.count());
    QCoreApplication::sendEvent(ui_.txtComment, &again);
    replaying_ = false;
    flushTypedAhead();
    return true;
}

void frmLogger::choose(QComboBox *picker, int step, void (frmLogger::*click)()) {
    if (picker->count() == 0)
        return;
    const int from = picker->findText(picker->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    const int to = from < 0 ? (step > 0 ? 0 : picker->count() - 1) : std::clamp(from + step, 0, picker->count() - 1);
    picker->setCurrentIndex(to);
    (this->*click)();  // as a choice with the mouse
}

void frmLogger::chooseNextScenario(int step) { choose(ui_.cmbScenarios, step, &frmLogger::cmbScenarios_Click); }
void frmLogger::chooseNextParticipant(int step) {
    choose(ui_.cmbParticipants, step, &frmLogger::cmbParticipants_Click);
}

void frmLogger::refillPicker(QComboBox *picker, const settingkeys::NameList &list, QString &count,
                             void (frmLogger::*click)()) {
    const LoadedPicker loaded = loadPicker(picker, session_.store(), list);
    count = loaded.count;
    if (loaded.selectFirst) {
        picker->setCurrentIndex(0);
        (this->*click)();
    }
}

void frmLogger::GetScenarios() {
    refillPicker(ui_.cmbScenarios, settingkeys::Scenarios, session_.counts().scenarios, &frmLogger::cmbScenarios_Click);
}

void frmLogger::GetParticipants() {
    refillPicker(ui_.cmbParticipants, settingkeys::Participants, session_.counts().participants,
                 &frmLogger::cmbParticipants_Click);
}

void frmLogger::cmbScenarios_Click() { ui_.cmbScenarios->setToolTip(ui_.cmbScenarios->currentText()); }
void frmLogger::cmbParticipants_Click() { ui_.cmbParticipants->setToolTip(ui_.cmbParticipants->currentText()); }

void frmLogger::GetButtons() {
    const StoredNameList buttons = readNameList(session_.store(), settingkeys::Buttons);
    session_.counts().buttons = buttons.count;
    for (QPushButton *b : ui_.cmd)
        b->hide();
    for (QPushButton *b : ui_.cmd)
        b->setEnabled(false);
    Form_Resize();
    if (buttons.count == QLatin1String("-1") || buttons.items.isEmpty())
        return;
    layout::placeEventButtons(geometry_, outerWidth(), static_cast<int>(buttons.items.size()));
    applyGeometry(ui_, geometry_);
    QStringList names = buttons.items.mid(0, 10);
    for (QString &name : names)
        name = oneLine(name);  // a name stored with a line break (by hand, or by an older version)
    const QStringList captions = eventButtonCaptions(names);
    for (int i = 0; i < captions.size(); ++i) {
        QPushButton *b = ui_.cmd[static_cast<std::size_t>(i)];
        b->setText(captions.at(i));
        b->show();
        b->setEnabled(true);
    }
}

void frmLogger::GetLogData() { showLoad(session_.log().reload()); }

void frmLogger::showLoad(const LogSession::LoadOutcome &outcome) {
    if (outcome.openError.kind == logfile::FailureKind::NotFound)
        prompts_.messageBox(QStringLiteral("This file no longer exists."), QStringLiteral("File Not Found"),
                            Prompts::Buttons::Ok, Prompts::Icon::None);
    if (outcome.openError)
        return;  // the list stays as it was
    ui_.lstComment->reset();
    if (outcome.readError)
        prompts_.messageBox(QStringLiteral("The log file could not be read to its end, so the list shows only its "
                                           "first %1 lines.\n\n%2")
                                .arg(comments_.lineCount())
                                .arg(fileFailureDetails(session_.log().path(), outcome.readError)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}

int frmLogger::listIndex() const { return ui_.lstComment->currentRow(); }

void frmLogger::selectLine(int row) { ui_.lstComment->setCurrentRow(row); }

void frmLogger::selectLastLineAndFocusComment() {
    selectLine(comments_.lineCount() - 1);
    ui_.txtComment->setFocus();
}
