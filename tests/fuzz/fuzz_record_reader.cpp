// libFuzzer target for the record reader. Besides not crashing, it checks that the writer and
// the reader agree on every record the reader accepts, and that reading in pieces (as from a
// file, one buffer at a time) gives exactly what reading all at once gives.

#include "logformat.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace logformat;

namespace {

Record own(const RecordView &view) {
    Record r;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        r[i] = toField(view[i]);
    return r;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the piece size for the piecewise reading.
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view input(reinterpret_cast<const char *>(data) + 1, size - 1);

    std::vector<Record> whole;
    ParseStatus wholeEnd{};
    std::size_t pos = 0;
    RecordView view;
    for (;;) {
        wholeEnd = parseRecord(input, pos, true, view);
        if (wholeEnd != ParseStatus::Parsed)
            break;
        check(pos <= input.size());
        whole.push_back(own(view));
    }
    check(wholeEnd == ParseStatus::End || wholeEnd == ParseStatus::Truncated);

    for (const Record &r : whole) {
        const std::string row = encodeRow(r);
        std::size_t p = 0;
        RecordView again;
        check(parseRecord(row, p, true, again) == ParseStatus::Parsed && p == row.size());
        const Record back = own(again);
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            std::string expected = r[i].text;
            for (char &c : expected)
                if (c == '"')
                    c = '\'';
            check(back[i].kind == r[i].kind && back[i].number == r[i].number && back[i].text == expected);
        }
        check(encodeRow(back) == row);
    }

    // Piecewise: the window grows one piece at a time whenever the parser asks for more.
    std::size_t start = 0;
    std::size_t available = std::min(piece, input.size());
    std::size_t count = 0;
    for (;;) {
        std::size_t p = 0;
        const bool atEnd = start + available == input.size();
        const ParseStatus st = parseRecord(input.substr(start, available), p, atEnd, view);
        if (st == ParseStatus::NeedMore) {
            check(!atEnd);
            available = std::min(available + piece, input.size() - start);
            continue;
        }
        if (st != ParseStatus::Parsed) {
            check(st == wholeEnd && count == whole.size());
            break;
        }
        check(count < whole.size() && own(view) == whole[count]);
        ++count;
        start += p;
        available = std::min(piece, input.size() - start);
    }
    return 0;
}
