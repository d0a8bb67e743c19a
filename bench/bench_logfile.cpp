// Log file benchmarks, in one process: indexing a long log for the comment list against read()ing
// the same file (into a reused buffer, and into fresh memory); appending rows one at a time
// against raw open/write/close of the same bytes. Arguments: [runs] (default 7).

#include "bench/BenchUtil.h"
#include "bench/LogGen.h"
#include "core/logindex.h"
#include "core/logio.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

int main(int argc, char **argv) {
    const int runs = std::max(5, argc > 1 ? std::atoi(argv[1]) : 7);
    // Large blocks come fresh from the system each time, as in a program that has just started.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    char dirTemplate[] = "/tmp/quorvane-bench-XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    bench::header();

    for (const int rows : {100000, 1000000}) {
        const std::string log = dir + "/log.csv";
        const long long size = bench::writeLog(log, rows);
        std::string reused(1024 * 1024, '\0');
        bench::readFile(log, reused.data(), reused.size());  // the page cache warm for every run
        const auto reusedFloor = bench::timings(runs, [&] { bench::readFile(log, reused.data(), reused.size()); });
        const auto freshFloor = bench::timings(runs, [&] {
            std::string fresh(static_cast<std::size_t>(size), '\0');
            bench::readFile(log, fresh.data(), fresh.size());
        });
        std::size_t found = 0;
        const auto fresh = bench::timings(runs, [&] {
            logfile::LogIndex index;
            index.load(log);
            found = index.size();
        });
        logfile::LogIndex index;
        index.load(log);
        const auto reload = bench::timings(runs, [&] { index.load(log); });
        if (found != static_cast<std::size_t>(rows) || index.size() != found)
            return 1;
        const std::string what = std::to_string(rows) + " rows (" + std::to_string(size / 1000000) + " MB)";
        bench::report(("index, fresh memory vs read() reused buffer, " + what).c_str(), fresh, reusedFloor, 3.0);
        bench::report(("index, fresh memory vs read() fresh memory, " + what).c_str(), fresh, freshFloor, 1.5);
        bench::report(("index again vs read() reused buffer, " + what).c_str(), reload, reusedFloor, 3.0);
        std::remove(log.c_str());
    }

    // Appending: one open-lock-write-close each, against raw calls writing the same bytes.
    const std::string row = bench::makeRow(7);
    const std::string log = dir + "/append.csv";
    const std::string raw = dir + "/raw.csv";
    bench::writeLog(log, 1);
    std::vector<double> ours, floor;
    for (int i = 0; i < 20000; ++i) {
        double t = bench::nowMs();
        const int fd = ::open(raw.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (::write(fd, row.data(), row.size()) != static_cast<ssize_t>(row.size()))
            return 1;
        ::close(fd);
        floor.push_back((bench::nowMs() - t) * 1000);
        t = bench::nowMs();
        if (logfile::appendRow(log, row, logfile::Sync::No).result != logfile::AppendOutcome::Result::Done)
            return 1;
        ours.push_back((bench::nowMs() - t) * 1000);
    }
    bench::report("append one row (locked, end checked) vs open/write/close", ours, floor, 3.0, "us");
    std::remove(log.c_str());
    std::remove(raw.c_str());
    ::rmdir(dir.c_str());
    return 0;
}
