#include "export/cells.h"

#include <xlsxwriter.h>

#include <algorithm>

namespace xlsxexport {
namespace {

bool digits(std::string_view s, std::size_t at, std::size_t count, int &value) {
    if (at + count > s.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

// Days from 1 January 1970 (Howard Hinnant's days_from_civil).
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

// The length of the UTF-8 sequence that starts `s` at `i`, 0 when it is not one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    std::size_t n;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    return cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF ? 0 : n;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::optional<double> dateValue(std::string_view t) {
    int m = 0, d = 0, y = 0;
    if (t.size() != 10 || !digits(t, 0, 2, m) || t[2] != '/' || !digits(t, 3, 2, d) || t[5] != '/' ||
        !digits(t, 6, 4, y) || m < 1 || m > 12 || y < 1900 || d < 1 || d > daysInMonth(y, m))
        return std::nullopt;
    // Spreadsheets count 1 March 1900 as day 61, so from then on days since 30 December 1899.
    const double serial = static_cast<double>(daysFromCivil(y, m, d) - daysFromCivil(1899, 12, 30));
    return serial >= 61 ? std::optional<double>(serial) : std::nullopt;
}

std::optional<double> timeOfDayValue(std::string_view t) {
    int h = 0, m = 0, s = 0;
    if (t.size() != 11 || !digits(t, 0, 2, h) || t[2] != ':' || !digits(t, 3, 2, m) || t[5] != ':' ||
        !digits(t, 6, 2, s) || t[8] != ' ' || (t.substr(9) != "AM" && t.substr(9) != "PM") || h < 1 || h > 12 ||
        m > 59 || s > 59)
        return std::nullopt;
    const int hour = h % 12 + (t.substr(9) == "PM" ? 12 : 0);
    return (hour * 3600.0 + m * 60 + s) / 86400.0;
}

std::optional<double> durationValue(std::string_view t) {
    const std::size_t colon = t.find(':');
    int h = 0, m = 0, s = 0;
    if (colon == std::string_view::npos || colon < 2 || colon > 6 || t.size() != colon + 6 ||
        !digits(t, 0, colon, h) || !digits(t, colon + 1, 2, m) || t[colon + 3] != ':' ||
        !digits(t, colon + 4, 2, s) || m > 59 || s > 59)
        return std::nullopt;
    return (h * 3600.0 + m * 60 + s) / 86400.0;
}

CellText cellText(std::string_view in) {
    CellText out;
    out.text.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        if (out.characters == kMaxCellCharacters) {
            out.cut = true;
            break;
        }
        const std::size_t n = in[i] == '\0' ? 0 : utf8Length(in, i);
        if (n == 0) {
            out.text += "\xEF\xBF\xBD";  // U+FFFD
            ++i;
        } else {
            // "_x0041_" would show as "A": its underscore written as the escape of an underscore.
            if (in[i] == '_' && i + 6 < in.size() && in[i + 1] == 'x' && isHex(in[i + 2]) && isHex(in[i + 3]) &&
                isHex(in[i + 4]) && isHex(in[i + 5]) && in[i + 6] == '_')
                out.text += "_x005F";
            out.text.append(in.substr(i, n));
            i += n;
        }
        ++out.characters;
    }
    return out;
}

Formats addFormats(lxw_workbook *workbook) {
    Formats f;
    f.title = workbook_add_format(workbook);
    format_set_bold(f.title);
    f.date = workbook_add_format(workbook);
    format_set_num_format(f.date, "yyyy-mm-dd");
    f.time = workbook_add_format(workbook);
    format_set_num_format(f.time, "hh:mm:ss AM/PM");
    f.duration = workbook_add_format(workbook);
    format_set_num_format(f.duration, "[h]:mm:ss");
    f.note = workbook_add_format(workbook);
    format_set_italic(f.note);
    return f;
}

void ColumnWidths::note(std::size_t column, std::size_t characters) {
    if (column >= widest_.size())
        widest_.resize(column + 1);
    widest_[column] = std::max(widest_[column], characters);
}

void ColumnWidths::apply(lxw_worksheet *sheet, double minimum, double maximum) const {
    for (std::size_t c = 0; c < widest_.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             std::clamp(static_cast<double>(widest_[c]) + 2, minimum, maximum), nullptr);
}

bool writeText(lxw_worksheet *sheet, unsigned row, unsigned short column, std::string_view text,
               ColumnWidths &widths, lxw_format *format) {
    const CellText cell = cellText(text);
    worksheet_write_string(sheet, row, column, cell.text.c_str(), format);
    widths.note(column, cell.characters);
    return !cell.cut;
}

}  // namespace xlsxexport
