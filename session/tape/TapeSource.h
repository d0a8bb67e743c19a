#pragma once
// Where the VCR timer's tape time comes from: the observer's own stopwatch (Manual), OBS Studio's
// recording, or a media player. The choice and how to reach the source are kept in the settings
// store's "Tape" section, read and written here alone. The observer's stopwatch stays as it was
// while a link is chosen, and is the VCR timer again when Manual is chosen again.

#include "session/Timers.h"
#include "session/tape/LinkedTape.h"
#include "session/tape/ObsLink.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class MprisLink;
class SettingsStore;

class TapeSource : public QObject {
    Q_OBJECT

public:
    enum class Kind { Manual, Obs, Player };

    TapeSource(SettingsStore &store, ManualTape &manual);
    ~TapeSource() override;

    Kind kind() const { return kind_; }
    bool linked() const { return kind_ != Kind::Manual; }
    // The VCR timer as it stands: the observer's stopwatch, or the linked tape.
    const TapeClock &clock() const;
    // Null while Manual.
    const TapeLink *link() const { return link_.get(); }
    const LinkedTape *linkedTape() const { return linked_.get(); }
    // How OBS Studio is reached, as last chosen (also while another source is in use).
    const ObsSettings &obs() const { return obs_; }
    // The player's name on the session bus, as last chosen.
    const QString &player() const { return player_; }

    // The source the store names; Manual when it names none.
    void restore();
    void useManual();
    void useObs(const ObsSettings &settings);
    void usePlayer(const QString &busName);

    // Every second, after the observer's stopwatch.
    void tick(const QDateTime &now);
    // The tape time an entry made at this moment carries, in seconds of the day: what the
    // stopwatch shows, or where the linked recording is now.
    int stamp() const;

    // The media players on the session bus now, handed to `done` when the bus answers.
    static void findPlayers(QObject *context, std::function<void(QStringList)> done);
    // "vlc" of "org.mpris.MediaPlayer2.vlc".
    static QString playerName(const QString &busName);

    enum class Seek { Asked, NotAPlayer, NoTrack };
    // Asks the player to show the moment `seconds` into its track.
    Seek seekTo(int seconds);

signals:
    // The source, the link's state or the tape's position changed.
    void changed();

private:
    void follow(Kind kind, std::unique_ptr<TapeLink> link);

    SettingsStore &store_;
    ManualTape &manual_;
    Kind kind_ = Kind::Manual;
    ObsSettings obs_;
    QString player_;
    // The linked tape goes before the link it follows.
    std::unique_ptr<TapeLink> link_;
    std::unique_ptr<LinkedTape> linked_;
};
