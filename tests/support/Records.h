#pragma once
// Log file contents as records, for checking what was written.

#include "logformat.h"

#include <string_view>
#include <vector>

inline std::vector<logformat::Record> parseRecords(std::string_view bytes, logformat::ParseStatus *last = nullptr) {
    std::vector<logformat::Record> out;
    std::size_t pos = 0;
    logformat::RecordView view;
    for (;;) {
        const logformat::ParseStatus status = logformat::parseRecord(bytes, pos, true, view);
        if (status != logformat::ParseStatus::Parsed) {
            if (last)
                *last = status;
            return out;
        }
        logformat::Record r;
        for (std::size_t i = 0; i < logformat::kFieldCount; ++i)
            r[i] = logformat::toField(view[i]);
        out.push_back(std::move(r));
    }
}
