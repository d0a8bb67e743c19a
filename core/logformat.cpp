#include "core/logformat.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace logformat {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isSeparator(char c) { return c == ',' || isLineEnd(c); }

// Most numbers in a log are small whole numbers: read those directly.
inline bool parseWholeNumber(std::string_view token, double &value) {
    std::size_t i = token[0] == '-' ? 1 : 0;
    if (i == token.size() || token.size() - i > 15)
        return false;
    long long n = 0;
    for (; i < token.size(); ++i) {
        const unsigned digit = static_cast<unsigned char>(token[i]) - '0';
        if (digit > 9)
            return false;
        n = n * 10 + digit;
    }
    value = token[0] == '-' ? -static_cast<double>(n) : static_cast<double>(n);
    return true;
}

// A bare field is a number when it is one in full: an optional sign, digits with an optional
// fraction and exponent. Anything else that is not empty is text.
bool parseOtherNumber(std::string_view token, double &value) {
    const char *first = token.data();
    const char *last = first + token.size();
    if (first != last && *first == '+')
        ++first;
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '-' ||
                           *first == '.'))
        return false;  // also keeps out "inf", "nan" and hexadecimal forms
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    return ec == std::errc() && end == last && std::isfinite(value);
}

// Whole numbers, nearly all a log holds, read inline; any other by the general rules.
inline bool parseNumber(std::string_view token, double &value) {
    return parseWholeNumber(token, value) || parseOtherNumber(token, value);
}

// A field that does not begin with a double quote: the bytes up to its separator, blanks before
// and after left out; a number when it reads as one in full, no value when empty, text otherwise.
// Written in place: returned, it would go through memory the caller reads back at once.
void bareField(const char *p, const char *end, FieldView &field) {
    while (p < end && isBlank(*p))
        ++p;
    while (end > p && isBlank(end[-1]))
        --end;
    const std::string_view token(p, static_cast<std::size_t>(end - p));
    double value = 0;
    if (token.empty())
        field = {Kind::None, 0, token};
    else if (parseNumber(token, value))
        field = {Kind::Number, value, token};
    else
        field = {Kind::Text, 0, token};
}

void appendText(std::string &out, std::string_view text) {
    out.push_back('"');
    const std::size_t start = out.size();
    out.append(text);
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == '"')
            out[i] = '\'';
    out.push_back('"');
}

void appendNumber(std::string &out, double value) {
    char buf[400];
    if (value == 0)
        value = 0;  // no "-0"
    std::to_chars_result result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, result.ptr);
}

}  // namespace

namespace {

struct SpanParse {
    std::size_t count = 0;  // fields found, counting no further than one past a whole record
    bool whole = false;     // exactly 19 fields, the last ending where the span ends
    bool open = false;      // it ends inside a text whose closing quote has not come
};

// Parses the fields of one span of lines (its last line end included), as the reader rules say:
// a comma or a line end ends a field, blanks before a field are skipped, a field that begins with
// a double quote is text up to the next double quote (line ends included) and whatever follows
// it up to the next separator is skipped; any other field runs to the next separator without
// trailing blanks. Fields past the 19th are counted but not kept.
SpanParse parseSpan(const char *p, const char *const end, RecordView *out) {
    SpanParse result;
    for (;;) {
        while (p < end && isBlank(*p))
            ++p;
        FieldView field;
        if (p < end && *p == '"') {
            const char *text = p + 1;
            const auto *close = static_cast<const char *>(std::memchr(text, '"', static_cast<std::size_t>(end - text)));
            if (close == nullptr) {
                // Cut short inside a text: keep what the line holds of it.
                const char *stop = text;
                while (stop < end && !isLineEnd(*stop))
                    ++stop;
                if (out && result.count < kFieldCount)
                    (*out)[result.count] = {Kind::Text, 0, std::string_view(text, static_cast<std::size_t>(stop - text))};
                ++result.count;
                result.open = true;
                return result;
            }
            field = {Kind::Text, 0, std::string_view(text, static_cast<std::size_t>(close - text))};
            p = close + 1;
            while (p < end && !isSeparator(*p))
                ++p;
        } else {
            const char *start = p;
            while (p < end && !isSeparator(*p))
                ++p;
            bareField(start, p, field);
        }
        if (out && result.count < kFieldCount)
            (*out)[result.count] = field;
        if (++result.count > kFieldCount)
            return result;  // too many: no need to look further
        if (p == end) {
            result.whole = result.count == kFieldCount;
            return result;
        }
        if (*p++ == '\r' && p < end && *p == '\n')
            ++p;
        if (p == end && p[-1] != ',') {
            result.whole = result.count == kFieldCount;
            return result;
        }
    }
}

// Where the line that starts at `p` ends (its line end) and where the next one starts. False when
// the buffer ends first and more input must decide (also right after a CR, which a LF may follow).
bool findLine(const char *p, const char *end, bool atEnd, const char *&lineEnd, const char *&next) {
    const char *q = p;
    while (q < end && !isLineEnd(*q)) {
        const auto *lf = static_cast<const char *>(std::memchr(q, '\n', static_cast<std::size_t>(end - q)));
        const char *stop = lf ? lf : end;
        const auto *cr = static_cast<const char *>(std::memchr(q, '\r', static_cast<std::size_t>(stop - q)));
        q = cr ? cr : stop;
    }
    lineEnd = q;
    if (q == end) {
        next = end;
        return atEnd;
    }
    if (*q == '\r') {
        if (q + 1 == end && !atEnd)
            return false;
        next = q + 1 < end && q[1] == '\n' ? q + 2 : q + 1;
        return true;
    }
    next = q + 1;
    return true;
}

bool isBlankLine(const char *p, const char *lineEnd) {
    for (; p < lineEnd; ++p)
        if (!isBlank(*p))
            return false;
    return true;
}

void clearFrom(RecordView &fields, std::size_t count) {
    for (std::size_t i = count; i < kFieldCount; ++i)
        fields[i] = {};
}

}  // namespace

ScanStatus scanRecord(std::string_view buf, std::size_t pos, bool atEnd, RecordSpan &span, RecordView &fields) {
    const char *const begin = buf.data();
    const char *const end = begin + buf.size();
    const char *p = begin + pos;
    const char *lineEnd = nullptr;
    const char *next = nullptr;
    for (;;) {  // blank lines are no records
        if (p == end)
            return atEnd ? ScanStatus::End : ScanStatus::NeedMore;
        if (!findLine(p, end, atEnd, lineEnd, next))
            return ScanStatus::NeedMore;
        if (!isBlankLine(p, lineEnd))
            break;
        if (lineEnd == end)
            return ScanStatus::End;
        p = next;
    }
    span.begin = static_cast<std::size_t>(p - begin);
    span.end = static_cast<std::size_t>(next - begin);
    const SpanParse alone = parseSpan(p, next, &fields);
    clearFrom(fields, alone.count);
    if (alone.whole) {
        span.shape = Shape::Whole;
        return ScanStatus::Found;
    }
    span.shape = Shape::Damaged;
    if (alone.count > kFieldCount)
        return ScanStatus::Found;
    // Fewer fields, or a text still open at the line end: the record may go on on the next line,
    // unless that line is a record of its own; past two lines only while a text in quotes stays
    // open, which leaves no doubt where the record goes on.
    RecordView joined;
    const char *joinEnd = next;
    bool open = alone.open;
    for (int lines = 1; lines < kMostLinesOfARecord; ++lines) {
        if (joinEnd == end)
            return atEnd ? ScanStatus::Found : ScanStatus::NeedMore;
        const char *lineEnd2 = nullptr;
        const char *next2 = nullptr;
        if (!findLine(joinEnd, end, atEnd, lineEnd2, next2))
            return ScanStatus::NeedMore;
        // A blank line is part of a text left open, and ends anything else.
        if ((isBlankLine(joinEnd, lineEnd2) && !open) || parseSpan(joinEnd, next2, nullptr).whole)
            return ScanStatus::Found;
        const SpanParse both = parseSpan(p, next2, &joined);
        open = both.open;
        if (both.whole) {
            fields = joined;
            span.shape = Shape::Joined;
            span.end = static_cast<std::size_t>(next2 - begin);
            return ScanStatus::Found;
        }
        if (!both.open)
            return ScanStatus::Found;
        joinEnd = next2;
    }
    return ScanStatus::Found;
}

void parseFields(std::string_view bytes, Shape shape, RecordView &fields) {
    if (shape == Shape::Joined) {
        // Its lines are found again as they were: the record's own lines decide.
        RecordSpan span;
        if (scanRecord(bytes, 0, true, span, fields) != ScanStatus::Found)
            fields = {};
        return;
    }
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    const char *lineEnd = nullptr;
    const char *next = nullptr;
    findLine(p, end, true, lineEnd, next);
    clearFrom(fields, parseSpan(p, next, &fields).count);
}

void parseFields(std::string_view bytes, const ScannedRecord &record, RecordView &fields, FieldSet wanted) {
    if (!record.cut) {
        parseFields(bytes, record.span.shape, fields);
        return;
    }
    // A plainly whole row: from separator to separator, each field is a text in quotes, or bare.
    const char *const line = bytes.data();
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const std::size_t from = i == 0 ? 0 : record.separators[i - 1] + std::size_t(1);
        const std::size_t to = record.separators[i];
        if ((wanted >> i & 1) == 0)
            fields[i] = {};
        else if (line[from] == '"')
            fields[i] = {Kind::Text, 0, std::string_view(line + from + 1, to - from - 2)};
        else
            bareField(line + from, line + to, fields[i]);
    }
}

bool isWholeRecord(std::string_view line) {
    return parseSpan(line.data(), line.data() + line.size(), nullptr).whole;
}

std::string formatNumber(double value) {
    std::string out;
    appendNumber(out, value);
    return out;
}

Field toField(const FieldView &view) {
    switch (view.kind) {
    case Kind::Number:
        return Field::num(view.number);
    case Kind::Text:
        return Field::txt(std::string(view.text));
    case Kind::None:
        break;
    }
    return Field::none();
}

void appendFields(std::string &out, std::span<const Field> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        const Field &field = fields[i];
        if (field.kind == Kind::Text)
            appendText(out, field.text);
        else if (field.kind == Kind::Number)
            appendNumber(out, field.number);
    }
    out.append(kRowEnd);
}

void appendRow(std::string &out, const Record &record) { appendFields(out, record); }

std::string encodeRow(const Record &record) {
    std::string out;
    out.reserve(160);
    appendRow(out, record);
    return out;
}

void appendDisplayLine(std::string &out, const RecordView &record) {
    const auto piece = [&out](const FieldView &field) {
        if (field.kind == Kind::Number)
            appendNumber(out, field.number);
        else
            out.append(field.text);  // a field without a value has empty text
    };
    piece(record[Participant]);
    out.append(kDisplaySeparator);
    piece(record[Scenario]);
    out.append(kDisplaySeparator);
    piece(record[ScenarioTime]);
    out.append(kDisplaySeparator);
    piece(record[Comment]);
}

std::string displayLine(std::string_view participant, std::string_view scenario,
                        std::string_view scenarioTime, std::string_view comment) {
    std::string out;
    out.reserve(participant.size() + scenario.size() + scenarioTime.size() + comment.size() +
                3 * kDisplaySeparator.size());
    for (const std::string_view piece : {participant, kDisplaySeparator, scenario, kDisplaySeparator,
                                         scenarioTime, kDisplaySeparator, comment})
        out.append(piece);
    return out;
}

Marker markerOf(std::string_view c) {
    constexpr std::string_view kEdge = "***";
    constexpr std::string_view kTimer = " SCENARIO TIMER - ";
    if (c.size() < 2 * kEdge.size() + kTimer.size() + 4 || !c.starts_with(kEdge) || !c.ends_with(kEdge))
        return Marker::None;
    c.remove_prefix(kEdge.size());
    static constexpr std::pair<std::string_view, Marker> kKinds[] = {
        {"START", Marker::Start}, {"RESUME", Marker::Resume}, {"PAUSE", Marker::Pause}, {"STOP", Marker::Stop}};
    for (const auto &[word, marker] : kKinds)
        if (c.starts_with(word) && c.substr(word.size()).starts_with(kTimer) &&
            c.size() >= word.size() + kTimer.size() + kEdge.size())
            return marker;
    return Marker::None;
}

std::string cleanComment(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        if (c == '"')
            c = '\'';
    return out;
}

std::string cleanCaption(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            continue;
        out.push_back(c == '"' ? '\'' : c);
    }
    return out;
}

}  // namespace logformat
