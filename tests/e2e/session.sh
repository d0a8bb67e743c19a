#!/usr/bin/env bash
# One session of the real program in a real window, driven as an observer would: start with an
# empty settings store, create a log through the start-up and Save dialogs, type a comment
# (answering both reminders), exit, then check the log file and the settings file it left.
# Run inside an X server (xvfb-run); the argument is the program.
set -euo pipefail

program=$1
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
log="$work/session one.csv"

fail() {
    echo "FAILED: $*"
    command -v import >/dev/null && import -window root "$work/../quorvane-e2e-failure.png" 2>/dev/null || true
    exit 1
}

# Waits for a shown window whose title matches, and gives it the keyboard. A search can fail
# while the toolkit creates and drops windows of its own, so it is simply tried again.
window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && break
        sleep 0.2
    done
    [ -n "$id" ] || fail "no window '$1'"
    xdotool windowfocus --sync "$id"
    sleep 0.3  # let the toolkit settle its focus before keys arrive
    echo "$id"
}

"$program" &
pid=$!

window '^Quorvane$' >/dev/null
xdotool key Return                          # OK: create a new log file
window '^Save As$' >/dev/null
xdotool key ctrl+a
xdotool type --delay 10 "$log"
xdotool key Return

main=$(window '^Quorvane - session one.csv$')
xdotool type --delay 10 "a"                 # any key asks to start the scenario timer
window '^Start Scenario Timer\?$' >/dev/null
xdotool key Return                          # Yes
window '^Start VCR Timer\?$' >/dev/null
xdotool key Return                          # Yes
xdotool windowfocus --sync "$main"
xdotool type --delay 10 "bc, first comment"
xdotool key Return
sleep 0.5

xdotool mousemove --window "$main" 20 10 click 1   # the File menu
sleep 0.5
xdotool key x                                       # Exit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end on Exit"
wait "$pid" || fail "the program ended with an error"

[ -f "$log" ] || fail "no log file"
rows=$(tr -d '\r' < "$log")
[ "$(printf '%s\n' "$rows" | wc -l)" -eq 3 ] || fail "expected 3 rows, got: $rows"
printf '%s\n' "$rows" | sed -n 1p | grep -q '^"Date","PC Time","VCR Time","VCR Time In Seconds",' || fail "header: $rows"
printf '%s\n' "$rows" | sed -n 2p | grep -q '"Participant Name","","\*\*\*START SCENARIO TIMER - \*\*\*"' || fail "start row: $rows"
printf '%s\n' "$rows" | sed -n 3p | grep -q '^"[0-9][0-9]/[0-9][0-9]/20[0-9][0-9]","[0-9][0-9]:[0-9][0-9]:[0-9][0-9] [AP]M","00:00:0[0-9]",[0-9],"00:00:0[0-9]",[0-9],"Participant Name","","abc, first comment"' || fail "comment row: $rows"
grep -q $'\r$' "$log" || fail "rows do not end with CR LF"

ini="$XDG_CONFIG_HOME/Quorvane/Quorvane.ini"
[ -f "$ini" ] || fail "no settings file"
for line in "0=$log" "Scenario%20Reminder=1" "VCR%20Reminder=1" "Maximized=False" "MainWidth=9000" "MainHeight=6000"; do
    grep -qxF "$line" "$ini" || fail "settings lack '$line': $(cat "$ini")"
done
echo "e2e session: ok"
