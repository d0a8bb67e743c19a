#pragma once
// The log file's row format, in plain C++ so that it can be fuzzed and benchmarked alone.
// A row is 19 fields: text fields in double quotes (nothing escaped inside), numbers bare,
// a field without a value written as nothing; rows end with CR LF. The reader takes the next
// 19 fields as a record, whatever lines they are spread over.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace logformat {

inline constexpr std::size_t kFieldCount = 19;
inline constexpr std::size_t kEventColumnCount = 10;
inline constexpr std::string_view kRowEnd = "\r\n";
// Joins Participant, Scenario, Scenario Time and Comment in a comment list line.
inline constexpr std::string_view kDisplaySeparator = "    |    ";

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

enum class ParseStatus {
    Parsed,    // one whole record was parsed
    End,       // nothing but blanks and line ends remain: a clean end of file
    NeedMore,  // the buffer ends inside the record; more input is needed to finish it
    Truncated, // the input ends inside a record
};

// Parses the record that starts at `pos`. On Parsed, `pos` moves past it; otherwise `pos` is left
// unchanged so the caller can retry from the same place with more input. `atEnd` says that `buf`
// holds everything up to the end of the file.
ParseStatus parseRecord(std::string_view buf, std::size_t &pos, bool atEnd, RecordView &out);

// Plain decimal: no exponent, no leading zeros, no decimal point for whole numbers.
std::string formatNumber(double value);
Field toField(const FieldView &view);

// Appends one encoded row, CR LF included. A double quote cannot be held in a text field, so any
// that reaches the writer is written as an apostrophe rather than corrupting the file.
void appendRow(std::string &out, const Record &record);
std::string encodeRow(const Record &record);

// Participant, Scenario, Scenario Time and Comment joined by the display separator.
void appendDisplayLine(std::string &out, const RecordView &record);
std::string displayLine(std::string_view participant, std::string_view scenario,
                        std::string_view scenarioTime, std::string_view comment);

// Comment cleaning: double quotes become apostrophes.
std::string cleanComment(std::string_view text);
// Button caption cleaning: as comments, and every "&" (the access-key mark) removed.
std::string cleanCaption(std::string_view text);

}  // namespace logformat
