#pragma once
// The session as a timeline: one row per scenario timer run (from its START to its STOP) of a
// participant and scenario, along the run's scenario time, with its pauses and a mark for each
// comment and event press made during it. The markers are read as the session summary reads them,
// so both tell the same story. Plain C++, fed one record at a time.

#include "core/logformat.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace logtimeline {

struct Mark {
    double seconds = 0;  // the entry's scenario time
    int event = -1;      // index into Timeline::eventNames for an event press, -1 for a comment
    std::string text;    // the comment (for a press, the button's name as logged)
    std::string pcTime;  // the PC clock when it was made, as logged
};

// A pause of the scenario timer. The timer stands still while paused, so `resumedAt` is mostly
// `at`; how long the pause lasted on the PC clock is `length` (negative when it cannot be told).
struct Pause {
    double at = 0;
    double resumedAt = 0;
    double length = -1;
    bool resumed = false;  // false: the run was stopped, or the log ended, while paused
};

struct Run {
    std::string participant;
    std::string scenario;
    int take = 1;            // 2, 3, ... for a second or later run of the same participant and scenario
    double start = 0;        // scenario time of its START (0 for a run begun before the log)
    double end = 0;          // of its STOP, or of its last entry when it was never stopped
    bool stopped = false;
    bool begunBeforeLog = false;  // the log's first rows were made while it already ran
    std::vector<Pause> pauses;
    std::vector<Mark> marks;  // in order of scenario time
};

struct Timeline {
    std::vector<std::string> eventNames;  // the buttons, as the header names them, then others pressed
    std::vector<Run> runs;                 // in order of their START
    double longest = 0;                    // the latest end of any run
    long long untimedEntries = 0;          // comments and presses made while no timer ran
    long long marksLeftOut = 0;            // past the cap on marks kept
};

// At most this many marks are kept, so a huge log cannot take the machine's memory.
inline constexpr std::size_t kMaxMarks = 250000;

class TimelineBuilder {
public:
    explicit TimelineBuilder(std::size_t maxMarks = kMaxMarks) : maxMarks_(maxMarks) {}
    void add(const logformat::RecordView &record);
    Timeline finish();

private:
    enum class Timer { Unknown, Idle, Running, Paused };

    void openRun(const logformat::RecordView &record, double seconds, bool begunBefore);
    void closeRun(double endSeconds, bool stopped);
    void addMark(std::vector<Mark> &to, const logformat::RecordView &record, double seconds);
    int eventIndex(std::string_view name);

    Timeline timeline_;
    std::size_t maxMarks_;
    std::size_t marks_ = 0;
    bool first_ = true;
    Timer timer_ = Timer::Unknown;
    std::size_t run_ = 0;         // the run open while Running or Paused
    double lastSeconds_ = 0;      // of the last entry of the open run
    long long pausedAtClock_ = -1;  // PC clock seconds of the open pause
    std::vector<Mark> beforeFirstMarker_;  // entries before the log's first marker: their run is not known yet
    std::unordered_map<std::string, int> events_;
    std::unordered_map<std::string, int> takes_;
};

// "hh:mm:ss AM/PM" as seconds since midnight; negative when the text is not such a time.
long long secondsOfDay(std::string_view pcTime);

}  // namespace logtimeline
