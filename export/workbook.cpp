#include "export/workbook.h"

#include "export/cells.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

namespace xlsxexport {
namespace {

using logformat::FieldView;
using logformat::Kind;

// Rows a sheet holds; the first is the header row.
constexpr long long kSheetRows = 1048576;

// A workbook written to a temporary file beside the target. Without close(), or when anything
// fails, the temporary file is removed and the target is left as it was.
class Workbook {
public:
    Workbook(const std::string &target, const std::string &currentLog, bool constantMemory, Outcome &out)
        : out_(out) {
        out.error = file_.create(target, currentLog, out.refused);
        if (out.error || out.refused.result != logfile::ExportTarget::Result::Ok)
            return;
        // The writer's own scratch files go beside the target too: the temporary folder may be a
        // small file system in memory, and a workbook of a million rows needs room.
        folder_ = logfile::folderOf(file_.targetPath());
        lxw_workbook_options options{};
        options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
        options.tmpdir = folder_.data();
        options.use_zip64 = LXW_TRUE;  // past 4 GB of sheet data
        workbook_ = workbook_new_opt(file_.tempPath().c_str(), &options);
        if (!workbook_)
            out.error = logfile::FileError::fromErrno(errno ? errno : ENOMEM);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;
    ~Workbook() {
        if (workbook_)
            lxw_workbook_free(workbook_);
    }

    explicit operator bool() const { return workbook_ != nullptr; }
    lxw_workbook *get() const { return workbook_; }

    // Writes the workbook and puts it in the target's place.
    void close() {
        errno = 0;
        const lxw_error err = workbook_close(workbook_);
        workbook_ = nullptr;
        if (err != LXW_NO_ERROR) {
            // The writer says what it was doing; the system's error says why, when there is one.
            const int sys = errno;
            out_.error = logfile::FileError::fromErrno(sys ? sys : EIO);
            if (!sys)
                out_.error.description = lxw_strerror(err);
            file_.discard();
            return;
        }
        out_.error = file_.commit(out_.refused);
    }

private:
    Outcome &out_;
    logfile::FileReplacement file_;
    std::string folder_;
    lxw_workbook *workbook_ = nullptr;
};

// The log's sheets: the entries, a new sheet every million rows, and the damaged rows apart.
class LogWriter {
public:
    LogWriter(lxw_workbook *workbook, Outcome &out) : workbook_(workbook), out_(out), formats_(addFormats(workbook)) {}

    void setTitles(const logformat::RecordView &header) {
        for (std::size_t i = 0; i < logformat::kFieldCount; ++i)
            titles_[i] = header[i].kind == Kind::None ? std::string() : std::string(header[i].text);
    }

    void addEntry(const logformat::RecordView &record) {
        using namespace logformat;
        if (!sheet_ || row_ == kSheetRows)
            startSheet();
        const auto r = static_cast<lxw_row_t>(row_);
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            const auto c = static_cast<lxw_col_t>(i);
            const FieldView &f = record[i];
            if (f.kind == Kind::Number) {
                worksheet_write_number(sheet_, r, c, f.number, nullptr);
                widths_.note(i, f.text.size());
                continue;
            }
            if (f.kind == Kind::None || f.text.empty())
                continue;
            // A text that does not read as its column's type stays a text: nothing is dropped.
            std::optional<double> value;
            lxw_format *format = nullptr;
            if (i == Date)
                value = dateValue(f.text), format = formats_.date;
            else if (i == PCTime)
                value = timeOfDayValue(f.text), format = formats_.time;
            else if (i == VCRTime || i == ScenarioTime)
                value = durationValue(f.text), format = formats_.duration;
            if (value) {
                worksheet_write_number(sheet_, r, c, *value, format);
                widths_.note(i, f.text.size());
            } else if (!writeText(sheet_, r, c, f.text, widths_)) {
                ++out_.textsCut;
            }
        }
        ++row_;
        ++out_.rows;
    }

    void addDamaged(std::string_view line) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (!damaged_) {
            damaged_ = workbook_add_worksheet(workbook_, "Damaged rows");
            writeText(damaged_, 0, 0, "After row", damagedWidths_, formats_.title);
            writeText(damaged_, 0, 1, "Line as it is in the log", damagedWidths_, formats_.title);
            worksheet_freeze_panes(damaged_, 1, 0);
        }
        ++out_.damagedRows;
        const auto r = static_cast<lxw_row_t>(std::min(out_.damagedRows, kSheetRows - 1));
        // Where it was: the row of the entries' sheet it came after.
        worksheet_write_number(damaged_, r, 0, static_cast<double>(sheet_ ? row_ : 1), nullptr);
        if (!writeText(damaged_, r, 1, line, damagedWidths_))
            ++out_.textsCut;
    }

    void finish() {
        if (!sheet_)
            startSheet();
        endSheet();
        if (damaged_)
            damagedWidths_.apply(damaged_, 10, 120);
    }

private:
    void startSheet() {
        if (sheet_)
            endSheet();
        ++out_.logSheets;
        const std::string name = out_.logSheets == 1 ? "Log" : "Log (" + std::to_string(out_.logSheets) + ")";
        sheet_ = workbook_add_worksheet(workbook_, name.c_str());
        for (std::size_t i = 0; i < logformat::kFieldCount; ++i) {
            const std::string_view title = titles_[i].empty() && i < std::size(logformat::kFixedTitles)
                                               ? logformat::kFixedTitles[i]
                                               : std::string_view(titles_[i]);
            writeText(sheet_, 0, static_cast<lxw_col_t>(i), title, widths_, formats_.title);
        }
        worksheet_freeze_panes(sheet_, 1, 0);
        row_ = 1;
    }
    void endSheet() {
        worksheet_autofilter(sheet_, 0, 0, static_cast<lxw_row_t>(std::max(row_ - 1, 1LL)),
                             static_cast<lxw_col_t>(logformat::kFieldCount - 1));
        widths_.apply(sheet_);
    }

    lxw_workbook *workbook_;
    Outcome &out_;
    Formats formats_;
    std::string titles_[logformat::kFieldCount];
    lxw_worksheet *sheet_ = nullptr;
    long long row_ = 0;
    ColumnWidths widths_;
    lxw_worksheet *damaged_ = nullptr;
    ColumnWidths damagedWidths_;
};

}  // namespace

Outcome exportLog(const std::string &logPath, const std::string &target, const std::string &currentLog,
                  const Progress &progress) {
    Outcome out;
    // The log being exported is never replaced by its own export, even when it is no log.
    if ((out.refused = logfile::checkExportTarget(target, logPath)).result != logfile::ExportTarget::Result::Ok)
        return out;
    Workbook book(target, currentLog, true, out);
    if (!book)
        return out;
    logfile::RecordReader reader;
    if ((out.error = reader.open(logPath)))
        return out;
    LogWriter writer(book.get(), out);
    logformat::RecordView record;
    bool first = true;
    for (unsigned long long n = 1;; ++n) {
        const logfile::RecordReader::Step step = reader.next(record);
        if (step == logfile::RecordReader::Step::Record) {
            if (first && logsummary::readHeader(record))
                writer.setTitles(record);
            else
                writer.addEntry(record);
            first = false;
        } else if (step == logfile::RecordReader::Step::Damaged) {
            writer.addDamaged(reader.recordBytes());
            first = false;
        } else if (step == logfile::RecordReader::Step::ReadFailed) {
            out.error = reader.readError();
            return out;
        } else {
            break;
        }
        if (progress && n % 4096 == 0 && !progress(reader.position(), reader.fileSize())) {
            out.cancelled = true;
            return out;
        }
    }
    writer.finish();
    book.close();
    return out;
}

// --- The summary

namespace {

// The table's clock texts, which the workbook holds as durations.
bool isDurationColumn(std::string_view title) {
    return title == "Time On Task" || title == "Mean Time On Task" || title == "Median Time On Task";
}

std::string_view withoutPrefix(std::string_view title) {
    return title.starts_with(logformat::kEventTitlePrefix) ? title.substr(logformat::kEventTitlePrefix.size()) : title;
}

void writeSummaryTable(lxw_workbook *workbook, const Formats &formats, const logsummary::Summary &summary,
                       Outcome &out) {
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Summary");
    ColumnWidths widths;
    const std::vector<std::string> columns = logsummary::tableColumns(summary);
    for (std::size_t c = 0; c < columns.size(); ++c)
        writeText(sheet, 0, static_cast<lxw_col_t>(c), columns[c], widths, formats.title);
    const std::vector<std::vector<logformat::Field>> rows = logsummary::tableRows(summary);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const logformat::Field &cell = rows[r][c];
            const auto col = static_cast<lxw_col_t>(c);
            if (cell.kind == Kind::Number) {
                worksheet_write_number(sheet, row, col, cell.number, nullptr);
                widths.note(c, logformat::formatNumber(cell.number).size());
            } else if (cell.kind == Kind::Text && !cell.text.empty()) {
                const std::optional<double> days = isDurationColumn(columns[c]) ? durationValue(cell.text) : std::nullopt;
                if (days) {
                    worksheet_write_number(sheet, row, col, *days, formats.duration);
                    widths.note(c, cell.text.size());
                } else if (!writeText(sheet, row, col, cell.text, widths)) {
                    ++out.textsCut;
                }
            }
        }
        ++out.rows;
    }
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(std::max<std::size_t>(rows.size(), 1)),
                         static_cast<lxw_col_t>(columns.size() - 1));
    widths.apply(sheet);
}

// The charts, on a sheet of their own, and the figures they show on another.
void writeCharts(lxw_workbook *workbook, const Formats &formats, const logsummary::Summary &summary) {
    static constexpr const char *kData = "Chart data";
    lxw_worksheet *charts = workbook_add_worksheet(workbook, "Charts");
    lxw_worksheet *data = workbook_add_worksheet(workbook, kData);
    ColumnWidths widths, noted;

    const std::size_t people = std::min(summary.participants.size(), kMaxChartSeries);
    const std::size_t scenarios = std::min(summary.scenarios.size(), kMaxChartCategories);
    std::unordered_map<std::string_view, std::size_t> personIndex, scenarioIndex;
    writeText(data, 0, 0, "Scenario", widths, formats.title);
    for (std::size_t p = 0; p < people; ++p) {
        personIndex.emplace(summary.participants[p].participant, p);
        writeText(data, 0, static_cast<lxw_col_t>(p + 1), summary.participants[p].participant, widths, formats.title);
    }
    for (std::size_t s = 0; s < scenarios; ++s) {
        scenarioIndex.emplace(summary.scenarios[s].scenario, s);
        writeText(data, static_cast<lxw_row_t>(s + 1), 0, summary.scenarios[s].scenario, widths);
    }
    // A participant not timed on a scenario has no bar there, rather than a bar of nothing.
    for (const logsummary::Group &g : summary.groups) {
        const auto p = personIndex.find(g.participant);
        const auto s = scenarioIndex.find(g.scenario);
        if (p != personIndex.end() && s != scenarioIndex.end() && g.figures.timed)
            worksheet_write_number(data, static_cast<lxw_row_t>(s->second + 1), static_cast<lxw_col_t>(p->second + 1),
                                   g.figures.seconds / 86400.0, formats.duration);
    }

    const std::size_t events = std::min(summary.eventTitles.size(), kMaxChartCategories);
    const auto eventsTop = static_cast<lxw_row_t>(scenarios + 2);
    writeText(data, eventsTop, 0, "Event", widths, formats.title);
    writeText(data, eventsTop, 1, "Presses", widths, formats.title);
    for (std::size_t e = 0; e < events; ++e) {
        long long presses = 0;
        for (const logsummary::ParticipantTotal &p : summary.participants)
            presses += p.figures.events[e];
        writeText(data, static_cast<lxw_row_t>(eventsTop + 1 + e), 0, withoutPrefix(summary.eventTitles[e]), widths);
        worksheet_write_number(data, static_cast<lxw_row_t>(eventsTop + 1 + e), 1, static_cast<double>(presses), nullptr);
    }
    widths.apply(data);

    writeText(charts, 0, 0,
              "Time on task per scenario for each participant, and how often each event button was pressed. "
              "The figures are on the sheet Chart data; every participant is on the sheet Summary.",
              noted, formats.note);
    std::string leftOut;
    if (people < summary.participants.size())
        leftOut += "The first chart shows the first " + std::to_string(people) + " of " +
                   std::to_string(summary.participants.size()) + " participants. ";
    if (scenarios < summary.scenarios.size())
        leftOut += "It shows the first " + std::to_string(scenarios) + " of " +
                   std::to_string(summary.scenarios.size()) + " scenarios. ";
    if (events < summary.eventTitles.size())
        leftOut += "The second chart shows the first " + std::to_string(events) + " of " +
                   std::to_string(summary.eventTitles.size()) + " events.";
    if (!leftOut.empty())
        writeText(charts, 1, 0, leftOut, noted, formats.note);

    // Wider with more bars, within reason.
    const double width = std::clamp(static_cast<double>(std::max<std::size_t>(scenarios, 1) * std::max<std::size_t>(people, 1)) / 16.0, 1.5, 4.0);
    lxw_chart *time = workbook_add_chart(workbook, LXW_CHART_COLUMN);
    chart_title_set_name(time, "Time on task per scenario");
    chart_axis_set_name(time->x_axis, "Scenario");
    chart_axis_set_name(time->y_axis, "Time on task");
    chart_axis_set_num_format(time->y_axis, "[h]:mm:ss");
    for (std::size_t p = 0; p < people; ++p) {
        lxw_chart_series *series = chart_add_series(time, nullptr, nullptr);
        chart_series_set_categories(series, kData, 1, 0, static_cast<lxw_row_t>(std::max<std::size_t>(scenarios, 1)), 0);
        const auto col = static_cast<lxw_col_t>(p + 1);
        chart_series_set_values(series, kData, 1, col, static_cast<lxw_row_t>(std::max<std::size_t>(scenarios, 1)), col);
        chart_series_set_name_range(series, kData, 0, col);
    }
    lxw_chart_options placeTime{};
    placeTime.x_scale = width;
    placeTime.y_scale = 1.5;
    worksheet_insert_chart_opt(charts, 3, 0, time, &placeTime);

    if (events > 0) {
        lxw_chart *presses = workbook_add_chart(workbook, LXW_CHART_BAR);
        chart_title_set_name(presses, "Event presses per button");
        chart_legend_set_position(presses, LXW_CHART_LEGEND_NONE);
        lxw_chart_series *series = chart_add_series(presses, nullptr, nullptr);
        chart_series_set_categories(series, kData, eventsTop + 1, 0, static_cast<lxw_row_t>(eventsTop + events), 0);
        chart_series_set_values(series, kData, eventsTop + 1, 1, static_cast<lxw_row_t>(eventsTop + events), 1);
        lxw_chart_options placePresses{};
        placePresses.x_scale = 1.5;
        placePresses.y_scale = std::clamp(static_cast<double>(events) / 8.0, 1.0, 3.0);
        worksheet_insert_chart_opt(charts, 27, 0, presses, &placePresses);
    }
}

}  // namespace

Outcome exportSummary(const logsummary::Summary &summary, const std::string &target, const std::string &currentLog) {
    Outcome out;
    Workbook book(target, currentLog, false, out);
    if (!book)
        return out;
    const Formats formats = addFormats(book.get());
    writeSummaryTable(book.get(), formats, summary, out);
    if (!summary.groups.empty())
        writeCharts(book.get(), formats, summary);
    book.close();
    return out;
}

}  // namespace xlsxexport
