// The VCR timer's source: the observer's own timer (Manual), OBS Studio's recording or a media
// player, chosen in the VCR Timer menu. While a link is chosen the frame names the source, shows
// the link's state in the time picker's place, and the Start, Pause and Stop buttons rest: the
// tape is the recording's. Go to the Moment asks the player to show a list line's tape time.

#include "windows/frmLogger.h"

#include "lists/SettingsStore.h"
#include "ui/LoggerDesign.h"
#include "ui/Prompts.h"
#include "ui/Twips.h"
#include "windows/FileMessages.h"
#include "windows/frmObsLink.h"

#include <QActionGroup>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimeEdit>

namespace {

// Calls `placed` whenever the frame is resized: the picker's place follows the frame's width.
class ResizeWatch final : public QObject {
public:
    ResizeWatch(QObject *watched, std::function<void()> placed) : QObject(watched), placed_(std::move(placed)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            placed_();
        return false;
    }

private:
    std::function<void()> placed_;
};

QString linkStateText(const TapeSource &source, const TapeLink &link) {
    const bool obs = source.kind() == TapeSource::Kind::Obs;
    switch (link.state()) {
    case LinkState::Connecting:
        return QStringLiteral("Not connected");
    case LinkState::Connected:
        return QStringLiteral("Connected");
    case LinkState::NotRecording:
        return obs ? QStringLiteral("Connected, not recording") : QStringLiteral("Connected, stopped");
    case LinkState::Running:
        return obs ? QStringLiteral("Recording") : QStringLiteral("Playing");
    case LinkState::Paused:
        return QStringLiteral("Paused");
    case LinkState::Lost:
        return source.clock().state() == TimerState::Running ? QStringLiteral("Lost: going on by PC clock")
                                                             : QStringLiteral("Lost: holding");
    case LinkState::Refused:
        return QStringLiteral("Wrong password");
    }
    return {};
}

QString linkToolTip(const TapeSource &source, const TapeLink &link) {
    QString where = source.kind() == TapeSource::Kind::Obs
                        ? QStringLiteral("OBS Studio at %1:%2").arg(source.obs().host).arg(source.obs().port)
                        : QStringLiteral("%1 on the session bus").arg(source.player());
    if (link.detail().isEmpty())
        return where;
    return QStringLiteral("%1: %2. Trying again by itself.").arg(where, link.detail());
}

}  // namespace

void frmLogger::connectTape() {
    connect(&session_.tapeSource(), &TapeSource::changed, this, [this] {
        if (!ended_)
            showTimers();
    });
    connect(ui_.mnuTapeManual, &QAction::triggered, this, &frmLogger::mnuTapeManual_Click);
    connect(ui_.mnuTapeObs, &QAction::triggered, this, &frmLogger::mnuTapeObs_Click);
    connect(ui_.mnuTapePlayer, &QMenu::aboutToShow, this, &frmLogger::refreshPlayerMenu);
    connect(ui_.mnuGoToMoment, &QAction::triggered, this, &frmLogger::mnuGoToMoment_Click);
    new ResizeWatch(ui_.frameVCR, [this] { placeTapeLink(); });
}

void frmLogger::showTape() {
    const TapeSource &source = session_.tapeSource();
    const bool linked = source.linked();
    ui_.mnuTapeManual->setChecked(!linked);
    ui_.mnuTapeObs->setChecked(source.kind() == TapeSource::Kind::Obs);
    // Touched only when the source changes: while Manual the frame stays exactly as designed.
    const QString designed = QString::fromUtf8(layout::kLoggerDesign[layout::frameVCR].caption);
    if (ui_.dtpVCRTime->isHidden() != linked) {
        ui_.lblSetVCRTimeLabel->setHidden(linked);
        ui_.dtpVCRTime->setHidden(linked);
        ui_.lblTapeLink->setVisible(linked);
        if (!linked) {
            ui_.frameVCR->setTitle(designed);
            ui_.frameVCR->setToolTip(QString());
        }
    }
    if (!linked)
        return;
    const TapeLink &link = *source.link();
    ui_.frameVCR->setTitle(QStringLiteral("%1 - %2").arg(designed, link.peerName()));
    ui_.lblVCRTime->setText(clockText(source.clock().shown()));
    ui_.lblTapeLink->setText(linkStateText(source, link));
    // The label lets presses through to the frame, so the frame tells the detail too.
    ui_.lblTapeLink->setToolTip(linkToolTip(source, link));
    ui_.frameVCR->setToolTip(ui_.lblTapeLink->toolTip());
    for (QPushButton *b : {ui_.cmdStartVCR, ui_.cmdPauseVCR, ui_.cmdStopVCR})
        b->setEnabled(false);
    placeTapeLink();
}

void frmLogger::placeTapeLink() {
    // The row of the caption and the picker it stands in for.
    const layout::Rect &caption = geometry_[layout::lblSetVCRTimeLabel];
    const layout::Rect &picker = geometry_[layout::dtpVCRTime];
    const double left = std::min(caption.left, picker.left);
    ui_.lblTapeLink->setGeometry(
        twipsToPixels(left, picker.top, picker.left + picker.width - left, picker.height));
}

void frmLogger::mnuTapeManual_Click() {
    if (session_.tapeSource().linked())
        session_.tapeSource().useManual();
    showTapeChosen();
}

void frmLogger::mnuTapeObs_Click() {
    frmObsLink dialog(session_.tapeSource().obs(), this);
    if (dialog.exec() == QDialog::Accepted)
        session_.tapeSource().useObs(dialog.settings());
    showTapeChosen();
}

void frmLogger::mnuTapePlayer_Click(const QString &busName) {
    session_.tapeSource().usePlayer(busName);
    showTapeChosen();
}

void frmLogger::showTapeChosen() {
    showTimers();
    if (session_.store().takeSaveFailure())
        prompts_.messageBox(settingsNotSaved(session_.store(), QStringLiteral("The tape's source could not be saved")),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}

void frmLogger::refreshPlayerMenu() {
    QMenu *menu = ui_.mnuTapePlayer;
    menu->clear();
    menu->addAction(QStringLiteral("Looking for players..."))->setEnabled(false);
    // The bus answers in its own time; the menu is filled when it does, open or not.
    TapeSource::findPlayers(menu, [this, menu](QStringList players) {
        const TapeSource &source = session_.tapeSource();
        const bool following = source.kind() == TapeSource::Kind::Player;
        const bool chosenAway = following && !players.contains(source.player());
        if (chosenAway)
            players.prepend(source.player());
        menu->clear();
        qDeleteAll(menu->findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly));
        auto *group = new QActionGroup(menu);
        for (const QString &name : players) {
            // Its first letter picks it from the keyboard.
            QString caption = u'&' + TapeSource::playerName(name).replace(u'&', QStringLiteral("&&"));
            if (chosenAway && name == source.player())
                caption += QStringLiteral(" (not running)");
            QAction *a = menu->addAction(caption);
            a->setCheckable(true);
            group->addAction(a);
            a->setChecked(following && name == source.player());
            connect(a, &QAction::triggered, this, [this, name] { mnuTapePlayer_Click(name); });
        }
        if (players.isEmpty())
            menu->addAction(QStringLiteral("No player found"))->setEnabled(false);
    });
}

void frmLogger::mnuGoToMoment_Click() {
    TapeSource &source = session_.tapeSource();
    if (source.kind() != TapeSource::Kind::Player) {
        prompts_.messageBox(QStringLiteral("Go to the Moment asks a media player to show a line's tape time. Choose "
                                           "the player under VCR Timer > Media Player first."),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
        return;
    }
    const int row = listIndex();
    if (row <= 0)
        return;  // no line, or the header row: no moment to go to
    logformat::RecordView record;
    session_.log().index().fields(static_cast<std::size_t>(row), record);
    const logformat::FieldView &seconds = record[logformat::VCRSeconds];
    if (seconds.kind != logformat::Kind::Number || seconds.number < 0) {
        prompts_.messageBox(QStringLiteral("This line holds no tape time to go to."), kAppTitle,
                            Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    if (source.seekTo(static_cast<int>(seconds.number)) == TapeSource::Seek::NoTrack)
        prompts_.messageBox(QStringLiteral("%1 has no recording open to show the moment in.")
                                .arg(TapeSource::playerName(source.player())),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}
