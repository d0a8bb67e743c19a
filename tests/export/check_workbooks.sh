#!/usr/bin/env bash
# Exports a log of awkward texts and its summary as workbooks with the program's own exporter,
# then reads them back with two independent readers: Python's openpyxl, and LibreOffice Calc
# (headless, with a profile of its own), which converts them to OpenDocument for the cell types
# and to CSV as it shows them. Then a big log's export: its row count, read as it streams.
#
#   check_workbooks.sh <make_workbooks> <soffice> <python3 with openpyxl> [big rows]
set -euo pipefail

make=$1
soffice=$2
python=$3
big_rows=${4:-100000}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$make" awkward "$work"
status=0
"$python" "$here/check_workbooks.py" openpyxl "$work" || status=1

calc() {  # calc <format> <file>...
    local format=$1
    shift
    HOME="$work/home" timeout -k 10 120 "$soffice" -env:UserInstallation="file://$work/profile" \
        --headless --norestore --nologo --convert-to "$format" --outdir "$work" "$@" >"$work/calc.out" 2>&1 ||
        { echo "LibreOffice failed:"; cat "$work/calc.out"; return 1; }
}
calc ods "$work/log.xlsx" "$work/summary.xlsx" && "$python" "$here/check_workbooks.py" calc "$work" || status=1
# As Calc shows the log: every date in one form whatever the locale, every text as typed.
# CSV options: comma, ", UTF-8, from line 1, English (USA), cell contents as shown.
if calc 'csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,false,true' "$work/log.xlsx"; then
    grep -q '^2026-12-05,11:15:07 AM,0:12:34,754,' "$work/log.csv" ||
        { echo "Calc shows the first entry otherwise:"; sed -n 2p "$work/log.csv"; status=1; }
    grep -q ',=1+1,' "$work/log.csv" && grep -q ',@home,' "$work/log.csv" && grep -q ',-- no reaction,' "$work/log.csv" ||
        { echo "Calc does not show the formula-like texts as typed"; status=1; }
else
    status=1
fi

"$make" big "$work" "$big_rows"
"$python" "$here/check_workbooks.py" rows "$work/big.xlsx" "$big_rows" || status=1
echo "big log: $(stat -c %s "$work/big.csv") bytes of CSV, $(stat -c %s "$work/big.xlsx") bytes of workbook"
[ "$(stat -c %s "$work/big.xlsx")" -lt "$(stat -c %s "$work/big.csv")" ] ||
    { echo "the workbook is larger than the log"; status=1; }
# Nothing left beside the workbooks: no temporary file of ours or of the writer's.
leftovers=$(find "$work" -maxdepth 1 -name '.*' ! -name . | wc -l)
[ "$leftovers" -eq 0 ] || { echo "temporary files left:"; ls -la "$work"; status=1; }
exit $status
