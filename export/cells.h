#pragma once
// What a spreadsheet cell is made of: the log's texts read as the dates, times of day and
// durations they stand for (as spreadsheet serial numbers: days since 30 December 1899, times as
// fractions of a day), and texts made safe for the workbook's XML without changing what shows.

#include "core/logformat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace xlsxexport {

// "mm/dd/yyyy" as the day's serial number; nothing for any other text or a day that does not exist.
std::optional<double> dateValue(std::string_view text);
// "hh:mm:ss AM/PM" as a fraction of a day.
std::optional<double> timeOfDayValue(std::string_view text);
// "HH:mm:ss" with two or more hour digits, as days.
std::optional<double> durationValue(std::string_view text);

// The most characters a cell holds.
inline constexpr std::size_t kMaxCellCharacters = 32767;

// A text as a cell holds it: NUL and bytes that are not UTF-8 become U+FFFD, a text past the cell's limit
// is cut (`cut` says so), and "_xHHHH_", which spreadsheets read as an escaped character, is
// escaped itself so that it shows as typed. `characters` is the text's length in characters.
struct CellText {
    std::string text;
    std::size_t characters = 0;
    bool cut = false;
};
CellText cellText(std::string_view text);

// The formats every workbook of ours uses.
struct Formats {
    lxw_format *title = nullptr;     // the header row
    lxw_format *date = nullptr;      // yyyy-mm-dd: read alike in every locale
    lxw_format *time = nullptr;      // hh:mm:ss AM/PM, as the log shows it
    lxw_format *duration = nullptr;  // [h]:mm:ss, past 24 hours too
    lxw_format *note = nullptr;      // a sentence about the sheet, in italics
};
Formats addFormats(lxw_workbook *workbook);

// Column widths estimated from the characters written into each column.
class ColumnWidths {
public:
    void note(std::size_t column, std::size_t characters);
    // Sets every column noted, from `minimum` to `maximum` characters wide.
    void apply(lxw_worksheet *sheet, double minimum = 6, double maximum = 60) const;

private:
    std::vector<std::size_t> widest_;
};

// Writes a text cell (never a formula) and notes its width; returns false when it had to be cut.
bool writeText(lxw_worksheet *sheet, unsigned row, unsigned short column, std::string_view text,
               ColumnWidths &widths, lxw_format *format = nullptr);

}  // namespace xlsxexport
