#include "logformat.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace logformat {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isSeparator(char c) { return c == ',' || isLineEnd(c); }

// Finds closing quotes through a bitmap of the quotes in the 64 bytes around the search, so
// the many short fields of a row cost a shift and a bit scan each instead of a scan loop.
class QuoteFinder {
public:
    explicit QuoteFinder(const char *end) : end_(end) {}

    const char *next(const char *p) {
        for (;;) {
            if (p >= base_ && p < base_ + 64) {
                if (const std::uint64_t m = mask_ >> (p - base_))
                    return p + __builtin_ctzll(m);
                p = base_ + 64;
            }
            if (p >= end_)
                return nullptr;
            load(p);
        }
    }

private:
    void load(const char *p) {
        base_ = p;
        mask_ = 0;
#if defined(__SSE2__)
        if (end_ - p >= 64) {
            const __m128i quote = _mm_set1_epi8('"');
            for (int k = 0; k < 4; ++k) {
                const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
                const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, quote)));
                mask_ |= static_cast<std::uint64_t>(bits) << (16 * k);
            }
            return;
        }
#endif
        const std::ptrdiff_t n = std::min<std::ptrdiff_t>(64, end_ - p);
        for (std::ptrdiff_t k = 0; k < n; ++k)
            if (p[k] == '"')
                mask_ |= std::uint64_t(1) << k;
    }

    const char *end_;
    const char *base_ = nullptr;
    std::uint64_t mask_ = 0;
};

// Most numbers in a log are small whole numbers: read those directly.
bool parseWholeNumber(std::string_view token, double &value) {
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
bool parseNumber(std::string_view token, double &value) {
    if (parseWholeNumber(token, value))
        return true;
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

ParseStatus parseRecord(std::string_view buf, std::size_t &pos, bool atEnd, RecordView &out) {
    const char *const begin = buf.data();
    const char *const end = begin + buf.size();
    const char *p = begin + pos;
    {
        const char *q = p;
        while (q < end && (isBlank(*q) || isLineEnd(*q)))
            ++q;
        if (q == end)
            return atEnd ? ParseStatus::End : ParseStatus::NeedMore;
    }
    const ParseStatus shortOfInput = atEnd ? ParseStatus::Truncated : ParseStatus::NeedMore;
    QuoteFinder quotes(end);

    // Consumes the separator at `p` (a comma, CR LF, a lone CR or LF), or notes the end of input.
    // False when more input must decide: the buffer ends first, or ends right after a CR.
    const auto separate = [&]() {
        if (p == end)
            return atEnd;
        if (*p++ == '\r') {
            if (p == end)
                return atEnd;
            if (*p == '\n')
                ++p;
        }
        return true;
    };

    for (FieldView &field : out) {
        while (p < end && isBlank(*p))
            ++p;
        if (p == end)
            return shortOfInput;
        if (*p == '"') {
            const char *text = p + 1;
            const char *close = text < end && *text == '"' ? text : quotes.next(text);
            if (close == nullptr)
                return shortOfInput;
            field = {Kind::Text, 0, std::string_view(text, static_cast<std::size_t>(close - text))};
            p = close + 1;
            if (p < end && *p == ',') {  // the usual case
                ++p;
                continue;
            }
            while (p < end && !isSeparator(*p))
                ++p;
            if (!separate())
                return ParseStatus::NeedMore;
        } else {
            const char *start = p;
            while (p < end && !isSeparator(*p))
                ++p;
            const char *stop = p;
            while (stop > start && isBlank(stop[-1]))
                --stop;
            if (!separate())
                return ParseStatus::NeedMore;
            const std::string_view token(start, static_cast<std::size_t>(stop - start));
            double value = 0;
            if (token.empty())
                field = {Kind::None, 0, token};
            else if (parseNumber(token, value))
                field = {Kind::Number, value, token};
            else
                field = {Kind::Text, 0, token};
        }
    }
    pos = static_cast<std::size_t>(p - begin);
    return ParseStatus::Parsed;
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

void appendRow(std::string &out, const Record &record) {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        if (i > 0)
            out.push_back(',');
        const Field &field = record[i];
        if (field.kind == Kind::Text)
            appendText(out, field.text);
        else if (field.kind == Kind::Number)
            appendNumber(out, field.number);
    }
    out.append(kRowEnd);
}

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
