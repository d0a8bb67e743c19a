#include "session/tape/TapeSource.h"

#include "lists/SettingsStore.h"
#include "session/tape/MprisLink.h"

namespace {

namespace keys = settingkeys::tape;

const QString kManual = QStringLiteral("Manual");
const QString kObs = QStringLiteral("OBS");
const QString kPlayer = QStringLiteral("Player");

}  // namespace

TapeSource::TapeSource(SettingsStore &store, ManualTape &manual) : store_(store), manual_(manual) {}

TapeSource::~TapeSource() {
    linked_.reset();
    link_.reset();
}

const TapeClock &TapeSource::clock() const {
    if (linked_)
        return *linked_;
    return manual_;
}

void TapeSource::restore() {
    obs_.host = store_.GetSetting(keys::ObsHost);
    bool ok = false;
    const int port = store_.GetSetting(keys::ObsPort).trimmed().toInt(&ok);
    obs_.port = ok && port > 0 && port < 65536 ? port : ObsSettings().port;
    obs_.password = store_.GetSetting(keys::ObsPassword);
    player_ = store_.GetSetting(keys::Player);
    const QString source = store_.GetSetting(keys::Source);
    if (source == kObs)
        follow(Kind::Obs, std::make_unique<ObsLink>(obs_));
    else if (source == kPlayer && !player_.isEmpty())
        follow(Kind::Player, std::make_unique<MprisLink>(player_));
}

void TapeSource::useManual() {
    store_.SaveSetting(keys::Source, kManual);
    follow(Kind::Manual, nullptr);
}

void TapeSource::useObs(const ObsSettings &settings) {
    obs_ = settings;
    store_.SaveSetting(keys::Source, kObs);
    store_.SaveSetting(keys::ObsHost, obs_.host);
    store_.SaveSetting(keys::ObsPort, QString::number(obs_.port));
    store_.SaveSetting(keys::ObsPassword, obs_.password);
    follow(Kind::Obs, std::make_unique<ObsLink>(obs_));
}

void TapeSource::usePlayer(const QString &busName) {
    player_ = busName;
    store_.SaveSetting(keys::Source, kPlayer);
    store_.SaveSetting(keys::Player, busName);
    follow(Kind::Player, std::make_unique<MprisLink>(busName));
}

void TapeSource::follow(Kind kind, std::unique_ptr<TapeLink> link) {
    linked_.reset();
    link_ = std::move(link);
    kind_ = kind;
    if (link_) {
        linked_ = std::make_unique<LinkedTape>(*link_);
        connect(linked_.get(), &TapeClock::changed, this, &TapeSource::changed);
        link_->start();
    }
    emit changed();
}

void TapeSource::tick(const QDateTime &now) {
    if (linked_)
        linked_->tick(now);
}

int TapeSource::stamp() const { return linked_ ? linked_->stamp() : manual_.shown(); }

TapeSource::Seek TapeSource::seekTo(int seconds) {
    auto *player = kind_ == Kind::Player ? static_cast<MprisLink *>(link_.get()) : nullptr;
    if (player == nullptr)
        return Seek::NotAPlayer;
    return player->seekTo(qint64(seconds) * 1000) ? Seek::Asked : Seek::NoTrack;
}

void TapeSource::findPlayers(QObject *context, std::function<void(QStringList)> done) {
    MprisLink::listPlayers(QDBusConnection::sessionBus(), context, std::move(done));
}

QString TapeSource::playerName(const QString &busName) { return MprisLink::shortName(busName); }
