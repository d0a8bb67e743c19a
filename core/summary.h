#pragma once
// What observers work out first after a session: time on task per participant and scenario, and
// how often each comment and event happened. Plain C++, fed one record at a time, so it can be
// benchmarked and fuzzed without Qt.

#include "core/logformat.h"
#include "core/logio.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace logsummary {

// The scenario timer's entries (logformat::markerOf), of a field read.
using logformat::Marker;
Marker markerOf(const logformat::FieldView &comment);

// True when `record` is a log's header row (its Date title is "Date"); `button` then gets the name
// of each button its event columns name (a title that is "Button - " alone names none).
bool readHeader(const logformat::RecordView &record, const std::function<void(std::string_view name)> &button = {});

struct Figures {
    double seconds = 0;       // time on task
    bool timed = false;       // a scenario timer run was started or resumed from a row of this group
    bool notStopped = false;  // a run was still running when the log ended or the next START came
    long long comments = 0;   // rows that are neither timer markers nor event presses
    std::vector<long long> events;  // one per titled event column, as Summary::eventTitles
};

struct Group {
    std::string participant;
    std::string scenario;
    Figures figures;
};

struct ParticipantTotal {
    std::string participant;
    Figures figures;  // summed over the participant's groups; timed / notStopped when any is
};

struct ScenarioStats {
    std::string scenario;
    int participants = 0;  // participants with a timed run on the scenario
    double mean = 0;       // both 0 when no participant was timed
    double median = 0;
};

struct Summary {
    bool hasHeader = false;
    // The events counted, e.g. "Button - Error": the header's titles, then the names of buttons
    // pressed that it does not name. A press counts under the name written in its cell, whatever
    // the column's title says (buttons set up after the log began can shift columns).
    std::vector<std::string> eventTitles;
    std::vector<Group> groups;             // in order of first appearance
    std::vector<ParticipantTotal> participants;
    std::vector<ScenarioStats> scenarios;
    long long rows = 0;  // rows summarised, the header row not counted
    long long damagedLines = 0;
};

// The most events counted each by its name; the others are counted together under kOtherEvents.
inline constexpr std::size_t kMostEventNames = 50;
inline constexpr std::string_view kOtherEvents = "Other events";

class SummaryBuilder {
public:
    void add(const logformat::RecordView &record);
    // A line the reader skipped.
    void addDamaged() { ++damaged_; }
    // Closes a run still open at the end of the log and works out the totals and statistics.
    Summary finish();

private:
    // Unknown until the log's first marker: a run may have begun before its first row (the
    // comments were deleted while the timer ran).
    enum class Timer { Unknown, Idle, Running, Paused };

    std::size_t groupOf(std::string_view participant, std::string_view scenario);
    void closeRunning(double endSeconds);
    int eventSlot(std::string_view name);

    Summary summary_;
    bool first_ = true;
    long long damaged_ = 0;
    // Button name -> index into the figures' events, and each column's last name and index, as
    // a column mostly holds one button's presses.
    std::unordered_map<std::string, int> eventIndex_;
    int otherSlot_ = -1;
    std::string columnName_[logformat::kEventColumnCount];
    int columnSlot_[logformat::kEventColumnCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

    std::unordered_map<std::string, std::size_t> groupIndex_;
    std::string key_;
    // Groups met lately, each in a slot chosen by its names' lengths and last bytes: a session's
    // rows take turns among a few participants and scenarios, and one comparison of two short
    // names costs less than hashing them.
    static constexpr std::size_t kRecentGroups = 64;
    std::size_t recent_[kRecentGroups] = {};  // a group's index + 1; 0 for none
    static std::size_t recentSlot(std::string_view participant, std::string_view scenario);

    Timer timer_ = Timer::Unknown;
    std::size_t runGroup_ = 0;   // the group of the START or RESUME that opened the interval
    double runStart_ = 0;        // its Scenario Time In Seconds
    double lastRunSeconds_ = 0;  // of the last row written while running
};

// Reads the log with the program's own reader. `progress` is called now and then with the bytes
// read and the file's size; returning false stops the reading (the summary is then partial).
// `alsoTo` gets every whole record too, so a second view of the log (the timeline) needs no
// second reading.
struct FileSummary {
    logfile::FileError openError;  // the file could not be opened: nothing was read
    logfile::FileError readError;  // reading failed part way: the summary covers what was read
    bool cancelled = false;
    Summary summary;
};
using Progress = std::function<bool(long long position, long long size)>;
using RecordSink = std::function<void(const logformat::RecordView &record)>;
FileSummary summariseFile(const std::string &path, const Progress &progress = {}, const RecordSink &alsoTo = {});

// The summary as a table, one layout for the window and the export: a "Kind" column, then the
// group figures, then the scenario statistics. Cells that do not apply to a row hold no value.
std::vector<std::string> tableColumns(const Summary &summary);
std::vector<std::vector<logformat::Field>> tableRows(const Summary &summary);

// The table as CSV bytes, written as the log is (logformat::appendFields).
std::string exportCsv(const Summary &summary);

// "HH:mm:ss" with as many hour digits as needed ("27:03:00"); whole seconds, rounded.
std::string clockText(double seconds);

}  // namespace logsummary
