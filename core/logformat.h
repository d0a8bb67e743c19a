#pragma once
// The log file's row format, in plain C++ so that it can be fuzzed and benchmarked alone.
// A row is 19 fields: text fields in double quotes (nothing escaped inside), numbers bare,
// a field without a value written as nothing; rows end with CR LF.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace logformat {

inline constexpr std::size_t kFieldCount = 19;
inline constexpr std::size_t kEventColumnCount = 10;
inline constexpr std::string_view kRowEnd = "\r\n";
// Joins Participant, Scenario, Scenario Time and Comment in a comment list line.
inline constexpr std::string_view kDisplaySeparator = "    |    ";

// The titles of the nine columns before the event columns, as the header row holds them.
inline constexpr std::string_view kFixedTitles[] = {"Date",          "PC Time",
                                                    "VCR Time",      "VCR Time In Seconds",
                                                    "Scenario Time", "Scenario Time In Seconds",
                                                    "Participant",   "Scenario",
                                                    "Comment"};
// An event column's title: this and the button's name.
inline constexpr std::string_view kEventTitlePrefix = "Button - ";

// Zero-based field positions.
enum Column : std::size_t {
    Date = 0,
    PCTime,
    VCRTime,
    VCRSeconds,
    ScenarioTime,
    ScenarioSeconds,
    Participant,
    Scenario,
    Comment,
    FirstEventColumn,
};

enum class Kind : unsigned char { None, Number, Text };

struct Field {
    Kind kind = Kind::None;
    double number = 0;
    std::string text;

    static Field none() { return {}; }
    static Field num(double value) { return {Kind::Number, value, {}}; }
    static Field txt(std::string value) { return {Kind::Text, 0, std::move(value)}; }
    bool operator==(const Field &) const = default;
};
using Record = std::array<Field, kFieldCount>;

// A field as parsed, pointing into the reader's buffer: valid until the buffer changes.
struct FieldView {
    Kind kind = Kind::None;
    double number = 0;
    std::string_view text;  // the text, or for a number the characters it was read from
};
using RecordView = std::array<FieldView, kFieldCount>;

// How a record stands in the file's lines. A record is one line of 19 fields; a record whose
// text runs over a line end (a field holding a line break, or a line end between fields) is read
// over two lines when the second line is not a record by itself, and over more while a text in
// quotes stays open across them (another writer's field holding line breaks). Any other line is a
// damaged row: cut short, too many fields, or not a row at all. It costs that line alone: the next record
// starts on the next line. Lines of nothing but blanks are no records.
enum class Shape : unsigned char { Whole, Joined, Damaged };
// The most lines one record is read over (a text in quotes holding line breaks).
inline constexpr int kMostLinesOfARecord = 64;

struct RecordSpan {
    std::size_t begin = 0;  // the first byte of the record's first line
    std::size_t end = 0;    // past the line end of its last line, or the end of the input
    Shape shape = Shape::Whole;
};

enum class ScanStatus {
    Found,     // a record (whole, over lines joined, or damaged) was found
    End,       // nothing but blank lines remain
    NeedMore,  // the buffer ends before the record's lines do; more input decides
};

// Finds the record on the first line at or after `pos` (which must be a line start) that is not
// blank, and parses its fields into `fields`; a damaged line gives the fields it has and the
// missing ones without a value. `atEnd` says that `buf` runs to the end of the file.
ScanStatus scanRecord(std::string_view buf, std::size_t pos, bool atEnd, RecordSpan &span, RecordView &fields);

// Where a record starts, and how it stands in its lines.
struct RecordStart {
    std::size_t begin = 0;
    Shape shape = Shape::Whole;
};

// Finds the records from `pos` (a line start) on, exactly as scanRecord would one after the
// other, into `out` from its start; `count` says how many it holds. Lines that are plainly whole
// rows (the rows this program writes) are recognised 64 bytes at a time without parsing their
// fields. Returns Found when `out` is full (more may follow from `pos`), End when the input is
// used up, or NeedMore with `pos` at the line start to go on from.
ScanStatus scanRecords(std::string_view buf, std::size_t &pos, bool atEnd, std::span<RecordStart> out,
                       std::size_t &count);

// A record found by the block scanner. A plainly whole row also has its separators: where its 18
// commas and its line end stand, counted from `span.begin`, so that its fields are cut out
// without reading its bytes once more. Any other record's fields are parsed by the full rules.
struct ScannedRecord {
    RecordSpan span;
    bool cut = false;
    std::uint32_t separators[kFieldCount] = {};
};

// As above, with each record's span and separators.
ScanStatus scanRecords(std::string_view buf, std::size_t &pos, bool atEnd, std::span<ScannedRecord> out,
                       std::size_t &count);

// The block scanner uses the widest vector instructions the processor has (AVX2, or SSE2 on the
// x86-64 baseline); this makes it use the baseline ones, so that the fuzz target checks both.
void useBaselineVectors(bool baselineOnly);

// The fields of a record already found: `bytes` runs from its span's begin (to its end, or further).
void parseFields(std::string_view bytes, Shape shape, RecordView &fields);
// Fields of a record, bit i for field i: those a reader wants.
using FieldSet = std::uint32_t;
inline constexpr FieldSet kAllFields = (FieldSet(1) << kFieldCount) - 1;
// Of a plainly whole row only the `wanted` fields are cut out, the others read as without a value.
void parseFields(std::string_view bytes, const ScannedRecord &record, RecordView &fields,
                 FieldSet wanted = kAllFields);

// A whole record ending exactly at the end of `line` (a line end, if any, included).
bool isWholeRecord(std::string_view line);

// Plain decimal: no exponent, no leading zeros, no decimal point for whole numbers.
std::string formatNumber(double value);
Field toField(const FieldView &view);

// The one CSV encoder of every file the program writes: the fields of one row, comma-separated,
// text in double quotes exactly as given, numbers bare, a field without a value as nothing, and
// CR LF. A double quote cannot be held in a text field, so any that reaches the writer is written
// as an apostrophe rather than corrupting the file.
void appendFields(std::string &out, std::span<const Field> fields);
// One log row.
void appendRow(std::string &out, const Record &record);
std::string encodeRow(const Record &record);

// Participant, Scenario, Scenario Time and Comment joined by the display separator.
void appendDisplayLine(std::string &out, const RecordView &record);
std::string displayLine(std::string_view participant, std::string_view scenario,
                        std::string_view scenarioTime, std::string_view comment);

// The scenario timer's markers: "***START SCENARIO TIMER - name***" and its RESUME, PAUSE and STOP
// forms (the name may be empty).
enum class Marker : unsigned char { None, Start, Resume, Pause, Stop };
Marker markerOf(std::string_view comment);

// Comment cleaning: double quotes become apostrophes.
std::string cleanComment(std::string_view text);
// Button caption cleaning: as comments, and every "&" (the access-key mark) removed.
std::string cleanCaption(std::string_view text);

}  // namespace logformat
