#pragma once
// Small helpers shared by the benchmark programs: timing, summaries and the one report line that
// sets a figure against its floor (the same work done the simplest way, in the same run).

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

// Memory for a floor to read into, on a page boundary: the kernel copies a cached file up to five
// times slower into memory that begins a few bytes past one, as malloc's large blocks do, which
// would flatter every figure set against it. Fresh from the system, untouched, when first used.
class ReadBuffer {
public:
    explicit ReadBuffer(std::size_t size)
        : size_(size), data_(static_cast<char *>(std::aligned_alloc(4096, (size + 4095) / 4096 * 4096))) {}
    ~ReadBuffer() { std::free(data_); }
    ReadBuffer(const ReadBuffer &) = delete;
    ReadBuffer &operator=(const ReadBuffer &) = delete;
    char *data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    char *data_;
};

// The floor of every reading figure: read() of the whole file through `buffer` (round and round
// when it is smaller than the file); the bytes read.
inline long long readFile(const std::string &path, char *buffer, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    long long total = 0;
    for (ssize_t n;;) {
        const auto at = static_cast<std::size_t>(total % static_cast<long long>(size));
        if ((n = ::read(fd, buffer + at, size - at)) <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

inline long long readFile(const std::string &path, const ReadBuffer &buffer) {
    return readFile(path, buffer.data(), buffer.size());
}

// Makes the next read of the file come from the disk: its pages are written and dropped from the
// page cache.
inline void dropFromCache(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

inline double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}
inline double median(std::vector<double> v) { return percentile(std::move(v), 50); }
inline double minimum(const std::vector<double> &v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// Times `f` once per run; `setup` (untimed) runs before each.
template <typename F, typename S>
std::vector<double> timings(int runs, F &&f, S &&setup) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        setup();
        const double start = nowMs();
        f();
        t.push_back(nowMs() - start);
    }
    return t;
}
template <typename F>
std::vector<double> timings(int runs, F &&f) {
    return timings(runs, std::forward<F>(f), [] {});
}

// The floor and the figure timed by turns, floor first, so that both meet the machine as it is at
// the time; `before` (untimed) runs before each of them.
struct Paired {
    std::vector<double> floor, figure;
};
template <typename Floor, typename Figure, typename Before>
Paired interleaved(int runs, Floor &&floor, Figure &&figure, Before &&before) {
    Paired out;
    for (int i = 0; i < runs; ++i) {
        out.floor.push_back(timings(1, floor, before)[0]);
        out.figure.push_back(timings(1, figure, before)[0]);
    }
    return out;
}
template <typename Floor, typename Figure>
Paired interleaved(int runs, Floor &&floor, Figure &&figure) {
    return interleaved(runs, std::forward<Floor>(floor), std::forward<Figure>(figure), [] {});
}

inline void header() {
    std::printf("%-72s %21s   %21s   %13s\n", "", "figure min / median", "floor min / median", "ratio (median)");
}

// Figure and floor, min and median, and the ratio of the medians against the aim.
inline void report(const char *what, const std::vector<double> &figure, const std::vector<double> &floor, double aim,
                   const char *unit = "ms") {
    const double ratio = median(figure) / median(floor);
    std::printf("%-72s %9.3f / %9.3f   %9.3f / %9.3f   %5.2fx (min %5.2fx) aim <= %.2fx %s  [%s, %zu runs]\n", what,
                minimum(figure), median(figure), minimum(floor), median(floor), ratio, minimum(figure) / minimum(floor),
                aim, ratio <= aim ? "ok" : "OVER", unit, figure.size());
}

inline void report(const char *what, const Paired &runs, double aim, const char *unit = "ms") {
    report(what, runs.figure, runs.floor, aim, unit);
}

}  // namespace bench
