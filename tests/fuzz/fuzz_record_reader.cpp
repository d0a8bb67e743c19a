// libFuzzer target for the record reader. Besides not crashing, it checks that the block scanner
// finds exactly the records the one-by-one reader finds, with the same shapes and the same fields,
// with the widest vector instructions and with the baseline ones, for a whole buffer and for input
// arriving in pieces (as from a file, one buffer at a time); that a record's fields read again from
// its own bytes are the same; and that the writer and the reader agree on every whole record. The
// first two bytes of an input choose the piece size and the batch size.

#include "core/logformat.h"

#include <algorithm>
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
    std::size_t end;  // 0 where only the start is told
    Shape shape;
    Record fields;
    bool operator==(const Found &) const = default;
};

std::vector<Found> startsOnly(std::vector<Found> found) {
    for (Found &f : found) {
        f.end = 0;
        f.fields = {};
    }
    return found;
}

// Feeds `input` to `scan(window, pos, atEnd, out)` a piece at a time, as a reader of a file does:
// what is left unfinished is offered again with the next piece behind it. Offsets in `out` are
// made offsets into `input`.
template <typename Scan>
std::vector<Found> inPieces(std::string_view input, std::size_t piece, Scan &&scan) {
    std::vector<Found> all;
    std::size_t start = 0;
    std::size_t available = std::min(piece, input.size());
    for (;;) {
        std::vector<Found> part;
        std::size_t p = 0;
        const bool atEnd = start + available == input.size();
        const ScanStatus status = scan(input.substr(start, available), p, atEnd, part);
        for (Found &f : part) {
            f.begin += start;
            f.end += f.end ? start : 0;
            all.push_back(f);
        }
        if (status == ScanStatus::End)
            return all;
        check(p <= available && (status == ScanStatus::Found || !atEnd));
        start += p;
        available = std::min(available - p + piece, input.size() - start);
    }
}

// The block scanner, `room` records at a time; `take` gets each.
template <typename Record, typename Take>
ScanStatus scanBatch(std::string_view window, std::size_t &pos, bool atEnd, std::size_t room, Take &&take) {
    std::vector<Record> batch(room);
    std::size_t count = 0;
    const ScanStatus status = scanRecords(window, pos, atEnd, batch, count);
    check(count <= room && (status != ScanStatus::Found || count == room));
    for (std::size_t i = 0; i < count; ++i)
        take(batch[i]);
    return status;
}

ScanStatus scanStarts(std::string_view window, std::size_t &pos, bool atEnd, std::vector<Found> &out,
                      std::size_t room) {
    return scanBatch<RecordStart>(window, pos, atEnd, room,
                                  [&](const RecordStart &r) { out.push_back({r.begin, 0, r.shape, {}}); });
}

// The records with their fields.
ScanStatus scanFields(std::string_view window, std::size_t &pos, bool atEnd, std::vector<Found> &out,
                      std::size_t room) {
    return scanBatch<ScannedRecord>(window, pos, atEnd, room, [&](const ScannedRecord &r) {
        check(r.span.begin < r.span.end && r.span.end <= pos);
        RecordView view;
        const std::string_view bytes = window.substr(r.span.begin, r.span.end - r.span.begin);
        parseFields(bytes, r, view);
        out.push_back({r.span.begin, r.span.end, r.span.shape, own(view)});
        // A reader that wants some fields gets those alike; of a cut row, the others without a value.
        const FieldSet wanted = kAllFields & (0x2b6d5u >> (pos % 5));
        RecordView some;
        parseFields(bytes, r, some, wanted);
        for (std::size_t k = 0; k < kFieldCount; ++k)
            check(toField(some[k]) == ((wanted >> k & 1) || !r.cut ? toField(view[k]) : Field::none()));
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first bytes choose the piece size for the piecewise reading and the batch size.
    const std::size_t piece = 1 + data[0] % 97;
    const std::size_t room = 1 + data[1] % 7;
    const std::string_view input(reinterpret_cast<const char *>(data) + 2, size - 2);

    // One by one, by the full rules.
    std::vector<Found> slow;
    std::size_t pos = 0;
    for (;;) {
        RecordSpan span;
        RecordView view;
        const ScanStatus status = scanRecord(input, pos, true, span, view);
        check(status != ScanStatus::NeedMore);
        if (status == ScanStatus::End)
            break;
        check(span.begin >= pos && span.end > span.begin && span.end <= input.size());
        slow.push_back({span.begin, span.end, span.shape, own(view)});
        RecordView again;
        parseFields(input.substr(span.begin), span.shape, again);
        check(own(again) == slow.back().fields);
        pos = span.end;
    }

    // The block scanner, all at once and in pieces, with each set of instructions.
    for (const bool baseline : {false, true}) {
        useBaselineVectors(baseline);
        const auto starts = [room](std::string_view window, std::size_t &at, bool atEnd, std::vector<Found> &out) {
            return scanStarts(window, at, atEnd, out, room);
        };
        const auto withFields = [room](std::string_view window, std::size_t &at, bool atEnd, std::vector<Found> &out) {
            return scanFields(window, at, atEnd, out, room);
        };
        check(inPieces(input, input.size() + 1, starts) == startsOnly(slow));
        check(inPieces(input, piece, starts) == startsOnly(slow));
        check(inPieces(input, input.size() + 1, withFields) == slow);
        check(inPieces(input, piece, withFields) == slow);
    }
    useBaselineVectors(false);

    // Writer and reader agree on every record of one line.
    for (const Found &found : slow) {
        if (found.shape != Shape::Whole)
            continue;
        const Record &r = found.fields;
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
