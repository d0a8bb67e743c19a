#!/usr/bin/env bash
# A file size limit reports, it does not kill: a comment too long for the limit is not written,
# the program says so and goes on with the comment kept; the log holds whole rows only.
source "$(dirname "$0")/lib.sh"
command -v prlimit >/dev/null || fail "no prlimit (util-linux)"
log=$work/limited.csv
seed_log
printf '%s\n' '[Reminders]' 'VCR%20Reminder=0' 'Scenario%20Reminder=0' >"$ini"

# The texts shown are read over the accessibility bus of a session bus of the test's own.
dbus-daemon --session --nofork --print-address=1 >"$work/bus" 2>/dev/null &
helpers+=($!)
wait_for "no session bus" test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus") QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
a11y() { gdbus call --address "$bus" --dest "${app:-org.a11y.atspi.Registry}" --object-path "/org/a11y/atspi/accessible/$1" \
    --method "${@:2}"; }
registered() {  # the program's name on the accessibility bus
    bus=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress |
        cut -d"'" -f2)
    app=$(a11y root org.a11y.atspi.Accessible.GetChildren | grep -o "':1\.[0-9]*'" | head -n 1 | tr -d "'") && [ -n "$app" ]
}
texts() {  # of an object and all within it: their names, and the texts held by those unnamed
    local name child
    name=$(a11y "$1" org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name) && echo "$name"
    [ "$name" != "(<''>,)" ] || a11y "$1" org.a11y.atspi.Text.GetText 0 100000 2>/dev/null || true
    for child in $(a11y "$1" org.a11y.atspi.Accessible.GetChildren | grep -o "accessible/[0-9]*" | cut -d/ -f2 || true); do texts "$child"; done
}
shows() { local all; all=$(texts root); grep -qF "$1" <<<"$all" || fail "$2; the texts shown: $all"; }

start prlimit --fsize=$(($(stat -c %s "$log") + 200))
wait_for "the program is not on the accessibility bus" registered
xdotool key Down Return                     # OK: open an existing log file
file_dialog Open "$log"
long=$(printf 'too long %.0s' {1..45})
xdotool type --delay 2 "$long"
xdotool key Return
box=$(window '^Quorvane$')
kill -0 "$pid" || fail "the program ended at the limit"
shows "could not be written" "the message box does not say the entry could not be written"
xdotool key Return
wait_for "the message box stayed" hidden "$box"
back
shows "${long% }" "the comment is not kept in its box"
xdotool key ctrl+a BackSpace
say ok 3
quit
whole_rows
[ "$(wc -l <"$log")" = 3 ] && ! grep -q "too long" "$log" || fail "the log holds more than it should"
entries 'Task 10|made before
|ok'
echo "e2e limits: ok"
