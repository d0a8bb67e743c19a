#pragma once
// One observer's session: the three clocks as the window shows them, the current log, and the
// name lists' counts as last read. The window maps its widgets onto this and shows what it says.

#include "lists/NameList.h"
#include "session/LogSession.h"
#include "session/Timers.h"
#include "session/tape/TapeSource.h"

#include <QString>

class Clock;
class SettingsStore;

// The participant and scenario an entry is stamped with: what the pickers hold when it is made.
struct Subject {
    QString participant;
    QString scenario;
};

class Session {
public:
    // Running copies note their current logs in `presenceFolder` (none: not noted).
    Session(SettingsStore &store, const Clock &clock, const QString &presenceFolder = defaultPresenceFolder());

    SettingsStore &store() { return store_; }
    const Clock &clock() const { return clock_; }
    LogSession &log() { return log_; }
    const LogSession &log() const { return log_; }
    ManualTape &tape() { return tape_; }
    const ManualTape &tape() const { return tape_; }
    // Where the VCR timer's tape time comes from: the stopwatch above, or a linked recording.
    TapeSource &tapeSource() { return tapeSource_; }
    const TapeSource &tapeSource() const { return tapeSource_; }
    ScenarioTimer &scenario() { return scenario_; }
    const ScenarioTimer &scenario() const { return scenario_; }
    // The stored name lists' count keys as last read, which a list dialog's OK relies on.
    NameListCounts &counts() { return counts_; }
    const NameListCounts &counts() const { return counts_; }

    // The PC clock as shown: "hh:mm:ss AM" as of the last tick.
    const QString &pcTime() const { return pcTime_; }
    // Every second: the three clocks show the time now.
    void tick();

    // An entry stamped with today's date and the clocks as they are shown.
    LogEntry entry(const QString &text, const EventColumns &events, const Subject &subject) const;

    // Where running copies note their logs: the user's runtime folder.
    static QString defaultPresenceFolder();

private:
    SettingsStore &store_;
    const Clock &clock_;
    LogSession log_;
    ManualTape tape_;
    TapeSource tapeSource_{store_, tape_};
    ScenarioTimer scenario_;
    NameListCounts counts_;
    QString pcTime_;
};
