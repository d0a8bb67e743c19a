#!/usr/bin/env bash
# Writes a log full of awkward texts with the program's own row writer, checks it as logged, then
# opens it in LibreOffice Calc (headless) with the import options a user should choose and checks
# every cell: text exactly as logged, the two seconds columns numbers, no formula anywhere.
#
#   check_log.sh <make_awkward_log> <soffice> <python3>
#
# The import options are the CSV filter's option string, token by token:
#    1  44          field separator: comma only (the dialog also ticks semicolon and tab)
#    2  34          text delimiter: "
#    3  76          character set: UTF-8 (left alone, headless Calc reads Windows-1252)
#    4  1           start at line 1 (the header row becomes row 1)
#    5  columns     per column "number/format": 1 Standard, 2 Text, 3 Date (MDY); see below
#    6  1033        language English (USA): numbers and dates read alike on every machine
#    7  true|false  "Format quoted field as text"
#    8  false       "Detect special numbers" off: no dates, times or "1.00E+05" guessed
#    9, 10          export only
#   11  false       "Trim spaces" off: leading and trailing blanks are kept
#   12              export only
#   13  false       "Evaluate formulas" off (the dialog's default)
# Two sets are checked, either of which keeps every text as logged:
#   quoted-as-text  token 7 true, token 5 empty: every quoted field is text, every bare field a
#                   number, exactly as the log types them; the Date column stays text.
#   column-types    token 7 false (it would override a column's Date format), token 5 sets
#                   column 1 Date (MDY), columns 4 and 6 Standard, every other column Text.
set -euo pipefail

make_log=$1
soffice=$2
python=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$make_log" "$work/log.csv" "$work/expected.json"
"$python" "$here/check_log.py" log "$work/log.csv" "$work/expected.json"

columns="1/3"
for c in $(seq 2 19); do
    case $c in 4 | 6) columns+="/$c/1" ;; *) columns+="/$c/2" ;; esac
done
sets=(
    "quoted-as-text text 44,34,76,1,,1033,true,false,,,false,,false"
    "column-types date 44,34,76,1,$columns,1033,false,false,,,false,,false"
)

status=0
for set in "${sets[@]}"; do
    read -r name date_mode options <<<"$set"
    mkdir "$work/$name"
    # A profile of its own in the temporary folder, so no running or earlier Calc takes part.
    if ! HOME="$work/home" timeout -k 10 120 "$soffice" -env:UserInstallation="file://$work/profile" \
            --headless --norestore --nologo \
            --infilter="Text - txt - csv (StarCalc):$options" \
            --convert-to ods --outdir "$work/$name" "$work/log.csv" >"$work/$name.out" 2>&1 ||
            [ ! -f "$work/$name/log.ods" ]; then
        echo "$name: LibreOffice made no spreadsheet:"
        cat "$work/$name.out"
        status=1
        continue
    fi
    cp "$work/$name/log.ods" "$work/$name/$name.ods"
    "$python" "$here/check_log.py" ods "$work/$name/$name.ods" "$work/expected.json" "$date_mode" || status=1
done
exit $status
