// libFuzzer target for the record reader. Besides not crashing, it checks that the fast scan of a
// whole buffer finds exactly the records the one-by-one scan finds, also when the input arrives
// in pieces (as from a file, one buffer at a time); that a record's fields read again from its own
// bytes are the same; and that the writer and the reader agree on every whole record.

#include "core/logformat.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace logformat;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

Record own(const RecordView &view) {
    Record r;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        r[i] = toField(view[i]);
    return r;
}

struct Found {
    std::size_t begin;
    Shape shape;
    bool operator==(const Found &) const = default;
};

void collect(void *context, std::size_t begin, Shape shape) {
    static_cast<std::vector<Found> *>(context)->push_back({begin, shape});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the piece size for the piecewise reading.
    const std::size_t piece = 1 + data[0] % 97;
    const std::string_view input(reinterpret_cast<const char *>(data) + 1, size - 1);

    // One by one, by the full rules.
    std::vector<Found> slow;
    std::vector<Record> records;
    std::size_t pos = 0;
    for (;;) {
        RecordSpan span;
        RecordView view;
        const ScanStatus status = scanRecord(input, pos, true, span, view);
        check(status != ScanStatus::NeedMore);
        if (status == ScanStatus::End)
            break;
        check(span.begin >= pos && span.end > span.begin && span.end <= input.size());
        slow.push_back({span.begin, span.shape});
        records.push_back(own(view));
        RecordView again;
        parseFields(input.substr(span.begin), span.shape, again);
        check(own(again) == records.back());
        pos = span.end;
    }

    // All at once, and in pieces.
    std::vector<Found> fast;
    pos = 0;
    check(scanRecords(input, pos, true, collect, &fast) == ScanStatus::End);
    check(fast == slow);
    std::vector<Found> pieces;
    std::size_t start = 0;
    std::size_t available = std::min(piece, input.size());
    for (;;) {
        std::vector<Found> part;
        std::size_t p = 0;
        const bool atEnd = start + available == input.size();
        const ScanStatus status = scanRecords(input.substr(start, available), p, atEnd, collect, &part);
        for (const Found &f : part)
            pieces.push_back({start + f.begin, f.shape});
        if (status == ScanStatus::End)
            break;
        check(status == ScanStatus::NeedMore && !atEnd);
        start += p;
        available = std::min(available - p + piece, input.size() - start);
    }
    check(pieces == slow);

    // Writer and reader agree on every record of one line.
    for (std::size_t i = 0; i < slow.size(); ++i) {
        if (slow[i].shape != Shape::Whole)
            continue;
        const Record &r = records[i];
        const std::string row = encodeRow(r);
        RecordSpan span;
        RecordView back;
        check(scanRecord(row, 0, true, span, back) == ScanStatus::Found);
        check(span.end == row.size() && span.shape == Shape::Whole);
        for (std::size_t k = 0; k < kFieldCount; ++k) {
            std::string expected = r[k].text;
            for (char &c : expected)
                if (c == '"')
                    c = '\'';
            check(back[k].kind == r[k].kind && (back[k].kind != Kind::Text || back[k].text == expected));
        }
        check(encodeRow(own(back)) == row);
    }
    return 0;
}
