#!/usr/bin/env bash
# Starts the installed program as a desktop would, using nothing but the installed tree: with an
# empty settings store, creates a log through the start-up and Save dialogs, starts the timers
# and opens Help > Contents, whose window is titled "Quorvane Help" only when the help document was found.
# Runs in an X server of its own (xvfb-run), driven with xdotool. Usage: check_installed.sh <prefix>
set -euo pipefail

if [ "${1:-}" != --in-x ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --in-x "$@"
fi
prefix=$(cd "$2" && pwd)
program="$prefix/bin/quorvane"
[ -x "$program" ] || { echo "FAILED: no program $program"; exit 1; }

work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/logs"
unset QT_QPA_PLATFORM

# To standard error, as window's standard output may be thrown away.
fail() {
    {
        echo "FAILED: $*"
        echo "Windows shown:"
        for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            echo "  '$(xdotool getwindowname "$id" 2>/dev/null)'"
        done
        echo "The program's output:"
        sed 's/^/  /' "$work/program.log"
    } >&2
    exit 1
}

# Waits for a shown window whose title matches, and gives it the keyboard. A search can fail
# while the toolkit creates and drops windows of its own, so it is simply tried again.
window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && break
        kill -0 "$pid" 2>/dev/null || fail "the program ended"
        sleep 0.2
    done
    [ -n "$id" ] || fail "no window '$1'"
    xdotool windowfocus --sync "$id"
    sleep 0.3  # let the toolkit settle its focus before keys arrive
    echo "$id"
}

# Started from another folder, so nothing is found through the working directory.
(cd "$work" && exec "$program") >"$work/program.log" 2>&1 &
pid=$!

window '^Quorvane$' >/dev/null
xdotool key Return                          # OK: create a new log file
window '^Save As$' >/dev/null
xdotool key ctrl+a
xdotool type --delay 10 "$work/logs/log.csv"
xdotool key Return

main=$(window '^Quorvane - log\.csv$')
# Any key in the comment box, Alt too, first asks to start the timers: start them, so that the
# menu gets the keys after.
xdotool type --delay 10 "a"
window '^Start Scenario Timer\?$' >/dev/null
xdotool key Return                          # Yes
window '^Start VCR Timer\?$' >/dev/null
xdotool key Return                          # Yes
xdotool windowfocus --sync "$main"
sleep 0.3
xdotool key alt+h                           # the Help menu
sleep 0.5
xdotool key c                               # Contents
window '^Quorvane Help$' >/dev/null
echo "the installed program shows its help"
