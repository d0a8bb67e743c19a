// Log file benchmarks, in one process: indexing a long log for the comment list against read()ing
// the same file, from the page cache (into a reused buffer and into fresh memory) and from the
// disk (the file dropped from the page cache before every run of either); appending rows one at
// a time against raw open/write/close of the same bytes. Floor and figure runs take turns.
// Arguments: [runs] (default 7).

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
        const std::string what = std::to_string(rows) + " rows (" + std::to_string(size / 1000000) + " MB)";
        std::size_t found = 0;
        const auto indexFresh = [&] {
            logfile::LogIndex index;
            index.load(log);
            found = index.size();
        };
        // The buffer reused is as large as the index's own chunk.
        const bench::ReadBuffer reused(256 * 1024);
        const auto readReused = [&] { bench::readFile(log, reused); };

        bench::readFile(log, reused);  // the page cache warm for every cached run
        logfile::LogIndex again;
        again.load(log);
        const auto time = [](auto &&work) { return bench::timings(1, work)[0]; };
        bench::Paired fresh, freshFloor, reload;  // floor, program, floor, program ...
        for (int i = 0; i < runs; ++i) {
            fresh.floor.push_back(time(readReused));
            fresh.figure.push_back(time(indexFresh));
            freshFloor.floor.push_back(time([&] {
                const bench::ReadBuffer memory(static_cast<std::size_t>(size));
                bench::readFile(log, memory);
            }));
            reload.figure.push_back(time([&] { again.load(log); }));
        }
        freshFloor.figure = fresh.figure;
        reload.floor = fresh.floor;
        if (found != static_cast<std::size_t>(rows) || again.size() != found)
            return 1;
        bench::report(("index, fresh memory vs read() reused buffer, cached, " + what).c_str(), fresh, 3.0);
        bench::report(("index, fresh memory vs read() fresh memory, cached, " + what).c_str(), freshFloor, 1.5);
        bench::report(("index again vs read() reused buffer, cached, " + what).c_str(), reload, 3.0);

        const bench::Paired uncached =
            bench::interleaved(runs, readReused, indexFresh, [&] { bench::dropFromCache(log); });
        if (found != static_cast<std::size_t>(rows))
            return 1;
        bench::report(("index, fresh memory vs read() reused buffer, uncached, " + what).c_str(), uncached, 1.5);
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
