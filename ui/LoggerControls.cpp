#include "ui/LoggerControls.h"

#include "ui/AccessKeys.h"
#include "ui/CommentList.h"
#include "ui/EventButton.h"
#include "ui/Style.h"
#include "ui/TimePicker.h"
#include "ui/Twips.h"

#include <QAction>
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

template <typename W>
W *make(QWidget *parent, const char *name) {
    auto *w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption) {
    auto *b = make<QPushButton>(parent, name);
    b->setText(caption);
    b->setAutoDefault(false);
    return b;
}

// Captions in the frames end next to their values.
QLabel *label(QWidget *parent, const char *name, const QString &caption, bool frameLabel) {
    auto *l = make<QLabel>(parent, name);
    l->setText(caption);
    if (frameLabel)
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption) {
    auto *f = make<QGroupBox>(parent, name);
    f->setTitle(caption);
    return f;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption) {
    auto *c = make<QCheckBox>(parent, name);
    c->setText(caption);
    c->setChecked(true);
    return c;
}

QComboBox *picker(QWidget *parent, const char *name) {
    auto *c = make<QComboBox>(parent, name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);  // typed names are used, not added to the list
    c->setCompleter(nullptr);                  // and used as typed: no completion rewrites them
    c->setEditText(QString::fromLatin1(name));
    return c;
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

}  // namespace

LoggerControls createLoggerControls(QMainWindow *window) {
    window->setFont(designFont());
    LoggerControls c;
    c.client = new QWidget(window);
    c.client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(c.client);
    QWidget *w = c.client;

    c.frameParticipant = frame(w, "frameParticipant", QStringLiteral("Participant Name"));
    c.cmbParticipants = picker(c.frameParticipant, "cmbParticipants");
    c.cmdSetUpParticipants = button(c.frameParticipant, "cmdSetUpParticipants", QStringLiteral("Set Up..."));
    c.lblPCTimeLabel = label(c.frameParticipant, "lblPCTimeLabel", QStringLiteral("PC Time:"), true);
    c.lblPCTime = label(c.frameParticipant, "lblPCTime", QStringLiteral("lblPCTime"), true);

    c.frameVCR = frame(w, "frameVCR", QStringLiteral("VCR Timer"));
    c.chkVCRTimeReminder = checkBox(c.frameVCR, "chkVCRTimeReminder", QStringLiteral("Remind me to start VCR Timer"));
    c.lblSetVCRTimeLabel = label(c.frameVCR, "lblSetVCRTimeLabel", QStringLiteral("VCR Time:"), true);
    c.dtpVCRTime = make<TimePicker>(c.frameVCR, "dtpVCRTime");
    c.cmdStartVCR = button(c.frameVCR, "cmdStartVCR", QStringLiteral("Start"));
    c.cmdPauseVCR = button(c.frameVCR, "cmdPauseVCR", QStringLiteral("Pause"));
    c.cmdStopVCR = button(c.frameVCR, "cmdStopVCR", QStringLiteral("Stop"));
    c.lblVCRTimeLabel = label(c.frameVCR, "lblVCRTimeLabel", QStringLiteral("Elapsed VCR Time:"), true);
    c.lblVCRTime = label(c.frameVCR, "lblVCRTime", QStringLiteral("lblVCRTime"), true);

    c.frameScenario = frame(w, "frameScenario", QStringLiteral("Scenario Timer"));
    c.chkScenarioTimeReminder =
        checkBox(c.frameScenario, "chkScenarioTimeReminder", QStringLiteral("Remind me to start Scenario Timer"));
    c.cmbScenarios = picker(c.frameScenario, "cmbScenarios");
    c.cmdSetUpScenarios = button(c.frameScenario, "cmdSetUpScenarios", QStringLiteral("Set Up..."));
    c.cmdStartScenario = button(c.frameScenario, "cmdStartScenario", QStringLiteral("Start"));
    c.cmdPauseScenario = button(c.frameScenario, "cmdPauseScenario", QStringLiteral("Pause"));
    c.cmdStopScenario = button(c.frameScenario, "cmdStopScenario", QStringLiteral("Stop"));
    c.lblScenarioTimeLabel =
        label(c.frameScenario, "lblScenarioTimeLabel", QStringLiteral("Elapsed Scenario Time:"), true);
    c.lblScenarioTime = label(c.frameScenario, "lblScenarioTime", QStringLiteral("lblScenarioTime"), true);

    const auto keyHint = [](QPushButton *b, const QString &what, int key) {
        b->setToolTip(QStringLiteral("%1 (%2)").arg(what, QKeySequence(key).toString(QKeySequence::NativeText)));
    };
    keyHint(c.cmdStartVCR, QStringLiteral("Start the VCR timer"), kKeyStartVCR);
    keyHint(c.cmdPauseVCR, QStringLiteral("Pause the VCR timer"), kKeyPauseVCR);
    keyHint(c.cmdStopVCR, QStringLiteral("Stop the VCR timer"), kKeyStopVCR);
    keyHint(c.cmdStartScenario, QStringLiteral("Start or resume the scenario timer"), kKeyStartScenario);
    keyHint(c.cmdPauseScenario, QStringLiteral("Pause the scenario timer"), kKeyPauseScenario);
    keyHint(c.cmdStopScenario, QStringLiteral("Stop the scenario timer"), kKeyStopScenario);

    c.lstComment = make<CommentList>(w, "lstComment");
    c.txtComment = make<QLineEdit>(w, "txtComment");
    c.lblComments = label(w, "lblComments", QStringLiteral("Comments:"), false);
    c.cmdEnter = button(w, "cmdEnter", QStringLiteral("Enter"));
    c.cmdEnter->setDefault(true);
    for (int k = 0; k < 10; ++k) {
        const QByteArray name = "cmd" + QByteArray::number(k);
        // Ctrl+1 presses the first button, ... Ctrl+0 the tenth.
        const QKeySequence key(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + (k + 1) % 10));
        auto *b = new EventButton(QString::number((k + 1) % 10), w);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setToolTip(QStringLiteral("Logs this event (%1)").arg(key.toString(QKeySequence::NativeText)));
        c.cmd[static_cast<std::size_t>(k)] = b;
    }

    c.tmrMainTimer = new QTimer(window);
    c.tmrMainTimer->setObjectName(QStringLiteral("tmrMainTimer"));
    c.tmrMainTimer->setInterval(1000);

    QMenuBar *bar = window->menuBar();
    c.mnuFile = bar->addMenu(QString::fromLatin1(kMenuTitles[0]));
    c.mnuFile->setObjectName(QStringLiteral("mnuFile"));
    c.mnuFile->setSeparatorsCollapsible(false);  // both separators show, next to each other when no file is listed
    c.mnuNew = action(c.mnuFile, "mnuNew", QStringLiteral("&New..."));
    c.mnuOpen = action(c.mnuFile, "mnuOpen", QStringLiteral("&Open..."));
    c.mnuSessionSummary = action(c.mnuFile, "mnuSessionSummary", QStringLiteral("Session S&ummary..."));
    c.mnuSessionSummary->setShortcut(Qt::Key_F8);
    c.sep2 = separator(c.mnuFile, "sep2");
    QAction *mru0 = action(c.mnuFile, "mnuMRU", QStringLiteral("MRU FileList"));
    mru0->setVisible(false);
    c.mnuMRU << mru0;
    c.mnuSep0 = separator(c.mnuFile, "mnuSep0");
    c.mnuExit = action(c.mnuFile, "mnuExit", QStringLiteral("E&xit"));
    c.mnuEdit = bar->addMenu(QString::fromLatin1(kMenuTitles[1]));
    c.mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
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

    // Focus moves among the controls in their designed order; labels and frames take none.
    const QList<QWidget *> tabOrder{
        c.chkVCRTimeReminder, c.dtpVCRTime,   c.cmdStartVCR,      c.cmdPauseVCR,      c.cmdStopVCR,
        c.chkScenarioTimeReminder, c.cmdSetUpScenarios, c.cmbScenarios, c.cmdStartScenario, c.cmdPauseScenario,
        c.cmdStopScenario,    c.lstComment,   c.txtComment,       c.cmdSetUpParticipants, c.cmbParticipants,
        c.cmdEnter,           c.cmd[1],       c.cmd[2],           c.cmd[3],           c.cmd[4],
        c.cmd[5],             c.cmd[6],       c.cmd[7],           c.cmd[8],           c.cmd[9],
        c.cmd[0]};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    using namespace layout;
    const std::pair<Control, QWidget *> placed[] = {
        {frameParticipant, c.frameParticipant}, {cmbParticipants, c.cmbParticipants},
        {cmdSetUpParticipants, c.cmdSetUpParticipants}, {lblPCTimeLabel, c.lblPCTimeLabel},
        {lblPCTime, c.lblPCTime}, {frameVCR, c.frameVCR}, {chkVCRTimeReminder, c.chkVCRTimeReminder},
        {lblSetVCRTimeLabel, c.lblSetVCRTimeLabel}, {dtpVCRTime, c.dtpVCRTime}, {cmdStartVCR, c.cmdStartVCR},
        {cmdPauseVCR, c.cmdPauseVCR}, {cmdStopVCR, c.cmdStopVCR}, {lblVCRTimeLabel, c.lblVCRTimeLabel},
        {lblVCRTime, c.lblVCRTime}, {frameScenario, c.frameScenario},
        {chkScenarioTimeReminder, c.chkScenarioTimeReminder}, {cmbScenarios, c.cmbScenarios},
        {cmdSetUpScenarios, c.cmdSetUpScenarios}, {cmdStartScenario, c.cmdStartScenario},
        {cmdPauseScenario, c.cmdPauseScenario}, {cmdStopScenario, c.cmdStopScenario},
        {lblScenarioTimeLabel, c.lblScenarioTimeLabel}, {lblScenarioTime, c.lblScenarioTime},
        {lstComment, c.lstComment}, {lblComments, c.lblComments}, {txtComment, c.txtComment},
        {cmdEnter, c.cmdEnter}};
    for (const auto &[control, widget] : placed)
        c.byControl[control] = widget;
    for (int k = 0; k < 10; ++k)
        c.byControl[eventButton(k)] = c.cmd[static_cast<std::size_t>(k)];

    applyGeometry(c, designGeometry());
    return c;
}

QList<QWidget *> LoggerControls::dragSurfaces() const {
    return {frameParticipant,   frameVCR,       frameScenario,        lblPCTimeLabel,  lblPCTime,
            lblSetVCRTimeLabel, lblVCRTimeLabel, lblVCRTime,          lblScenarioTimeLabel, lblScenarioTime,
            lblComments};
}

void applyGeometry(const LoggerControls &c, const layout::Geometry &g) {
    for (std::size_t i = 0; i < layout::ControlCount; ++i) {
        const layout::Rect &r = g[i];
        c.widget(static_cast<layout::Control>(i))->setGeometry(twipsToPixels(r.left, r.top, r.width, r.height));
    }
}

void setTimePickerLocked(QTimeEdit *picker, bool locked) { picker->setEnabled(!locked); }
bool isTimePickerLocked(const QTimeEdit *picker) { return !picker->isEnabled(); }
