"""Checks the workbooks Quorvane exported, as two independent readers see them.

  check_workbooks.py openpyxl <folder>     log.xlsx and summary.xlsx read by openpyxl
  check_workbooks.py calc <folder>         log.ods and summary.ods that LibreOffice Calc made of them
  check_workbooks.py rows <book.xlsx> <n>  the sheet holds a header row and n entries

expected.json (from make_workbooks) gives each cell as [type, value]: date "yyyy-mm-dd", time
"hh:mm:ss", duration seconds, number, text, or empty.
"""

import datetime
import json
import re
import sys
import zipfile

sys.path.insert(0, __file__.rsplit("/", 2)[0] + "/spreadsheet")
from check_log import Checker, read_ods  # noqa: E402

# openpyxl undoes the standard's _xHHHH_ escapes in shared strings (the summary's) but not in
# inline strings (the log's, written in constant memory); Excel and Calc undo them in both.
ESCAPE = re.compile("_x([0-9A-Fa-f]{4})_")


def unescape(text):
    return ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def seconds_of(value):
    if isinstance(value, datetime.timedelta):
        return round(value.total_seconds())
    if isinstance(value, datetime.time):
        return value.hour * 3600 + value.minute * 60 + value.second
    return None


def openpyxl_cell(cell, inline=False):
    """A cell as [type, value] in expected.json's terms."""
    v = cell.value
    if v is None:
        return ["empty", None]
    if cell.data_type == "s":
        return ["text", unescape(v) if inline else v]
    if isinstance(v, datetime.datetime):
        if cell.number_format == "yyyy-mm-dd":
            return ["date", v.date().isoformat()]
    if isinstance(v, datetime.time) and "AM/PM" in cell.number_format:
        return ["time", v.strftime("%H:%M:%S")]
    if "[h]" in cell.number_format:
        return ["duration", seconds_of(v)]
    if isinstance(v, (int, float)) and not isinstance(v, bool):
        return ["number", v]
    return ["other " + cell.number_format, str(v)]


def calc_cell(cell):
    """A cell of the .ods Calc made, as [type, value]."""
    if cell is None:
        return ["empty", None]
    if cell["formula"] is not None:
        return ["formula", cell["formula"]]
    kind, value = cell["type"], cell["value"]
    if kind == "string":
        return ["text", value]
    if kind == "date":
        return ["date", value[:10]]
    if kind == "time":  # PT14H15M07S: a time of day or a duration alike
        m = re.fullmatch(r"PT(\d+)H(\d+)M(\d+)(?:\.\d+)?S", value)
        return ["time-or-duration", int(m[1]) * 3600 + int(m[2]) * 60 + int(m[3])] if m else ["time", value]
    if kind == "float":
        return ["number", float(value)]
    return [kind, value]


def same(got, want, calc):
    if calc and want[0] in ("time", "duration"):
        h, m, s = (int(x) for x in want[1].split(":")) if want[0] == "time" else (0, 0, want[1])
        return got == ["time-or-duration", h * 3600 + m * 60 + s]
    if want[0] == "number":
        return got[0] == "number" and float(got[1]) == float(want[1])
    return got == want


def compare(check, sheet_rows, expected, calc, first_row=1):
    if len(sheet_rows) != len(expected) + first_row:
        check.fault(len(sheet_rows), 0, f"{len(sheet_rows)} rows, expected {len(expected) + first_row}")
    for r, want_row in enumerate(expected):
        got_row = sheet_rows[r + first_row] if r + first_row < len(sheet_rows) else []
        for c, want in enumerate(want_row):
            got = got_row[c] if c < len(got_row) else ["empty", None]
            if not same(got, want, calc):
                check.fault(r + first_row, c, f"holds {got!r}, expected {want!r}")


def check_openpyxl(folder, expected):
    import openpyxl

    check = Checker("openpyxl")
    log = openpyxl.load_workbook(f"{folder}/log.xlsx")
    if log.sheetnames != ["Log", "Damaged rows"]:
        check.fault(0, 0, f"log sheets {log.sheetnames}")
        return check.done("")
    sheet = log["Log"]
    if sheet.freeze_panes != "A2" or sheet.auto_filter.ref != f"A1:S{len(expected['log'])}":
        check.fault(0, 0, f"header row frozen at {sheet.freeze_panes}, filter {sheet.auto_filter.ref}")
    rows = [[openpyxl_cell(c, inline=True) for c in row] for row in sheet.iter_rows()]
    # The header row is the log's own first row, so it is compared as text like the rest.
    compare(check, rows, expected["log"], calc=False, first_row=0)
    if any(sheet.column_dimensions[col].width < 10 for col in ("A", "G", "I")):
        check.fault(0, 0, "columns not sized to their contents")
    damaged = [[openpyxl_cell(c, inline=True) for c in row] for row in log["Damaged rows"].iter_rows(min_row=2)]
    want = [[["number", after], ["text", text]] for after, text in expected["damaged"]]
    compare(check, [None] + damaged, want, calc=False)

    summary = openpyxl.load_workbook(f"{folder}/summary.xlsx")
    table = [[openpyxl_cell(c) for c in row] for row in summary["Summary"].iter_rows()]
    if [c[1] for c in table[0]] != expected["summary_columns"]:
        check.fault(0, 0, f"summary titles {table[0]!r}")
    compare(check, table, expected["summary_rows"], calc=False)
    data = summary["Chart data"]
    scenario_rows = list(data.iter_rows(min_row=2, values_only=True))
    scenario_rows = scenario_rows[:next((i for i, r in enumerate(scenario_rows) if r[0] is None), len(scenario_rows))]
    bars = sum(v is not None for r in scenario_rows for v in r[1:])
    if bars != expected["bars"]:
        check.fault(0, 0, f"{bars} bars of time on task for {expected['bars']} timed groups of {expected['groups']}")
    charts = summary["Charts"]._charts
    if len(charts) != 2:
        check.fault(0, 0, f"{len(charts)} charts, expected 2")
    else:
        bars, presses = charts
        if bars.tagname != "barChart" or bars.type != "col" or bars.grouping != "clustered":
            check.fault(0, 0, f"time on task is a {bars.tagname} {bars.type} {bars.grouping}")
        # One series a participant, up to the cap, which a note tells.
        if len(bars.series) != min(expected["participants"], expected["max_series"]):
            check.fault(0, 0, f"{len(bars.series)} series for {expected['participants']} participants")
        note = summary["Charts"]["A2"].value or ""
        if (expected["participants"] > expected["max_series"]) != ("participants" in note):
            check.fault(1, 0, f"the note on what the chart leaves out says {note!r}")
        if presses.tagname != "barChart" or len(presses.series) != 1:
            check.fault(0, 0, "no chart of presses per button")
    return check.done(f"{len(rows)} log rows, {len(damaged)} damaged, {len(table)} summary rows, "
                      f"{len(charts)} charts: types and texts as logged")


def check_calc(folder, expected):
    check = Checker("LibreOffice Calc")
    rows = [[calc_cell(c) for c in row] for row in read_ods(f"{folder}/log.ods")]
    compare(check, rows, expected["log"], calc=True, first_row=0)
    table = [[calc_cell(c) for c in row] for row in read_ods(f"{folder}/summary.ods")]
    compare(check, table, expected["summary_rows"], calc=True)
    with zipfile.ZipFile(f"{folder}/summary.ods") as archive:
        charts = [n for n in archive.namelist() if n.startswith("Object ") and n.endswith("/content.xml")]
    if len(charts) != 2:
        check.fault(0, 0, f"{len(charts)} charts in the summary, expected 2")
    return check.done(f"{len(rows)} log rows, {len(table)} summary rows, {len(charts)} charts: "
                      f"types and texts as logged")


def check_rows(path, count):
    """Counts the rows in the sheet's XML as it streams: a million rows in seconds, no memory."""
    check = Checker("rows")
    rows = 0
    last = b""
    with zipfile.ZipFile(path) as archive, archive.open("xl/worksheets/sheet1.xml") as sheet:
        while chunk := sheet.read(1 << 20):
            rows += (last + chunk).count(b"<row ") - last.count(b"<row ")
            last = chunk[-8:]
    if rows != count + 1:
        check.fault(rows, 0, f"{rows} rows, expected {count + 1}")
    return check.done(f"{rows} rows")


def main(argv):
    mode = argv[1]
    if mode == "rows":
        return check_rows(argv[2], int(argv[3]))
    with open(f"{argv[2]}/expected.json", encoding="utf-8") as f:
        expected = json.load(f)
    return check_openpyxl(argv[2], expected) if mode == "openpyxl" else check_calc(argv[2], expected)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
