#!/usr/bin/env bash
# The installed program as a desktop starts it, from nothing but the installed tree: a log made
# through the start-up and Save dialogs, then F1 shows a window titled "Quorvane Help" only when
# the help document was found. Usage: check_installed.sh <prefix>
[ "${1:-}" = --in-x ] || exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --in-x "$@"
source "$(dirname "$0")/../e2e/lib.sh" "$(cd "$2" && pwd)/bin/quorvane"
cd "$work"  # started from elsewhere, so nothing is found through the working folder
start
xdotool key Return
file_dialog 'Save As' "$work/log.csv"
xdotool key F1
window '^Quorvane Help$' >/dev/null
echo "the installed program shows its help"
