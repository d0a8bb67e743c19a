# Shared by the end-to-end tests, sourced with the program as $1: the real program in an X server
# of its own (xvfb-run) under a window manager, in an empty home, driven by keys and clicks.
set -eEuo pipefail
program=$1 work=$(mktemp -d) pid="" helpers=() shot=$PWD/e2e-$(basename "$0" .sh)-failure.png
trap 'for p in $pid "${helpers[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR
exec 3>&2  # where fail speaks, wherever a helper's output goes
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
unset QT_QPA_PLATFORM QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
mkdir -p "$XDG_CONFIG_HOME/Quorvane" && mkdir -m 700 "$XDG_RUNTIME_DIR"
ini=$XDG_CONFIG_HOME/Quorvane/Quorvane.ini

# Said once (a helper may fail inside $(...)), with the windows, the screen, the output and the log.
fail() {
    [ -e "$work/failed" ] && exit 1 || touch "$work/failed"
    { echo "FAILED: $*"
      for w in $(xdotool search --onlyvisible --name . || true); do echo "  window: '$(xdotool getwindowname "$w")'"; done
      ! command -v import >/dev/null || ! import -window root "$shot" || echo "  screen: $shot"
      sed 's/^/  output: /' "$work/output.log"; [ -z "${log:-}" ] || sed 's/^/  log: /' "$log"; } >&3 2>/dev/null || true
    exit 1
}
# wait_for <what fails> <command...>: tries the command for up to 20 s.
wait_for() { local _; for _ in {1..100}; do "${@:2}" &>/dev/null && return 0; sleep 0.2; done; fail "$1"; }
found() {
    [ -z "$pid" ] || kill -0 "$pid" || fail "the program ended"
    found_id=$(xdotool search --onlyvisible --name "$1" | head -n 1) && [ -n "$found_id" ]
}
hidden() { ! xdotool search --onlyvisible --class quorvane | grep -x "$1" >/dev/null; }
active() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
count() { { xdotool search --onlyvisible --name "$1" || true; } | wc -l; }

# The window manager: focus, Alt keys and placement as on a desktop.
if command -v openbox >/dev/null; then
    openbox &>>"$work/output.log" &
    helpers+=($!)
    wait_for "the window manager did not start" xdotool get_num_desktops
fi

# window <title regex>: waits for a shown window so titled, gives it the keyboard, prints its id.
window() {
    wait_for "no window '$1'" found "$1"
    timeout 5 xdotool windowactivate --sync "$found_id" 2>/dev/null || timeout 5 xdotool windowfocus --sync "$found_id" || true
    wait_for "window '$1' does not get the keyboard" active "$found_id"
    sleep 0.2  # the toolkit settles its focus
    echo "$found_id"
}
# answer <title regex> <key>: a dialog so titled shows; the key closes it. back: to the main window.
answer() { local id; id=$(window "$1"); xdotool key "$2"; wait_for "'$1' stayed after $2" hidden "$id"; }
back() { wait_for "the keyboard is not back in the main window" active "$main"; sleep 0.2; }
# start [command prefix...]: the program (after a prefix such as prlimit) shows its start-up dialog.
start() { "$@" "$program" &>>"$work/output.log" & pid=$!; window '^Quorvane$' >/dev/null; }
# file_dialog <Save As|Open> <path>: names the file. While the dialog still reads its folder the
# name's completer can take Return, so the name is touched and Return pressed until it goes.
file_dialog() {
    local id _
    id=$(window "^$1\$")
    xdotool key ctrl+a type --delay 10 "$2"
    for _ in {1..10}; do
        xdotool key Return && sleep 0.5
        hidden "$id" && { main=$(window "^Quorvane - $(basename "$2")\$"); return 0; }
        xdotool key BackSpace type "${2: -1}"
    done
    fail "the $1 dialog does not take $2"
}
# File > Exit from the keyboard (the open menu takes the x): the program ends, and well.
quit() { xdotool key alt+f x; wait_for "the program did not end on Exit" eval '! kill -0 $pid'; wait "$pid" || fail "it failed on Exit"; }
# say <text> <rows>: a comment entered, press <key> <rows>: a key; then the log has so many rows.
say() { xdotool type --delay 10 "$1"; press Return "$2"; }
press() { xdotool key "$1"; logged "$2"; }
logged() { wait_for "the log has not $1 rows" eval '[ "$(wc -l <"$log")" -ge '"$1"' ]'; }

titles='"Date","PC Time","VCR Time","VCR Time In Seconds","Scenario Time","Scenario Time In Seconds","Participant","Scenario","Comment"'
# A log made before without event buttons: its header row and one comment row.
seed_log() {
    printf '%s%s\r\n' "$titles" "$(printf ',"Button - "%.0s' {1..10})" >"$log"
    printf '"01/02/2026","10:00:00 AM","00:00:00",0,"00:00:00",0,"P1","Task 10","made before"%s\r\n' \
        "$(printf ',""%.0s' {1..10})" >>"$log"
}
# The log's rows, fields tab-separated, without quotes and line ends (a text field holds no quote).
table() { sed -E 's/\r$//; s/("[^"]*"|[^,"]*),/\1\t/g; s/"//g' "$log"; }
# Whole rows only: every line ends in CR LF; the header, then rows of 19 fields whose dates and
# times read as such and whose seconds agree with their times.
whole_rows() {
    [ "$(grep -vc $'\r$' "$log")" = 0 ] && [ "$(tail -c 2 "$log" | od -An -tx1)" = " 0d 0a" ] ||
        fail "a line does not end in CR LF"
    table | awk -F'\t' 'function s(t) { split(t, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
        NF != 19 || NR == 1 && $1 != "Date" { exit 1 }
        NR > 1 && ($1 !~ /^[01][0-9]\/[0-3][0-9]\/2[0-9][0-9][0-9]$/ || $2 !~ /^[01][0-9]:[0-5][0-9]:[0-5][0-9] [AP]M$/ ||
            $3 !~ /^[0-9][0-9]:[0-5][0-9]:[0-5][0-9]$/ || $4 != s($3) || $6 != s($5)) { exit 1 }' ||
        fail "rows that are not whole log rows"
}
# entries <expected>: the rows but the header as Scenario|Comment|n=caption of each event column n filled.
entries() {
    table | awk -F'\t' 'NR > 1 { s = $8 "|" $9; for (i = 10; i <= 19; i++) if ($i != "") s = s "|" (i - 9) "=" $i; print s }' |
        diff - <(echo "$1") || fail "the entries differ (< logged, > expected)"
}
