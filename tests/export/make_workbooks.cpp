// Writes a log of awkward texts, typed fields, a hand-edited date and damaged lines with the
// program's own row writer, exports it and its summary as workbooks, and writes what every cell
// of them must hold, for the readers (openpyxl, LibreOffice Calc) to check.
//
//   make_workbooks awkward <folder>       log.csv, log.xlsx, summary.xlsx, expected.json
//   make_workbooks big <folder> <rows>    big.csv and big.xlsx of that many entries

#include "core/summary.h"
#include "export/workbook.h"
#include "tests/spreadsheet/awkward_texts.h"
#include "tests/support/LogRecords.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace logformat;

namespace {

std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (const char c : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
        out += c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 ? std::string(escaped) : std::string(1, c);
    }
    return out + "\"";
}

// A cell as the readers must find it: its type and its value.
std::string cell(const char *type, const std::string &value) { return "[\"" + std::string(type) + "\", " + value + "]"; }

// "hh:mm:ss" as a count of seconds.
std::string secondsOf(const std::string &t) {
    return std::to_string(std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 + std::stoi(t.substr(6, 2)));
}

Record header() { return headerRecord({"Error", "Task done"}); }

Record entry(const std::string &participant, const std::string &scenario, const std::string &comment, int seconds,
             const std::string &date = "12/05/2026", const std::string &event = "") {
    Record r;
    r.fill(Field::txt(""));
    r[Date] = Field::txt(date);
    r[PCTime] = Field::txt(seconds % 2 ? "02:15:07 PM" : "11:15:07 AM");
    r[VCRTime] = Field::txt("00:12:34");
    r[VCRSeconds] = Field::num(754);
    char clock[32];
    std::snprintf(clock, sizeof clock, "00:%02d:%02d", seconds / 60, seconds % 60);
    r[ScenarioTime] = Field::txt(clock);
    r[ScenarioSeconds] = Field::num(seconds);
    r[Participant] = Field::txt(participant);
    r[Scenario] = Field::txt(scenario);
    r[Comment] = Field::txt(comment);
    if (!event.empty())
        r[event == "Error" ? FirstEventColumn : FirstEventColumn + 1] = Field::txt(event);
    return r;
}

// What the workbook's row must hold for a record.
std::string expectedRow(const Record &r, bool titles) {
    std::string out = "[";
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const Field &f = r[i];
        std::string c;
        const std::string text = cleanComment(f.text);
        if (f.kind == Kind::Number)
            c = cell("number", formatNumber(f.number));
        else if (text.empty())
            c = cell("empty", "null");
        else if (titles)
            c = cell("text", quoted(text));
        else if (i == Date && text == "12/05/2026")
            c = cell("date", "\"2026-12-05\"");
        else if (i == PCTime)
            c = cell("time", text == "02:15:07 PM" ? "\"14:15:07\"" : "\"11:15:07\"");
        else if (i == VCRTime || i == ScenarioTime)
            c = cell("duration", secondsOf(text));
        else
            c = cell("text", quoted(text));
        out += (i ? ", " : "") + c;
    }
    return out + "]";
}

int awkward(const std::string &folder) {
    std::vector<Record> rows{header()};
    rows.push_back(entry("Zürich", "Checkout", "***START SCENARIO TIMER - Checkout***", 0));
    for (std::size_t i = 0; i < kAwkwardTexts.size(); ++i)
        rows.push_back(entry(kAwkwardTexts[i], i % 2 ? "Checkout" : kAwkwardTexts[i], kAwkwardTexts[i],
                             static_cast<int>(i + 1), "12/05/2026", i % 5 == 3 ? "Error" : ""));
    rows.push_back(entry("Zürich", "Checkout", "Task done", 90, "12/05/2026", "Task done"));
    rows.push_back(entry("Zürich", "Checkout", "a date edited by hand", 95, "13/45/2026"));
    rows.push_back(entry("Zürich", "Checkout", "***STOP SCENARIO TIMER - Checkout***", 125));
    rows.push_back(entry("P2", "Checkout", "***START SCENARIO TIMER - Checkout***", 0));
    rows.push_back(entry("P2", "Checkout", "***STOP SCENARIO TIMER - Checkout***", 61));

    // Two damaged lines among the rows: one cut short, one that is no row at all.
    const std::vector<std::string> damaged = {"\"12/05/2026\",\"02:15:07 PM\",\"cut short", "not a row, Zürich"};
    std::string log, expected = "{\n\"log\": [\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        log += encodeRow(rows[i]);
        expected += "  " + expectedRow(rows[i], i == 0) + (i + 1 < rows.size() ? ",\n" : "\n");
        if (i == 3 || i == 10)
            log += damaged[i == 3 ? 0 : 1] + "\r\n";
    }
    // Each after the sheet row of the entry before it (the header is row 1).
    expected += "],\n\"damaged\": [[4, " + quoted(damaged[0]) + "], [11, " + quoted(damaged[1]) + "]],\n";
    std::ofstream(folder + "/log.csv", std::ios::binary) << log;

    const xlsxexport::Outcome logOut = xlsxexport::exportLog(folder + "/log.csv", folder + "/log.xlsx", "");
    const logsummary::FileSummary summary = logsummary::summariseFile(folder + "/log.csv");
    const xlsxexport::Outcome summaryOut =
        xlsxexport::exportSummary(summary.summary, folder + "/summary.xlsx", folder + "/log.csv");
    if (!logOut.done() || !summaryOut.done() || logOut.damagedRows != 2) {
        std::fprintf(stderr, "export failed: %s %s\n", logOut.error.description.c_str(),
                     summaryOut.error.description.c_str());
        return 1;
    }
    // The summary's table as the window shows it, to be found typed in the workbook.
    expected += "\"summary_columns\": [";
    const std::vector<std::string> columns = logsummary::tableColumns(summary.summary);
    for (std::size_t c = 0; c < columns.size(); ++c)
        expected += (c ? ", " : "") + quoted(columns[c]);
    expected += "],\n\"summary_rows\": [\n";
    const auto table = logsummary::tableRows(summary.summary);
    for (std::size_t r = 0; r < table.size(); ++r) {
        expected += "  [";
        for (std::size_t c = 0; c < table[r].size(); ++c) {
            const Field &f = table[r][c];
            expected += (c ? ", " : "") + (f.kind == Kind::Number ? cell("number", formatNumber(f.number))
                                           : f.kind == Kind::None || f.text.empty() ? cell("empty", "null")
                                           : columns[c].ends_with("Time On Task") ? cell("duration", secondsOf(f.text))
                                                                                   : cell("text", quoted(f.text)));
        }
        expected += r + 1 < table.size() ? "],\n" : "]\n";
    }
    // The time-on-task chart's data: a bar for each timed group of the participants and scenarios
    // it shows, none for a group not timed.
    const logsummary::Summary &sum = summary.summary;
    std::size_t bars = 0;
    for (const logsummary::Group &g : sum.groups) {
        const auto shown = [](const auto &list, std::size_t most, auto named) {
            return std::any_of(list.begin(), list.begin() + std::min(list.size(), most), named);
        };
        bars += g.figures.timed &&
                shown(sum.participants, xlsxexport::kMaxChartSeries,
                      [&](const auto &p) { return p.participant == g.participant; }) &&
                shown(sum.scenarios, xlsxexport::kMaxChartCategories,
                      [&](const auto &s) { return s.scenario == g.scenario; });
    }
    expected += "],\n\"bars\": " + std::to_string(bars) + ",\n\"groups\": " + std::to_string(sum.groups.size());
    expected += ",\n\"participants\": " + std::to_string(summary.summary.participants.size()) +
                ",\n\"max_series\": " + std::to_string(xlsxexport::kMaxChartSeries) + "\n}\n";
    std::ofstream(folder + "/expected.json", std::ios::binary) << expected;
    return 0;
}

int big(const std::string &folder, long long count) {
    std::string chunk;
    std::ofstream csv(folder + "/big.csv", std::ios::binary);
    csv << encodeRow(header());
    for (long long i = 0; i < count; ++i) {
        chunk += encodeRow(entry("P" + std::to_string(i % 10), "Scenario " + std::to_string(i % 8),
                                 "Comment number " + std::to_string(i) + ", as typed", static_cast<int>(i % 3600)));
        if (chunk.size() > (1 << 20)) {
            csv << chunk;
            chunk.clear();
        }
    }
    csv << chunk;
    csv.close();
    const xlsxexport::Outcome out = xlsxexport::exportLog(folder + "/big.csv", folder + "/big.xlsx", "");
    if (!out.done() || out.rows != count) {
        std::fprintf(stderr, "export failed after %lld rows: %s\n", out.rows, out.error.description.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "awkward" && argc == 3)
        return awkward(argv[2]);
    if (mode == "big" && argc == 4)
        return big(argv[2], std::stoll(argv[3]));
    std::fprintf(stderr, "usage: make_workbooks awkward <folder> | big <folder> <rows>\n");
    return 2;
}
