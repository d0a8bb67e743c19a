#pragma once
// The two spreadsheet exports: a log as an .xlsx workbook with a typed cell for every field, and
// the session summary as a workbook with its table and charts. Both are written to a temporary
// file beside the target and renamed over it only when complete (core/filereplace.h), so a failure
// or a cancel leaves the target as it was and nothing of ours behind.

#include "core/filereplace.h"
#include "core/summary.h"

#include <functional>
#include <string>

namespace xlsxexport {

struct Outcome {
    logfile::ExportTarget refused;  // result not Ok: the target was refused and left alone
    logfile::FileError error;       // reading the log or writing the workbook failed
    bool cancelled = false;
    long long rows = 0;         // entries written (the header row not counted)
    long long damagedRows = 0;  // lines of the log that are not rows, written on their own sheet
    long long textsCut = 0;     // texts longer than a cell holds
    int logSheets = 0;          // sheets the entries took (a sheet holds 1,048,575 of them)
    bool done() const {
        return refused.result == logfile::ExportTarget::Result::Ok && !error && !cancelled;
    }
};

// Called now and then with the bytes read and the log's size; false cancels.
using Progress = std::function<bool(long long position, long long size)>;

// The log at `logPath` as a workbook at `target`. `currentLog` is the log the program writes to
// (never replaced); it may be `logPath` itself.
Outcome exportLog(const std::string &logPath, const std::string &target, const std::string &currentLog,
                  const Progress &progress = {});

// The summary's table with typed cells, and its charts: time on task per scenario for each
// participant, and presses per event button.
Outcome exportSummary(const logsummary::Summary &summary, const std::string &target, const std::string &currentLog);

// The charts show at most this many participants and this many scenarios or buttons; a note on
// the chart sheet says what was left out.
inline constexpr std::size_t kMaxChartSeries = 20;
inline constexpr std::size_t kMaxChartCategories = 40;

}  // namespace xlsxexport
