#pragma once
// A generated log like a long session's: rows of about 150 bytes.

#include "core/logformat.h"

#include <cstdio>
#include <string>

namespace bench {

inline std::string makeRow(int i) {
    using namespace logformat;
    Record r;
    r[Date] = Field::txt("12/05/2026");
    r[PCTime] = Field::txt("02:15:07 PM");
    r[VCRTime] = Field::txt("00:12:34");
    r[VCRSeconds] = Field::num(754 + i % 1000);
    r[ScenarioTime] = Field::txt("00:03:10");
    r[ScenarioSeconds] = Field::num(190 + i % 500);
    r[Participant] = Field::txt("P" + std::to_string(i % 12));
    r[Scenario] = Field::txt("Checkout");
    r[Comment] = Field::txt("Hesitates at the coupon field, scrolls " + std::to_string(i));
    for (std::size_t k = FirstEventColumn; k < kFieldCount; ++k)
        r[k] = Field::txt("");
    return encodeRow(r);
}

// Writes `rows` rows to `path`; returns the file's size.
inline long long writeLog(const std::string &path, int rows) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    long long size = 0;
    std::string chunk;
    for (int i = 0; i < rows; ++i) {
        chunk += makeRow(i);
        if (chunk.size() > (1 << 20) || i == rows - 1) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            size += static_cast<long long>(chunk.size());
            chunk.clear();
        }
    }
    std::fclose(f);
    return size;
}

}  // namespace bench
