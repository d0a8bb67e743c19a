#include "core/timeline.h"

#include "core/summary.h"

#include <algorithm>

namespace logtimeline {
namespace {

using logformat::FieldView;
using logformat::Kind;

// A tool tip shows no more than this of a comment, and the marks of a long log stay small.
constexpr std::size_t kMaxMarkText = 500;
constexpr long long kDay = 24 * 3600;

double secondsOf(const FieldView &field) { return field.kind == Kind::Number ? field.number : 0; }

std::string shortened(std::string_view text) {
    if (text.size() <= kMaxMarkText)
        return std::string(text);
    std::size_t cut = kMaxMarkText;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)  // not inside a character
        --cut;
    return std::string(text.substr(0, cut)) + "...";
}

bool twoDigits(std::string_view s, std::size_t at, int &value) {
    if (at + 2 > s.size() || s[at] < '0' || s[at] > '9' || s[at + 1] < '0' || s[at + 1] > '9')
        return false;
    value = (s[at] - '0') * 10 + (s[at + 1] - '0');
    return true;
}

}  // namespace

long long secondsOfDay(std::string_view t) {
    int h = 0, m = 0, s = 0;
    if (t.size() != 11 || !twoDigits(t, 0, h) || t[2] != ':' || !twoDigits(t, 3, m) || t[5] != ':' ||
        !twoDigits(t, 6, s) || t[8] != ' ' || (t.substr(9) != "AM" && t.substr(9) != "PM") || h < 1 || h > 12 ||
        m > 59 || s > 59)
        return -1;
    const int hour = h % 12 + (t.substr(9) == "PM" ? 12 : 0);
    return hour * 3600LL + m * 60 + s;
}

int TimelineBuilder::eventIndex(std::string_view name) {
    const auto [it, added] = events_.try_emplace(std::string(name), static_cast<int>(timeline_.eventNames.size()));
    if (added)
        timeline_.eventNames.emplace_back(name);
    return it->second;
}

void TimelineBuilder::addMark(std::vector<Mark> &to, const logformat::RecordView &record, double seconds) {
    using namespace logformat;
    if (marks_ >= maxMarks_) {
        ++timeline_.marksLeftOut;
        return;
    }
    ++marks_;
    Mark mark{seconds, -1, shortened(record[Comment].text), std::string(record[PCTime].text)};
    for (std::size_t i = 0; i < kEventColumnCount; ++i) {
        const FieldView &cell = record[FirstEventColumn + i];
        if (cell.kind == Kind::Text && !cell.text.empty()) {
            mark.event = eventIndex(cell.text);
            break;
        }
    }
    to.push_back(std::move(mark));
}

void TimelineBuilder::openRun(const logformat::RecordView &record, double seconds, bool begunBefore) {
    using namespace logformat;
    Run run;
    run.participant = std::string(record[Participant].text);
    run.scenario = std::string(record[Scenario].text);
    run.take = ++takes_[std::to_string(run.participant.size()) + ':' + run.participant + run.scenario];
    run.start = begunBefore ? 0 : seconds;
    run.begunBeforeLog = begunBefore;
    if (begunBefore)
        run.marks = std::move(beforeFirstMarker_);
    beforeFirstMarker_.clear();
    timeline_.runs.push_back(std::move(run));
    run_ = timeline_.runs.size() - 1;
    timer_ = Timer::Running;
    lastSeconds_ = seconds;
}

void TimelineBuilder::closeRun(double endSeconds, bool stopped) {
    Run &run = timeline_.runs[run_];
    run.end = std::max(run.start, endSeconds);
    run.stopped = stopped;
    std::stable_sort(run.marks.begin(), run.marks.end(),
                     [](const Mark &a, const Mark &b) { return a.seconds < b.seconds; });
    for (const Mark &m : run.marks)
        run.end = std::max(run.end, m.seconds);
    timeline_.longest = std::max(timeline_.longest, run.end);
    timer_ = Timer::Idle;
}

void TimelineBuilder::add(const logformat::RecordView &record) {
    using namespace logformat;
    if (first_) {
        first_ = false;
        // The header's buttons first, so their colours follow the button bar.
        if (logsummary::readHeader(record, [this](std::string_view name) { eventIndex(name); }))
            return;
    }
    const double seconds = secondsOf(record[ScenarioSeconds]);
    const logsummary::Marker marker = logsummary::markerOf(record[Comment]);
    const long long clock = secondsOfDay(record[PCTime].text);
    // The first marker tells whether the entries before it were made in a run begun before the log.
    if (timer_ == Timer::Unknown && marker != logsummary::Marker::None) {
        if (marker == logsummary::Marker::Start) {
            timeline_.untimedEntries += static_cast<long long>(beforeFirstMarker_.size());
            beforeFirstMarker_.clear();
        } else {
            openRun(record, seconds, true);
            if (marker == logsummary::Marker::Resume)  // it was paused when the log began
                timeline_.runs[run_].pauses.push_back({seconds, seconds, -1, true});
        }
    }
    switch (marker) {
    case logsummary::Marker::None:
        if (timer_ == Timer::Unknown) {
            addMark(beforeFirstMarker_, record, seconds);
        } else if (timer_ == Timer::Idle) {
            ++timeline_.untimedEntries;
        } else {
            addMark(timeline_.runs[run_].marks, record, seconds);
            if (timer_ == Timer::Running)
                lastSeconds_ = seconds;
        }
        break;
    case logsummary::Marker::Start:
        // The run before was never stopped: it ends at its last entry, or where it was paused.
        if (timer_ == Timer::Running || timer_ == Timer::Paused)
            closeRun(lastSeconds_, false);
        openRun(record, seconds, false);
        break;
    case logsummary::Marker::Pause:
        if (timer_ == Timer::Running) {
            timeline_.runs[run_].pauses.push_back({seconds, seconds, -1, false});
            lastSeconds_ = seconds;
            pausedAtClock_ = clock;
            timer_ = Timer::Paused;
        }
        break;
    case logsummary::Marker::Resume:
        if (timer_ == Timer::Paused) {
            Pause &pause = timeline_.runs[run_].pauses.back();
            pause.resumedAt = std::max(pause.at, seconds);
            pause.resumed = true;
            if (clock >= 0 && pausedAtClock_ >= 0)  // across midnight the clock starts again at 0
                pause.length = static_cast<double>((clock - pausedAtClock_ + kDay) % kDay);
            lastSeconds_ = pause.resumedAt;
            timer_ = Timer::Running;
        } else if (timer_ == Timer::Idle) {
            openRun(record, seconds, false);
        }
        break;
    case logsummary::Marker::Stop:
        if (timer_ == Timer::Running || timer_ == Timer::Paused)
            closeRun(timer_ == Timer::Running ? seconds : lastSeconds_, true);
        break;
    }
}

Timeline TimelineBuilder::finish() {
    if (timer_ == Timer::Running || timer_ == Timer::Paused)
        closeRun(lastSeconds_, false);
    timeline_.untimedEntries += static_cast<long long>(beforeFirstMarker_.size());
    Timeline out = std::move(timeline_);
    *this = TimelineBuilder(maxMarks_);
    return out;
}

}  // namespace logtimeline
