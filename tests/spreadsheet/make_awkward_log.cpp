// Writes a log whose Participant, Scenario and Comment fields hold the texts that spreadsheets
// are known to misread, through the program's own row writer, and the value every cell must hold
// as text when the log is read back as logged.
//
//   make_awkward_log <log.csv> <expected.json>

#include "logformat.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace logformat;

// What a cell holds once the writer has stored `typed`, by the writer's own rule.
std::string asLogged(std::string_view typed) { return storedText(typed); }

// Texts an observer may type that a spreadsheet may take for a number, date, time or formula,
// or trim. A double quote reaches the writer as typed and is stored as an apostrophe.
const std::vector<std::string> kAwkwardTexts = {
    "Clicked Help, then Back, then left", "first; then second", "it's", "   leading blanks",
    "trailing blanks   ", "Größe – 測試 ✓", "-2", "007", "1e5", "3,5", "12/05/2026", "00:12:34", "-> next step",
    "=1+1", "+1", "-2+3", "@SUM(A1:A2)", "=HYPERLINK(\"x\")", "", "   ", "'quoted", "'=1+1", "'+1", "'-2+3",
    "'@SUM(A1:A2)", "'=HYPERLINK(\"x\")", " =1+1", " +1", " -2+3", " @SUM(A1:A2)", " =HYPERLINK(\"x\")",
    "\t=1+1",
};

std::string clock(int seconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buf;
}

Record headerRow() {
    Record r;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        r[i] = Field::txt(i < std::size(kFixedTitles) ? std::string(kFixedTitles[i]) : "Button - ");
    r[FirstEventColumn] = Field::txt("Button - Error");
    return r;
}

Record entryRow(std::size_t index, const std::string &typed) {
    const int vcr = 754 + static_cast<int>(index) * 7;
    const int scenario = static_cast<int>(index) * 5;  // the first row at 0 seconds
    char pcTime[16];
    std::snprintf(pcTime, sizeof pcTime, "%02d:%02d:%02d %s", index % 2 ? 2 : 11, 15, static_cast<int>(index % 60),
                  index % 2 ? "PM" : "AM");
    Record r;
    r[Date] = Field::txt("12/05/2026");
    r[PCTime] = Field::txt(pcTime);
    r[VCRTime] = Field::txt(clock(vcr));
    r[VCRSeconds] = Field::num(vcr);
    r[ScenarioTime] = Field::txt(clock(scenario));
    r[ScenarioSeconds] = Field::num(scenario);
    r[Participant] = Field::txt(typed);
    r[Scenario] = Field::txt(typed);
    r[Comment] = Field::txt(typed);
    for (std::size_t k = 0; k < kEventColumnCount; ++k)
        r[FirstEventColumn + k] = Field::txt(k == 0 && index % 4 == 3 ? "Error" : "");
    return r;
}

void appendJsonString(std::string &out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out.append(buf);
        } else {
            out.push_back(c);  // UTF-8 passes through
        }
    }
    out.push_back('"');
}

// One JSON array per row: a string for a text field, a number for a number field.
void appendJsonRow(std::string &out, const Record &r) {
    out.append("  [");
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        if (i > 0)
            out.append(", ");
        if (r[i].kind == Kind::Number)
            out.append(formatNumber(r[i].number));
        else if (r[i].kind == Kind::Text)
            appendJsonString(out, asLogged(r[i].text));
        else
            out.append("null");
    }
    out.append("]");
}

bool writeFile(const char *path, const std::string &bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        std::cerr << "make_awkward_log: cannot write " << path << '\n';
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: make_awkward_log <log.csv> <expected.json>\n";
        return 2;
    }
    std::vector<Record> rows{headerRow()};
    for (std::size_t i = 0; i < kAwkwardTexts.size(); ++i)
        rows.push_back(entryRow(i, kAwkwardTexts[i]));

    std::string log;
    std::string json = "[\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        log += encodeRow(rows[i]);
        appendJsonRow(json, rows[i]);
        json.append(i + 1 < rows.size() ? ",\n" : "\n");
    }
    json.append("]\n");
    return writeFile(argv[1], log) && writeFile(argv[2], json) ? 0 : 1;
}
