// Writes a log whose Participant, Scenario and Comment fields hold the texts that spreadsheets
// are known to misread, through the program's own row writer, and the value every cell must hold
// as text when the log is read back as logged (a JSON list of rows).
//
//   make_awkward_log <log.csv> <expected.json>

#include "core/logformat.h"
#include "tests/spreadsheet/awkward_texts.h"
#include "tests/support/LogRecords.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace logformat;

namespace {

std::string json(const Field &field) {
    if (field.kind == Kind::Number)
        return formatNumber(field.number);
    std::string out = "\"";
    for (const char c : cleanComment(field.text)) {  // what a cell holds: the text, quotes as apostrophes
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
        out += c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 ? std::string(escaped) : std::string(1, c);
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3)
        return 2;
    std::vector<Record> rows{headerRecord({"Error"})};
    for (std::size_t i = 0; i < kAwkwardTexts.size(); ++i) {
        Record r;
        r.fill(Field::txt(""));
        r[Date] = Field::txt("12/05/2026");
        r[PCTime] = Field::txt(i % 2 ? "02:15:07 PM" : "11:15:07 AM");
        r[VCRTime] = Field::txt("00:12:34");
        r[VCRSeconds] = Field::num(754);
        r[ScenarioTime] = Field::txt("00:00:05");
        r[ScenarioSeconds] = Field::num(static_cast<double>(i % 2 * 5));
        r[Participant] = r[Scenario] = r[Comment] = Field::txt(kAwkwardTexts[i]);
        r[FirstEventColumn] = Field::txt(i % 4 == 3 ? "Error" : "");
        rows.push_back(r);
    }
    std::string log, expected = "[\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        log += encodeRow(rows[i]);
        for (std::size_t k = 0; k < kFieldCount; ++k)
            expected += (k == 0 ? "  [" : ", ") + json(rows[i][k]);
        expected += i + 1 < rows.size() ? "],\n" : "]\n]\n";
    }
    std::ofstream logFile(argv[1], std::ios::binary), expectedFile(argv[2], std::ios::binary);
    logFile << log;
    expectedFile << expected;
    return logFile && expectedFile ? 0 : 1;
}
