#include "ui/LoggerControls.h"

#include "ui/AccessKeys.h"
#include "ui/AltLetterGuard.h"
#include "ui/CommentList.h"
#include "ui/EventButton.h"
#include "ui/LoggerDesign.h"
#include "ui/OneLineValidator.h"
#include "ui/Style.h"
#include "ui/TimePicker.h"
#include "ui/Twips.h"

#include <QAction>
#include <QActionGroup>
#include <algorithm>
#include <vector>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

namespace {

QWidget *makeControl(const layout::ControlDesign &d, QWidget *container) {
    using layout::Kind;
    const QString caption = QString::fromUtf8(d.caption);
    QWidget *w = nullptr;
    switch (d.kind) {
    case Kind::Frame:
        w = new QGroupBox(caption, container);
        break;
    case Kind::Picker: {
        auto *picker = new QComboBox(container);
        picker->setEditable(true);
        picker->setInsertPolicy(QComboBox::NoInsert);  // typed names are used, not added to the list
        picker->setCompleter(nullptr);                  // and used as typed: no completion rewrites them
        picker->setEditText(caption);
        w = picker;
        break;
    }
    case Kind::Button:
    case Kind::EnterButton:
    case Kind::EventButton: {
        auto *b = d.kind == Kind::EventButton
                      // Ctrl+1 presses the first button, ... Ctrl+0 the tenth: the hint shows the digit.
                      ? new EventButton(QString::number((d.id - layout::cmd0 + 1) % 10), container)
                      : new QPushButton(container);
        b->setText(caption);
        b->setAutoDefault(false);
        b->setDefault(d.kind == Kind::EnterButton);
        w = b;
        break;
    }
    case Kind::Label:
    case Kind::ValueLabel: {
        auto *l = new QLabel(caption, container);
        if (d.kind == Kind::ValueLabel)
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);  // captions in the frames end next to their values
        w = l;
        break;
    }
    case Kind::CheckBox: {
        auto *box = new QCheckBox(caption, container);
        box->setChecked(true);
        w = box;
        break;
    }
    case Kind::TimePicker:
        w = new TimePicker(container);
        break;
    case Kind::CommentList:
        w = new CommentList(container);
        break;
    case Kind::TextBox:
        w = new QLineEdit(container);
        break;
    }
    w->setObjectName(QString::fromLatin1(d.name));
    if (d.kind == Kind::Picker || d.kind == Kind::TextBox || d.kind == Kind::TimePicker)
        ignoreUnclaimedAltLetters(w);
    if (d.kind == Kind::Picker || d.kind == Kind::TextBox)
        makeOneLine(w);
    return w;
}

bool takesFocus(layout::Kind kind) {
    return kind != layout::Kind::Frame && kind != layout::Kind::Label && kind != layout::Kind::ValueLabel;
}

QAction *action(QMenu *menu, const char *name, const QString &caption) {
    QAction *a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QAction *separator(QMenu *menu, const char *name) {
    QAction *a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void createMenus(LoggerControls &c, QMenuBar *bar) {
    c.mnuFile = bar->addMenu(QString::fromLatin1(kMenuTitles[0]));
    c.mnuFile->setObjectName(QStringLiteral("mnuFile"));
    c.mnuFile->setSeparatorsCollapsible(false);  // both separators show, next to each other when no file is listed
    c.mnuNew = action(c.mnuFile, "mnuNew", QStringLiteral("&New..."));
    c.mnuOpen = action(c.mnuFile, "mnuOpen", QStringLiteral("&Open..."));
    c.mnuSessionSummary = action(c.mnuFile, "mnuSessionSummary", QStringLiteral("Session S&ummary..."));
    c.mnuSessionSummary->setShortcut(Qt::Key_F8);
    c.mnuExportToSpreadsheet = action(c.mnuFile, "mnuExportToSpreadsheet", QStringLiteral("Export to &Spreadsheet..."));
    c.sep2 = separator(c.mnuFile, "sep2");
    QAction *mru0 = action(c.mnuFile, "mnuMRU", QStringLiteral("MRU FileList"));
    mru0->setVisible(false);
    c.mnuMRU << mru0;
    c.mnuSep0 = separator(c.mnuFile, "mnuSep0");
    c.mnuExit = action(c.mnuFile, "mnuExit", QStringLiteral("E&xit"));
    c.mnuEdit = bar->addMenu(QString::fromLatin1(kMenuTitles[1]));
    c.mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    c.mnuUndoEntry = action(c.mnuEdit, "mnuUndoEntry", QStringLiteral("&Undo Entry"));
    c.mnuUndoEntry->setShortcut(QKeySequence::Undo);
    c.mnuRedoEntry = action(c.mnuEdit, "mnuRedoEntry", QStringLiteral("&Redo Entry"));
    c.mnuRedoEntry->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    c.mnuEditComment = action(c.mnuEdit, "mnuEditComment", QStringLiteral("&Edit Comment..."));
    c.mnuEditComment->setShortcut(Qt::CTRL | Qt::Key_E);
    c.mnuRemoveEntry = action(c.mnuEdit, "mnuRemoveEntry", QStringLiteral("Re&move Entry..."));
    c.mnuRemoveEntry->setShortcut(Qt::Key_Delete);
    // Delete takes the selected line out only where the list has the keys; elsewhere it deletes text.
    c.mnuRemoveEntry->setShortcutContext(Qt::WidgetShortcut);
    c.sepEdit = separator(c.mnuEdit, "sepEdit");
    c.mnuDeleteAllComments = action(c.mnuEdit, "mnuDeleteAllComments", QStringLiteral("Delete All Comments..."));
    c.mnuCustomEventButtons = bar->addMenu(QString::fromLatin1(kMenuTitles[2]));
    c.mnuCustomEventButtons->setObjectName(QStringLiteral("mnuCustomEventButtons"));
    c.mnuCustomizeEventButtons =
        action(c.mnuCustomEventButtons, "mnuCustomizeEventButtons", QStringLiteral("Set Up &Custom Event Buttons..."));
    c.mnuHelp = bar->addMenu(QString::fromLatin1(kMenuTitles[3]));
    c.mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    c.mnuContents = action(c.mnuHelp, "mnuContents", QStringLiteral("&Contents..."));
    c.mnuContents->setShortcut(Qt::Key_F1);
    c.sep3 = separator(c.mnuHelp, "sep3");
    c.mnuAbout = action(c.mnuHelp, "mnuAbout", QStringLiteral("&About Quorvane..."));
}

void createTapeMenu(LoggerControls &c, QMenuBar *bar) {
    c.mnuVCRTimer = new QMenu(QString::fromLatin1(kMenuTitles[4]), bar);
    c.mnuVCRTimer->setObjectName(QStringLiteral("mnuVCRTimer"));
    bar->insertMenu(c.mnuHelp->menuAction(), c.mnuVCRTimer);
    c.mnuTapeManual = action(c.mnuVCRTimer, "mnuTapeManual", QStringLiteral("&Manual (Start, Pause, Stop)"));
    c.mnuTapeObs = action(c.mnuVCRTimer, "mnuTapeObs", QStringLiteral("&OBS Studio Recording..."));
    c.mnuTapePlayer = c.mnuVCRTimer->addMenu(QStringLiteral("Media &Player"));
    c.mnuTapePlayer->setObjectName(QStringLiteral("mnuTapePlayer"));
    auto *sources = new QActionGroup(c.mnuVCRTimer);  // one source at a time, shown as such
    for (QAction *a : {c.mnuTapeManual, c.mnuTapeObs}) {
        a->setCheckable(true);
        sources->addAction(a);
    }
    c.mnuTapeManual->setChecked(true);
    c.mnuVCRTimer->addSeparator();
    c.mnuGoToMoment = action(c.mnuVCRTimer, "mnuGoToMoment", QStringLiteral("&Go to the Moment"));
    c.mnuGoToMoment->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
}

}  // namespace

LoggerControls createLoggerControls(QMainWindow *window) {
    using namespace layout;
    window->setFont(designFont());
    LoggerControls c;
    c.client = new QWidget(window);
    c.client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(c.client);

    for (const ControlDesign &d : kLoggerDesign)
        c.byControl[d.id] = makeControl(d, d.frame == ControlCount ? c.client : c.byControl[d.frame]);
    // Focus moves among the controls in their designed order.
    std::vector<const ControlDesign *> order;
    for (const ControlDesign &d : kLoggerDesign)
        if (takesFocus(d.kind))
            order.push_back(&d);
    std::sort(order.begin(), order.end(), [](auto *a, auto *b) { return a->tabIndex < b->tabIndex; });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(c.byControl[order[i - 1]->id], c.byControl[order[i]->id]);

    c.frameParticipant = c.as<QGroupBox>(frameParticipant);
    c.cmbParticipants = c.as<QComboBox>(cmbParticipants);
    c.cmdSetUpParticipants = c.as<QPushButton>(cmdSetUpParticipants);
    c.lblPCTimeLabel = c.as<QLabel>(lblPCTimeLabel);
    c.lblPCTime = c.as<QLabel>(lblPCTime);
    c.frameVCR = c.as<QGroupBox>(frameVCR);
    c.chkVCRTimeReminder = c.as<QCheckBox>(chkVCRTimeReminder);
    c.lblSetVCRTimeLabel = c.as<QLabel>(lblSetVCRTimeLabel);
    c.dtpVCRTime = c.as<QTimeEdit>(dtpVCRTime);
    c.cmdStartVCR = c.as<QPushButton>(cmdStartVCR);
    c.cmdPauseVCR = c.as<QPushButton>(cmdPauseVCR);
    c.cmdStopVCR = c.as<QPushButton>(cmdStopVCR);
    c.lblVCRTimeLabel = c.as<QLabel>(lblVCRTimeLabel);
    c.lblVCRTime = c.as<QLabel>(lblVCRTime);
    c.frameScenario = c.as<QGroupBox>(frameScenario);
    c.chkScenarioTimeReminder = c.as<QCheckBox>(chkScenarioTimeReminder);
    c.cmbScenarios = c.as<QComboBox>(cmbScenarios);
    c.cmdSetUpScenarios = c.as<QPushButton>(cmdSetUpScenarios);
    c.cmdStartScenario = c.as<QPushButton>(cmdStartScenario);
    c.cmdPauseScenario = c.as<QPushButton>(cmdPauseScenario);
    c.cmdStopScenario = c.as<QPushButton>(cmdStopScenario);
    c.lblScenarioTimeLabel = c.as<QLabel>(lblScenarioTimeLabel);
    c.lblScenarioTime = c.as<QLabel>(lblScenarioTime);
    c.lstComment = c.as<CommentList>(lstComment);
    c.lblComments = c.as<QLabel>(lblComments);
    c.txtComment = c.as<QLineEdit>(txtComment);
    c.cmdEnter = c.as<QPushButton>(cmdEnter);
    for (int k = 0; k < 10; ++k)
        c.cmd[static_cast<std::size_t>(k)] = c.as<QPushButton>(eventButton(k));

    const auto keyHint = [](QPushButton *b, const QString &what, const QKeySequence &key) {
        b->setToolTip(QStringLiteral("%1 (%2)").arg(what, key.toString(QKeySequence::NativeText)));
    };
    keyHint(c.cmdStartVCR, QStringLiteral("Start the VCR timer"), kKeyStartVCR);
    keyHint(c.cmdPauseVCR, QStringLiteral("Pause the VCR timer"), kKeyPauseVCR);
    keyHint(c.cmdStopVCR, QStringLiteral("Stop the VCR timer"), kKeyStopVCR);
    keyHint(c.cmdStartScenario, QStringLiteral("Start or resume the scenario timer"), kKeyStartScenario);
    keyHint(c.cmdPauseScenario, QStringLiteral("Pause the scenario timer"), kKeyPauseScenario);
    keyHint(c.cmdStopScenario, QStringLiteral("Stop the scenario timer"), kKeyStopScenario);
    for (int k = 0; k < 10; ++k)
        keyHint(c.cmd[static_cast<std::size_t>(k)], QStringLiteral("Logs this event"),
                QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + (k + 1) % 10)));

    c.tmrMainTimer = new QTimer(window);
    c.tmrMainTimer->setObjectName(QStringLiteral("tmrMainTimer"));
    c.tmrMainTimer->setInterval(1000);
    createMenus(c, window->menuBar());
    c.lstComment->addAction(c.mnuRemoveEntry);
    createTapeMenu(c, window->menuBar());
    c.lblTapeLink = new QLabel(c.frameVCR);
    c.lblTapeLink->setObjectName(QStringLiteral("lblTapeLink"));
    c.lblTapeLink->setAttribute(Qt::WA_TransparentForMouseEvents);  // a press on it moves the window, as on the frame
    c.lblTapeLink->hide();
    applyGeometry(c, designGeometry());
    return c;
}

QList<QWidget *> LoggerControls::dragSurfaces() const {
    QList<QWidget *> out;
    for (const layout::ControlDesign &d : layout::kLoggerDesign)
        if (!takesFocus(d.kind))
            out << byControl[d.id];
    return out;
}

void applyGeometry(const LoggerControls &c, const layout::Geometry &g) {
    for (std::size_t i = 0; i < layout::ControlCount; ++i) {
        const layout::Rect &r = g[i];
        c.widget(static_cast<layout::Control>(i))->setGeometry(twipsToPixels(r.left, r.top, r.width, r.height));
    }
}

void setTimePickerLocked(QTimeEdit *picker, bool locked) { picker->setEnabled(!locked); }
bool isTimePickerLocked(const QTimeEdit *picker) { return !picker->isEnabled(); }
