#include "core/summary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace logsummary {
namespace {

using logformat::FieldView;
using logformat::Kind;

// A missing or text number counts as 0.
double secondsOf(const FieldView &field) { return field.kind == Kind::Number ? field.number : 0; }

bool hasText(const FieldView &field) { return field.kind == Kind::Text && !field.text.empty(); }

void addFigures(Figures &to, const Figures &from) {
    to.seconds += from.seconds;
    to.timed = to.timed || from.timed;
    to.notStopped = to.notStopped || from.notStopped;
    to.comments += from.comments;
    for (std::size_t i = 0; i < to.events.size(); ++i)
        to.events[i] += from.events[i];
}

double medianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Mean and median rarely come out whole: hundredths are plenty for seconds on task.
double hundredths(double seconds) { return std::round(seconds * 100) / 100; }

}  // namespace

bool readHeader(const logformat::RecordView &record, const std::function<void(std::string_view name)> &button) {
    using namespace logformat;
    if (record[Date].kind != Kind::Text || record[Date].text != "Date")
        return false;
    for (std::size_t i = 0; button && i < kEventColumnCount; ++i) {
        const FieldView &title = record[FirstEventColumn + i];
        if (title.kind == Kind::Text && title.text.size() > kEventTitlePrefix.size() &&
            title.text.starts_with(kEventTitlePrefix))
            button(title.text.substr(kEventTitlePrefix.size()));
    }
    return true;
}

Marker markerOf(const FieldView &comment) {
    return comment.kind == Kind::Text ? logformat::markerOf(comment.text) : Marker::None;
}

std::size_t SummaryBuilder::recentSlot(std::string_view participant, std::string_view scenario) {
    const auto last = [](std::string_view s) { return s.empty() ? 0u : static_cast<unsigned char>(s.back()); };
    return (participant.size() * 7 + last(participant) * 5 + scenario.size() * 3 + last(scenario)) % kRecentGroups;
}

std::size_t SummaryBuilder::groupOf(std::string_view participant, std::string_view scenario) {
    std::size_t &recent = recent_[recentSlot(participant, scenario)];
    if (recent != 0) {
        const Group &g = summary_.groups[recent - 1];
        if (g.participant == participant && g.scenario == scenario)
            return recent - 1;
    }
    // The participant's length first, so no choice of characters makes two pairs share a key.
    char length[24];
    const auto end = std::to_chars(length, length + sizeof length, participant.size()).ptr;
    key_.assign(length, end);
    key_.push_back(':');
    key_.append(participant);
    key_.append(scenario);
    const auto [it, added] = groupIndex_.try_emplace(key_, summary_.groups.size());
    if (added) {
        Group g{std::string(participant), std::string(scenario), {}};
        g.figures.events.assign(summary_.eventTitles.size(), 0);
        summary_.groups.push_back(std::move(g));
    }
    recent = it->second + 1;
    return it->second;
}

void SummaryBuilder::closeRunning(double endSeconds) {
    summary_.groups[runGroup_].figures.seconds += std::max(0.0, endSeconds - runStart_);
}

int SummaryBuilder::eventSlot(std::string_view name) {
    if (const auto it = eventIndex_.find(std::string(name)); it != eventIndex_.end())
        return it->second;
    // A log of ten buttons' presses has few names; one with thousands (a foreign or damaged file)
    // gets its first ones counted by name and the rest together, not a column each per group.
    const bool full = summary_.eventTitles.size() >= kMostEventNames;
    if (full && otherSlot_ >= 0)
        return otherSlot_;
    const int slot = static_cast<int>(summary_.eventTitles.size());
    summary_.eventTitles.push_back(full ? std::string(kOtherEvents)
                                        : std::string(logformat::kEventTitlePrefix) + std::string(name));
    for (Group &g : summary_.groups)
        g.figures.events.resize(summary_.eventTitles.size());
    if (full)
        otherSlot_ = slot;
    else
        eventIndex_.emplace(std::string(name), slot);
    return slot;
}

void SummaryBuilder::add(const logformat::RecordView &record) {
    using namespace logformat;
    if (first_) {
        first_ = false;
        if (readHeader(record, [this](std::string_view name) { eventSlot(name); })) {
            summary_.hasHeader = true;
            return;
        }
    }
    ++summary_.rows;
    const std::size_t group = groupOf(record[Participant].text, record[Scenario].text);
    const double seconds = secondsOf(record[ScenarioSeconds]);
    const auto open = [&] {
        timer_ = Timer::Running;
        runGroup_ = group;
        runStart_ = lastRunSeconds_ = seconds;
        summary_.groups[group].figures.timed = true;
    };

    const Marker marker = markerOf(record[Comment]);
    switch (marker) {
    case Marker::None: {
        if (timer_ == Timer::Running)
            lastRunSeconds_ = seconds;
        Figures &f = summary_.groups[group].figures;
        bool press = false;
        for (std::size_t i = 0; i < kEventColumnCount; ++i) {
            const FieldView &event = record[FirstEventColumn + i];
            if (!hasText(event))
                continue;
            if (columnSlot_[i] < 0 || columnName_[i] != event.text) {
                columnName_[i] = event.text;
                columnSlot_[i] = eventSlot(event.text);
            }
            // Every column with text counts, so an event row whose comment was later corrected
            // still counts as its event (and, no longer matching, as a comment too).
            ++f.events[static_cast<std::size_t>(columnSlot_[i])];
            press = press || (record[Comment].kind == Kind::Text && record[Comment].text == event.text);
        }
        if (!press)
            ++f.comments;
        break;
    }
    case Marker::Start:
        // A START with the previous run still running: that run was never stopped, and counts up
        // to the last row written while it ran. A paused run had its time counted at the pause.
        if (timer_ == Timer::Running) {
            closeRunning(lastRunSeconds_);
            summary_.groups[runGroup_].figures.notStopped = true;
        }
        open();
        break;
    case Marker::Resume:
    case Marker::Pause:
    case Marker::Stop:
        if (timer_ == Timer::Running) {
            // Resuming a running timer ends the interval here and opens the next one from this row.
            closeRunning(seconds);
        } else if (timer_ == Timer::Unknown) {
            // The run began before the log's first row; the timer counted from 0.
            summary_.groups[group].figures.seconds += std::max(0.0, seconds);
            summary_.groups[group].figures.timed = true;
        }
        // After a STOP, or while paused, a stray PAUSE or STOP adds nothing.
        if (marker == Marker::Resume)
            open();
        else if (marker == Marker::Stop)
            timer_ = Timer::Idle;
        else if (timer_ != Timer::Idle)
            timer_ = Timer::Paused;
        break;
    }
}

Summary SummaryBuilder::finish() {
    if (timer_ == Timer::Running) {
        closeRunning(lastRunSeconds_);
        summary_.groups[runGroup_].figures.notStopped = true;
        timer_ = Timer::Idle;
    }
    Summary out = std::move(summary_);
    out.damagedLines = damaged_;

    std::unordered_map<std::string_view, std::size_t> participantIndex, scenarioIndex;
    std::vector<std::vector<double>> scenarioTimes;
    for (const Group &g : out.groups) {
        const auto [p, newParticipant] = participantIndex.try_emplace(g.participant, out.participants.size());
        if (newParticipant)
            out.participants.push_back({g.participant, {.events = std::vector<long long>(out.eventTitles.size())}});
        addFigures(out.participants[p->second].figures, g.figures);

        const auto [s, newScenario] = scenarioIndex.try_emplace(g.scenario, out.scenarios.size());
        if (newScenario) {
            out.scenarios.push_back({g.scenario, 0, 0, 0});
            scenarioTimes.emplace_back();
        }
        // Only participants timed on the scenario count: a group that holds nothing but comments
        // made under a scenario would pull the mean and median towards 0. A run started and
        // stopped within the same second does count, with its 0.
        if (g.figures.timed)
            scenarioTimes[s->second].push_back(g.figures.seconds);
    }
    for (std::size_t i = 0; i < out.scenarios.size(); ++i) {
        const std::vector<double> &times = scenarioTimes[i];
        ScenarioStats &stats = out.scenarios[i];
        stats.participants = static_cast<int>(times.size());
        if (!times.empty()) {
            double sum = 0;
            for (const double t : times)
                sum += t;
            stats.mean = sum / static_cast<double>(times.size());
            stats.median = medianOf(times);
        }
    }

    *this = SummaryBuilder();
    return out;
}

FileSummary summariseFile(const std::string &path, const Progress &progress, const RecordSink &alsoTo) {
    FileSummary out;
    logfile::RecordReader reader;
    out.openError = reader.open(path);
    if (out.openError)
        return out;
    // The tape's times and the scenario time's text count for nothing here; the PC time only for
    // whoever reads along (the timeline's pauses).
    using namespace logformat;
    const FieldSet unused = FieldSet(1) << VCRTime | FieldSet(1) << VCRSeconds | FieldSet(1) << ScenarioTime |
                            (alsoTo ? 0 : FieldSet(1) << PCTime);
    reader.readOnly(kAllFields & ~unused);
    SummaryBuilder builder;
    logformat::RecordView record;
    for (unsigned long long n = 1;; ++n) {
        const logfile::RecordReader::Step step = reader.next(record);
        if (step == logfile::RecordReader::Step::Record) {
            builder.add(record);
            if (alsoTo)
                alsoTo(record);
        } else if (step == logfile::RecordReader::Step::Damaged) {
            builder.addDamaged();
        } else {
            if (step == logfile::RecordReader::Step::ReadFailed)
                out.readError = reader.readError();
            break;
        }
        if (progress && n % 4096 == 0 && !progress(reader.position(), reader.fileSize())) {
            out.cancelled = true;
            break;
        }
    }
    out.summary = builder.finish();
    return out;
}

std::vector<std::string> tableColumns(const Summary &summary) {
    // What observers look for first, then the seconds to compute with, then the counts.
    std::vector<std::string> columns = {"Kind",   "Participant",             "Scenario", "Time On Task",
                                        "Status", "Time On Task In Seconds", "Comments"};
    columns.insert(columns.end(), summary.eventTitles.begin(), summary.eventTitles.end());
    for (const char *title : {"Participants Timed", "Mean Time On Task In Seconds", "Mean Time On Task",
                              "Median Time On Task In Seconds", "Median Time On Task"})
        columns.emplace_back(title);
    return columns;
}

std::vector<std::vector<logformat::Field>> tableRows(const Summary &summary) {
    using logformat::Field;
    constexpr std::size_t kStatsColumns = 5;
    std::vector<std::vector<Field>> rows;
    rows.reserve(summary.groups.size() + summary.participants.size() + summary.scenarios.size());
    const auto figureRow = [&](const char *kind, const std::string &participant, Field scenario,
                               const Figures &f) {
        std::vector<Field> row = {Field::txt(kind),
                                  Field::txt(participant),
                                  std::move(scenario),
                                  Field::txt(clockText(f.seconds)),
                                  Field::txt(f.notStopped ? "Not stopped" : f.timed ? "Done" : "Not timed"),
                                  Field::num(f.seconds),
                                  Field::num(static_cast<double>(f.comments))};
        for (const long long count : f.events)
            row.push_back(Field::num(static_cast<double>(count)));
        row.resize(row.size() + kStatsColumns);
        rows.push_back(std::move(row));
    };
    for (const Group &g : summary.groups)
        figureRow("Scenario", g.participant, Field::txt(g.scenario), g.figures);
    for (const ParticipantTotal &p : summary.participants)
        figureRow("Participant total", p.participant, Field::none(), p.figures);
    for (const ScenarioStats &s : summary.scenarios) {
        std::vector<Field> row = {Field::txt("Scenario across participants"), Field::none(), Field::txt(s.scenario)};
        row.resize(row.size() + 4 + summary.eventTitles.size());
        row.push_back(Field::num(s.participants));
        if (s.participants > 0) {
            for (const double t : {s.mean, s.median}) {
                row.push_back(Field::num(hundredths(t)));
                row.push_back(Field::txt(clockText(t)));
            }
        } else {
            row.resize(row.size() + 4);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string exportCsv(const Summary &summary) {
    std::vector<logformat::Field> titles;
    for (const std::string &title : tableColumns(summary))
        titles.push_back(logformat::Field::txt(title));
    std::string out;
    logformat::appendFields(out, titles);
    for (const std::vector<logformat::Field> &row : tableRows(summary))
        logformat::appendFields(out, row);
    return out;
}

std::string clockText(double seconds) {
    const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return buf;
}

}  // namespace logsummary
