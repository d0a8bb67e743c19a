// Session summary benchmark: summarising a long generated log, and reading its records alone,
// against the floor of read()ing the same file into one reused buffer in the same process, floor
// and figure runs by turns. Page cache warm for both. Arguments: [rows] [runs].

#include "bench/BenchUtil.h"
#include "bench/LogGen.h"
#include "core/summary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// LogGen's rows, with the scenario timer started, paused, resumed and stopped every 500 rows, so
// the timer bookkeeping is measured too.
long long writeTimedLog(const std::string &path, int rows) {
    using namespace logformat;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return -1;
    std::string chunk;
    long long size = 0;
    const char *markers[] = {"START", "PAUSE", "RESUME", "STOP"};
    for (int i = 0; i < rows; ++i) {
        if (i % 125 == 0) {
            Record r;
            r.fill(Field::txt(""));
            r[ScenarioSeconds] = Field::num(i % 500 == 0 ? 0 : i % 500);
            r[Participant] = Field::txt("P" + std::to_string(i / 500 % 12));
            r[Scenario] = Field::txt("Checkout");
            r[Comment] = Field::txt(std::string("***") + markers[i / 125 % 4] + " SCENARIO TIMER - Checkout***");
            chunk += encodeRow(r);
        } else {
            chunk += bench::makeRow(i);
        }
        if (chunk.size() > (1 << 20) || i == rows - 1) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            size += static_cast<long long>(chunk.size());
            chunk.clear();
        }
    }
    std::fclose(f);
    return size;
}

}  // namespace

int main(int argc, char **argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = std::max(5, argc > 2 ? std::atoi(argv[2]) : 7);
    char dirTemplate[] = "/tmp/quorvane-bench-XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string log = dir + "/log.csv";
    const long long size = writeTimedLog(log, rows);
    if (size <= 0)
        return 1;
    std::printf("log of %d rows, %.1f MB; %d runs each\n", rows, static_cast<double>(size) / 1e6, runs);

    const bench::ReadBuffer buffer(512 * 1024);  // as large as the reader's own chunk
    if (bench::readFile(log, buffer) != size)
        return 1;
    const auto floor = [&] { (void)bench::readFile(log, buffer); };
    long long summarised = 0;
    const bench::Paired summary = bench::interleaved(runs, floor, [&] {
        const logsummary::FileSummary out = logsummary::summariseFile(log);
        summarised = out.summary.rows;
    });
    if (summarised != rows)
        return 1;
    // The reader alone, to tell the summary's own share from the reading's.
    long long read = 0;
    const bench::Paired reader = bench::interleaved(runs, floor, [&] {
        logfile::RecordReader r;
        logformat::RecordView record;
        read = 0;
        if (!r.open(log))
            while (r.next(record) == logfile::RecordReader::Step::Record)
                ++read;
    });
    if (read != rows)
        return 1;

    bench::header();
    bench::report("summary of the log (summariseFile) vs read() reused buffer", summary, 9.0);
    bench::report("the reader alone vs read() reused buffer", reader, 5.0);
    std::remove(log.c_str());
    ::rmdir(dir.c_str());
    return 0;
}
