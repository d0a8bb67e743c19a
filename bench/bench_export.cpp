// Spreadsheet export benchmark: a generated log of 1,000,000 rows (by default) exported to an .xlsx
// workbook, against its floor: the same rows read with the same reader and written as CSV with
// the core's one encoder, flushed to disk, in the same process. Runs interleaved (floor, export,
// floor, export ...). Peak memory (VmHWM, reset before each) for both, and the export's peak for a
// log a tenth the size, to show that memory does not grow with the log.
//
//   bench_export [rows] [runs]      files in a temporary folder under $TMPDIR or /tmp

#include "bench/BenchUtil.h"
#include "bench/LogGen.h"
#include "core/logio.h"
#include "export/workbook.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Resets the peak resident size the kernel keeps, so the next reading is one operation's peak.
void resetPeak() {
    if (std::FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// VmHWM: the peak resident size, in MB.
double peakMb() {
    double kb = 0;
    if (std::FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %lf kB", &kb) == 1)
                break;
        std::fclose(f);
    }
    return kb / 1024;
}

// The floor: every record read and written again as a CSV row, 1 MB at a time, then fsync.
long long writeCsv(const std::string &log, const std::string &out) {
    logfile::RecordReader reader;
    if (reader.open(log))
        std::abort();
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    logformat::RecordView view;
    logformat::Record record;
    std::string chunk;
    long long rows = 0;
    while (reader.next(view) == logfile::RecordReader::Step::Record) {
        for (std::size_t i = 0; i < logformat::kFieldCount; ++i)
            record[i] = logformat::toField(view[i]);
        logformat::appendRow(chunk, record);
        ++rows;
        if (chunk.size() > (1 << 20)) {
            if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                std::abort();
            chunk.clear();
        }
    }
    if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()) || ::fsync(fd) != 0)
        std::abort();
    ::close(fd);
    return rows;
}

long long exportXlsx(const std::string &log, const std::string &out) {
    const xlsxexport::Outcome result = xlsxexport::exportLog(log, out, "");
    if (!result.done())
        std::abort();
    return result.rows;
}

long long sizeOf(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

}  // namespace

int main(int argc, char **argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = std::max(3, argc > 2 ? std::atoi(argv[2]) : 5);
    const char *tmp = std::getenv("TMPDIR");
    std::string dirTemplate = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorvane-bench-XXXXXX";
    const std::string dir = mkdtemp(dirTemplate.data());
    const std::string log = dir + "/log.csv", small = dir + "/small.csv";
    const std::string xlsx = dir + "/log.xlsx", csv = dir + "/copy.csv";
    const long long size = bench::writeLog(log, rows);
    bench::writeLog(small, rows / 10);
    std::printf("log of %d rows, %.1f MB; %d runs each, interleaved\n", rows, static_cast<double>(size) / 1e6, runs);

    (void)writeCsv(log, csv);  // the page cache warm for both
    std::vector<double> floor, figure, floorPeak, figurePeak;
    for (int i = 0; i < runs; ++i) {
        resetPeak();
        floor.push_back(bench::timings(1, [&] {
            if (writeCsv(log, csv) != rows)
                std::abort();
        })[0]);
        floorPeak.push_back(peakMb());
        resetPeak();
        figure.push_back(bench::timings(1, [&] {
            if (exportXlsx(log, xlsx) != rows)
                std::abort();
        })[0]);
        figurePeak.push_back(peakMb());
    }
    resetPeak();
    (void)exportXlsx(small, dir + "/small.xlsx");
    const double smallPeak = peakMb();

    bench::header();
    bench::report(("log to .xlsx vs read + CSV encoder + fsync, " + std::to_string(rows) + " rows").c_str(), figure,
                  floor, 25.0);
    bench::report("peak memory (VmHWM) of the export vs of the CSV floor", figurePeak, floorPeak, 3.0, "MB");
    std::printf("the export's peak for %d rows: %.1f MB, for %d rows: %.1f MB (constant memory: the same)\n",
                rows / 10, smallPeak, rows, bench::median(figurePeak));
    std::printf("workbook %.1f MB (%.2fx the log), CSV copy %.1f MB\n", static_cast<double>(sizeOf(xlsx)) / 1e6,
                static_cast<double>(sizeOf(xlsx)) / static_cast<double>(size), static_cast<double>(sizeOf(csv)) / 1e6);

    for (const std::string &f : {log, small, xlsx, csv, dir + "/small.xlsx"})
        std::remove(f.c_str());
    ::rmdir(dir.c_str());
    return 0;
}
