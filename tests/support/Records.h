#pragma once
// Log file contents as records, for checking what was written.

#include "logformat.h"

#include <string_view>
#include <vector>

// Every record, damaged ones included; `shapes` receives how each stands in the lines.
inline std::vector<logformat::Record> parseRecords(std::string_view bytes,
                                                   std::vector<logformat::Shape> *shapes = nullptr) {
    std::vector<logformat::Record> out;
    std::size_t pos = 0;
    logformat::RecordSpan span;
    logformat::RecordView view;
    while (logformat::scanRecord(bytes, pos, true, span, view) == logformat::ScanStatus::Found) {
        logformat::Record r;
        for (std::size_t i = 0; i < logformat::kFieldCount; ++i)
            r[i] = logformat::toField(view[i]);
        out.push_back(std::move(r));
        if (shapes)
            shapes->push_back(span.shape);
        pos = span.end;
    }
    return out;
}
