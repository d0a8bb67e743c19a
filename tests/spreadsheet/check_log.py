"""Checks a log, and the spreadsheet LibreOffice Calc made of it, against the expected values.

  check_log.py log <log.csv> <expected.json>
  check_log.py ods <sheet.ods> <expected.json> <text|date>

The expected values are a JSON list of rows, each a list of 19 values: a string for a text field,
a number for a number field. In "date" mode the first column must hold the logged mm/dd/yyyy as a
date; in "text" mode as text.
"""

import csv
import datetime
import io
import json
import sys
import xml.etree.ElementTree as ET
import zipfile

FIELDS = 19

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
}


def q(prefix, name):
    return "{%s}%s" % (NS[prefix], name)


def paragraph_text(element):
    """The text of a text:p with its space, tab and line-break elements expanded."""
    out = [element.text or ""]
    for child in element:
        if child.tag == q("text", "s"):
            out.append(" " * int(child.get(q("text", "c"), "1")))
        elif child.tag == q("text", "tab"):
            out.append("\t")
        elif child.tag == q("text", "line-break"):
            out.append("\n")
        else:  # spans, links: their text
            out.append(paragraph_text(child))
        out.append(child.tail or "")
    return "".join(out)


def read_ods(path):
    """The first sheet's rows, each a list of cells {type, value, formula}; an empty cell is None.
    Trailing empty cells and rows are left out (they come repeated to the sheet's edge)."""
    with zipfile.ZipFile(path) as archive:
        root = ET.fromstring(archive.read("content.xml"))
    sheet = root.find(".//" + q("table", "table"))
    rows, empty_rows = [], 0
    for row in sheet.iter(q("table", "table-row")):
        cells, empty_cells = [], 0
        for cell in row:
            if cell.tag not in (q("table", "table-cell"), q("table", "covered-table-cell")):
                continue
            repeat = int(cell.get(q("table", "number-columns-repeated"), "1"))
            kind = cell.get(q("office", "value-type"))
            formula = cell.get(q("table", "formula"))
            if kind is None and formula is None:
                empty_cells += repeat
                continue
            if kind == "string":
                value = cell.get(q("office", "string-value"))
                if value is None:
                    value = "\n".join(paragraph_text(p) for p in cell.findall(q("text", "p")))
            else:
                value = cell.get(q("office", {"date": "date-value", "time": "time-value",
                                              "boolean": "boolean-value"}.get(kind, "value")))
            cells += [None] * empty_cells + [{"type": kind, "value": value, "formula": formula}] * repeat
            empty_cells = 0
        repeat = int(row.get(q("table", "number-rows-repeated"), "1"))
        if cells:
            rows += [[]] * empty_rows + [cells] * repeat
            empty_rows = 0
        else:
            empty_rows += repeat
    return rows


class Checker:
    def __init__(self, what):
        self.what, self.faults = what, []

    def fault(self, row, col, message):
        if len(self.faults) < 40:
            self.faults.append(f"{self.what}: row {row + 1}, column {col + 1}: {message}")
        else:
            self.faults.append(None)

    def done(self, summary):
        for line in filter(None, self.faults):
            print(line)
        if self.faults:
            print(f"{self.what}: {len(self.faults)} faults")
            return 1
        print(f"{self.what}: {summary}")
        return 0


def check_log(path, expected):
    """The log as logged: CR LF rows of 19 fields, text quoted as logged, numbers bare."""
    check = Checker("log")
    data = open(path, "rb").read()
    if data.startswith(b"\xef\xbb\xbf"):
        check.fault(0, 0, "starts with a byte-order mark")
    text = data.decode("utf-8")  # fails on anything but UTF-8
    if text.count("\r\n") != len(expected) or text.count("\n") != len(expected) or not text.endswith("\r\n"):
        check.fault(0, 0, f"expected {len(expected)} rows each ending CR LF")
    # Unquoted fields come back as floats, quoted ones as strings: the types are checked too.
    try:
        rows = list(csv.reader(io.StringIO(text, newline=""), quoting=csv.QUOTE_NONNUMERIC, strict=True))
    except (csv.Error, ValueError) as error:
        check.fault(0, 0, f"not read as CSV: {error}")
        return check.done("")
    if len(rows) != len(expected):
        check.fault(len(rows), 0, f"{len(rows)} rows, expected {len(expected)}")
    for r, (got, want) in enumerate(zip(rows, expected)):
        if len(got) != FIELDS:
            check.fault(r, len(got), f"{len(got)} fields, expected {FIELDS}")
        for c, (g, w) in enumerate(zip(got, want)):
            if type(g) is not (str if isinstance(w, str) else float) or g != w:
                check.fault(r, c, f"holds {g!r}, expected {w!r}")
    return check.done(f"{len(rows)} rows of {FIELDS} fields as logged")


def check_sheet(path, expected, date_mode):
    """The sheet: text cells hold the text as logged, the seconds columns numbers, no formulas."""
    check = Checker(f"sheet ({path.rsplit('/', 1)[-1]})")
    rows = read_ods(path)
    if len(rows) != len(expected):
        check.fault(len(rows), 0, f"{len(rows)} rows, expected {len(expected)}")
    for r, (got, want) in enumerate(zip(rows, expected)):
        if len(got) > FIELDS:
            check.fault(r, len(got) - 1, f"{len(got)} columns, expected {FIELDS}")
        got = got + [None] * (FIELDS - len(got))
        for c, (cell, w) in enumerate(zip(got, want)):
            if cell is not None and cell["formula"] is not None:
                check.fault(r, c, f"is a formula {cell['formula']!r} ({cell['type']} {cell['value']!r}), "
                                  f"expected {w!r}")
            elif isinstance(w, (int, float)):
                if cell is None or cell["type"] != "float" or float(cell["value"]) != w:
                    check.fault(r, c, f"holds {cell!r}, expected the number {w}")
            elif c == 0 and r > 0 and date_mode == "date":
                month, day, year = (int(part) for part in w.split("/"))
                want_date = datetime.date(year, month, day).isoformat()
                if cell is None or cell["type"] != "date" or cell["value"][:10] != want_date:
                    check.fault(r, c, f"holds {cell!r}, expected the date {want_date}")
            elif w == "":
                if cell is not None and not (cell["type"] == "string" and cell["value"] == ""):
                    check.fault(r, c, f"holds {cell!r}, expected nothing")
            elif cell is None or cell["type"] != "string" or cell["value"] != w:
                check.fault(r, c, f"holds {cell!r}, expected the text {w!r}")
    return check.done(f"{len(rows)} rows of {FIELDS} columns, text as logged, numbers, no formula")


def main(argv):
    mode, path, expected_path = argv[1:4]
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    if mode == "log":
        return check_log(path, expected)
    return check_sheet(path, expected, argv[4])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
