// Log file benchmarks: reading a long log into display lines against `cat` of the same file, and
// appending rows one open-write-close each against raw system calls on a row of the same size.

#include "BenchUtil.h"
#include "LogGen.h"
#include "logformat.h"
#include "logio.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

using namespace logformat;

using bench::makeRow;

int main(int argc, char **argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    char dirTemplate[] = "/tmp/quorvane-bench-XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string log = dir + "/log.csv";

    const long long size = bench::writeLog(log, rows);
    std::printf("log of %d rows, %.1f MB (%.0f bytes a row)\n", rows, static_cast<double>(size) / 1e6,
                static_cast<double>(size) / rows);

    // Reading: page cache warm for both.
    const std::string cat = "cat '" + log + "' > /dev/null";
    if (std::system(cat.c_str()) != 0)
        return 1;
    const double catMs = bench::medianOfRuns(15, [&] { (void)std::system(cat.c_str()); });
    // A first load writes the lines into fresh memory; a reload reuses the memory of the lines it
    // replaces. A fixed mmap threshold keeps every first load's memory fresh, as in a new process.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const double firstMs = bench::medianOfRuns(15, [&] {
        logfile::DisplayLines fresh;
        logfile::readDisplayLines(log, fresh);
    });
    logfile::DisplayLines lines;
    logfile::readDisplayLines(log, lines);
    const double reloadMs = bench::medianOfRuns(15, [&] { logfile::readDisplayLines(log, lines); });
    if (lines.size() != static_cast<std::size_t>(rows))
        return 1;
    bench::report("first load: all records into display lines vs cat", firstMs, catMs, 2.0);
    bench::report("reload into the same lines vs cat", reloadMs, catMs, 2.0);

    // Appending: 10,000 rows one open-write-close each, against raw calls writing the same bytes.
    const std::string row = makeRow(7);
    const std::string rawLog = dir + "/raw.csv";
    std::vector<double> ours, raw;
    for (int i = 0; i < 10000; ++i) {
        double t = bench::nowMs();
        int fd = ::open(rawLog.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (::write(fd, row.data(), row.size()) != static_cast<ssize_t>(row.size()))
            return 1;
        ::close(fd);
        raw.push_back(bench::nowMs() - t);
        t = bench::nowMs();
        if (logfile::appendRow(log, row, logfile::Sync::No))
            return 1;
        ours.push_back(bench::nowMs() - t);
    }
    bench::report("append one row (open/write/close), median", bench::median(ours) * 1000,
                  bench::median(raw) * 1000, 2.0, "us");
    bench::report("append one row (open/write/close), 99th percentile", bench::percentile(ours, 99) * 1000,
                  bench::percentile(raw, 99) * 1000, 2.0, "us");

    std::remove(log.c_str());
    std::remove(rawLog.c_str());
    ::rmdir(dir.c_str());
    return 0;
}
