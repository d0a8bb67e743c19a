// The block scanner: finds the records of a log 64 bytes at a time. The rows this program writes
// are recognised as whole from bit masks of their quotes, commas and line ends; any other line is
// left to the full reader rules (scanRecord), one record at a time, after which the blocks start
// afresh at the next line.

#include "core/logformat.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace logformat {
namespace {

constexpr std::uint64_t kTopBit = std::uint64_t(1) << 63;

// Bit i stands for byte i of a block.
struct ByteMasks {
    std::uint64_t quote = 0, comma = 0, cr = 0, lf = 0;
};

// What a block tells its lines: where they end, their commas outside texts, and the bytes that
// keep a line from being plainly whole: a quote that opens a text anywhere but at a field's start
// or closes one anywhere but at its end, a CR that is not part of a CR LF, a line end inside a text.
struct BlockBits {
    std::uint64_t lineEnds = 0, commas = 0, bad = 0;
};

// What a block hands on to the next: all ones when a text is open at its end, and whether its
// last byte ends a field or a line. A line start outside any text is the state a scan starts in.
struct Carry {
    std::uint64_t inside = 0;
    bool afterSeparator = true;
};

// Bit i: an odd number of bits set in x[0..i].
inline std::uint64_t prefixXor(std::uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    return x ^ (x << 32);
}

// Counting the commas of a line needs no library call: the build targets processors without POPCNT.
inline unsigned bitCount(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555;
    x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0f;
    return static_cast<unsigned>((x * 0x0101010101010101) >> 56);
}

inline unsigned lowestBit(std::uint64_t x) { return static_cast<unsigned>(__builtin_ctzll(x)); }

// Bit 0: the byte ends a field; bit 1: it is a LF. Looked up rather than compared, so that the
// byte after a block costs no branch.
constexpr auto kSeparatorBits = [] {
    std::array<std::uint8_t, 256> bits{};
    bits[','] = bits['\r'] = 1;
    bits['\n'] = 3;
    return bits;
}();

// `quoteParity` is prefixXor(m.quote), `next` the byte after the block ('\0' past the end of the
// input). Quote parity runs on from block to block: the lines before have been whole, so each
// began outside a text.
inline BlockBits classify(const ByteMasks &m, std::uint64_t quoteParity, char next, Carry &carry) {
    const std::uint64_t nextBits = kSeparatorBits[static_cast<unsigned char>(next)];
    const std::uint64_t in = quoteParity ^ carry.inside;  // inside a text after each byte
    const std::uint64_t sepBefore = ((m.comma | m.lf) << 1) | (carry.afterSeparator ? 1 : 0);
    const std::uint64_t sepAfter = ((m.comma | m.cr | m.lf) >> 1) | (nextBits << 63);
    const std::uint64_t crEndsLine = (m.lf >> 1) | ((nextBits >> 1) << 63);
    BlockBits b;
    b.lineEnds = m.lf;
    b.commas = m.comma & ~in;
    b.bad = (m.quote & in & ~sepBefore) | (m.quote & ~in & ~sepAfter) | (m.cr & ~crEndsLine) | (m.lf & in);
    carry.inside = std::uint64_t(0) - (in >> 63);
    carry.afterSeparator = ((m.comma | m.lf) & kTopBit) != 0;
    return b;
}

// Each classifier reads the 64 bytes from `p` and the byte after them.
#if defined(__x86_64__)
inline BlockBits classifySse2(const char *p, Carry &carry) {
    const __m128i quote = _mm_set1_epi8('"'), comma = _mm_set1_epi8(','), cr = _mm_set1_epi8('\r'),
                  lf = _mm_set1_epi8('\n');
    ByteMasks m;
    for (int k = 0; k < 4; ++k) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
        const auto bits = [&](__m128i c) {
            return std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, c)))) << (16 * k);
        };
        m.quote |= bits(quote);
        m.comma |= bits(comma);
        m.cr |= bits(cr);
        m.lf |= bits(lf);
    }
    return classify(m, prefixXor(m.quote), p[64], carry);
}

__attribute__((target("avx2"))) inline std::uint64_t equalBits(__m256i lo, __m256i hi, char c) {
    const __m256i wanted = _mm256_set1_epi8(c);
    return std::uint64_t(static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(lo, wanted)))) |
           std::uint64_t(static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(hi, wanted)))) << 32;
}

// The quote parity in one carry-less multiplication by all ones.
__attribute__((target("avx2,pclmul"))) inline BlockBits classifyAvx2(const char *p, Carry &carry) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32));
    const ByteMasks m{equalBits(lo, hi, '"'), equalBits(lo, hi, ','), equalBits(lo, hi, '\r'),
                      equalBits(lo, hi, '\n')};
    const __m128i quotes = _mm_cvtsi64_si128(static_cast<long long>(m.quote));
    const __m128i parity = _mm_clmulepi64_si128(quotes, _mm_set1_epi8(-1), 0);
    return classify(m, static_cast<std::uint64_t>(_mm_cvtsi128_si64(parity)), p[64], carry);
}

// The instructions the walk over the lines uses: the x86-64 baseline (SSE2, and a popcount without
// POPCNT, as the build targets processors without it), or AVX2 with POPCNT and BMI where the
// processor has them, chosen at run time.
struct Baseline {
    static BlockBits classify(const char *p, Carry &carry) { return classifySse2(p, carry); }
    static unsigned count(std::uint64_t x) { return bitCount(x); }
};
struct Wide {
    __attribute__((target("avx2,pclmul"))) static BlockBits classify(const char *p, Carry &carry) {
        return classifyAvx2(p, carry);
    }
    // Only ever inlined into a walk compiled for POPCNT: one instruction there.
    static unsigned count(std::uint64_t x) { return static_cast<unsigned>(__builtin_popcountll(x)); }
};
#define QUORVANE_WIDE_VECTORS __attribute__((target("avx2,pclmul,popcnt,bmi"), flatten))
#else
struct Baseline {
    static BlockBits classify(const char *p, Carry &carry) {
        ByteMasks m;
        for (unsigned k = 0; k < 64; ++k) {
            const std::uint64_t bit = std::uint64_t(1) << k;
            m.quote |= p[k] == '"' ? bit : 0;
            m.comma |= p[k] == ',' ? bit : 0;
            m.cr |= p[k] == '\r' ? bit : 0;
            m.lf |= p[k] == '\n' ? bit : 0;
        }
        return logformat::classify(m, prefixXor(m.quote), p[64], carry);
    }
    static unsigned count(std::uint64_t x) { return bitCount(x); }
};
using Wide = Baseline;
#define QUORVANE_WIDE_VECTORS
#endif

bool wideVectors() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("popcnt") &&
           __builtin_cpu_supports("bmi");
#else
    return false;
#endif
}

bool useWide = wideVectors();

// Where the walk puts the records it finds. A sink's `whole` takes a plainly whole row (its first
// byte and the next line's start), `other` the span of a record the full rules found; both return
// false to stop after that record. A sink that cuts rows gives, before each line, where its 18
// commas and its line end are to be written, as offsets from its start. `to` is the next record's
// place and `end` past the last: pointers rather than a count, which the compiler would have to
// read again after every record written (records hold sizes too).
struct StartSink {
    static constexpr bool kCut = false;
    const char *begin;
    RecordStart *to;
    RecordStart *end;

    std::uint32_t *separators() { return nullptr; }
    bool whole(const char *lineStart, const char *) {
        *to++ = {static_cast<std::size_t>(lineStart - begin), Shape::Whole};
        return to != end;
    }
    bool other(const RecordSpan &span) {
        *to++ = {span.begin, span.shape};
        return to != end;
    }
};

struct CutSink {
    static constexpr bool kCut = true;
    const char *begin;
    ScannedRecord *to;
    ScannedRecord *end;

    std::uint32_t *separators() { return to->separators; }
    bool whole(const char *lineStart, const char *next) {
        to->span = {static_cast<std::size_t>(lineStart - begin), static_cast<std::size_t>(next - begin), Shape::Whole};
        // Offsets are kept small; a line of 4 GB is cut by the full rules instead.
        to->cut = next - lineStart <= std::numeric_limits<std::uint32_t>::max();
        return ++to != end;
    }
    bool other(const RecordSpan &span) {
        to->span = span;
        to->cut = false;
        return ++to != end;
    }
};

// Walks the lines from `pos` (a line start) into `sink`.
template <typename Vectors, typename Sink>
ScanStatus walk(std::string_view buf, std::size_t &pos, bool atEnd, Sink &sink) {
    const char *const begin = buf.data();
    const char *const end = begin + buf.size();
    const char *lineStart = begin + pos;
    const auto leave = [&](ScanStatus status) {
        pos = static_cast<std::size_t>(lineStart - begin);
        return status;
    };
    for (;;) {
        Carry carry;
        const char *p = lineStart;  // the next block
        unsigned commas = 0;        // the line's commas outside texts so far, as far as 19
        std::uint64_t lineBad = 0;  // nonzero once a byte keeps the line from being plainly whole
        bool plain = true;
        std::uint32_t *separators = sink.separators();
        for (; plain; p += 64) {
            BlockBits b;
            if (end - p > 64) {
                b = Vectors::classify(p, carry);
            } else if (!atEnd) {
                return leave(ScanStatus::NeedMore);
            } else if (p >= end) {
                if (lineStart == end)
                    return leave(ScanStatus::End);
                break;  // the last line has no line end
            } else {
                char last[65] = {};  // the input's last bytes, and nothing after them
                std::memcpy(last, p, static_cast<std::size_t>(end - p));
                b = Vectors::classify(last, carry);
            }
            std::uint64_t from = ~std::uint64_t(0);  // the bits of the current line in this block
            for (std::uint64_t lfs = b.lineEnds;; lfs &= lfs - 1) {
                const std::uint64_t part = from & (lfs ? lfs ^ (lfs - 1) : ~std::uint64_t(0));
                lineBad |= b.bad & part;
                std::uint64_t c = b.commas & part;
                const unsigned count = Vectors::count(c);
                if constexpr (Sink::kCut) {
                    const auto offset = static_cast<std::uint32_t>(p - lineStart);
                    constexpr unsigned kRowCommas = kFieldCount - 1;
                    unsigned n = std::min(count, commas < kRowCommas ? kRowCommas - commas : 0);
                    for (std::uint32_t *to = separators + commas; n > 0; --n, c &= c - 1)
                        *to++ = offset + lowestBit(c);
                }
                commas = std::min(commas + count, unsigned(kFieldCount));
                if (lfs == 0)
                    break;
                if (lineBad || commas != kFieldCount - 1) {
                    plain = false;
                    break;
                }
                const char *lf = p + lowestBit(lfs);
                if constexpr (Sink::kCut) {
                    const char *lineEnd = lf[-1] == '\r' ? lf - 1 : lf;  // 18 commas stand before it
                    separators[kFieldCount - 1] = static_cast<std::uint32_t>(lineEnd - lineStart);
                }
                const char *next = lf + 1;
                const bool goOn = sink.whole(lineStart, next);
                lineStart = next;
                if (!goOn)
                    return leave(ScanStatus::Found);
                separators = sink.separators();
                commas = 0;
                from = ~(lfs ^ (lfs - 1));
            }
        }
        // Not plainly a whole row: the full rules decide, and the blocks start afresh after it.
        RecordSpan span;
        RecordView fields;
        const ScanStatus status = scanRecord(buf, static_cast<std::size_t>(lineStart - begin), atEnd, span, fields);
        if (status != ScanStatus::Found)
            return leave(status);
        const bool goOn = sink.other(span);
        lineStart = begin + span.end;
        if (!goOn)
            return leave(ScanStatus::Found);
    }
}

// The walk compiled once more for the wide instructions, everything it calls inlined into it.
template <typename Sink>
QUORVANE_WIDE_VECTORS ScanStatus walkWide(std::string_view buf, std::size_t &pos, bool atEnd, Sink &sink) {
    return walk<Wide>(buf, pos, atEnd, sink);
}

template <typename Sink>
ScanStatus walkWidest(std::string_view buf, std::size_t &pos, bool atEnd, Sink &sink) {
    return useWide ? walkWide(buf, pos, atEnd, sink) : walk<Baseline>(buf, pos, atEnd, sink);
}

template <typename Sink, typename Record>
ScanStatus scanInto(std::string_view buf, std::size_t &pos, bool atEnd, std::span<Record> out, std::size_t &count) {
    Sink sink{buf.data(), out.data(), out.data() + out.size()};
    const ScanStatus status = out.empty() ? ScanStatus::Found : walkWidest(buf, pos, atEnd, sink);
    count = static_cast<std::size_t>(sink.to - out.data());
    return status;
}

}  // namespace

void useBaselineVectors(bool baselineOnly) { useWide = !baselineOnly && wideVectors(); }

ScanStatus scanRecords(std::string_view buf, std::size_t &pos, bool atEnd, std::span<RecordStart> out,
                       std::size_t &count) {
    return scanInto<StartSink>(buf, pos, atEnd, out, count);
}

ScanStatus scanRecords(std::string_view buf, std::size_t &pos, bool atEnd, std::span<ScannedRecord> out,
                       std::size_t &count) {
    return scanInto<CutSink>(buf, pos, atEnd, out, count);
}

}  // namespace logformat
