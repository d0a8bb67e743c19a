#pragma once
// Small helpers shared by the benchmark programs: timing and summaries.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

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

template <typename F>
double medianOfRuns(int runs, F &&f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        f();
        t.push_back(nowMs() - start);
    }
    return median(t);
}

inline void report(const char *what, double value, double floor, double aim, const char *unit = "ms") {
    std::printf("%-58s %10.3f %s   floor %10.3f %s   ratio %5.2fx (aim <= %.2fx) %s\n", what, value, unit, floor,
                unit, value / floor, aim, value / floor <= aim ? "ok" : "OVER");
}

}  // namespace bench
