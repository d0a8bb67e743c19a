#!/usr/bin/env bash
# Windows and keys as a user meets them, the mouse allowed: an event button of a narrow window, a
# scenario typed as the start of a listed one, a typed tape time, the button dialog at its limit.
source "$(dirname "$0")/lib.sh"
log=$work/existing.csv
seed_log
# click <left> <top> <width> <height>: the middle of a rectangle in twips (15 to a pixel) of the
# client area, below the menu bar: 18 pixels high in the window's font, measured on a screenshot.
click() { xdotool mousemove --window "$main" $((($1 + $3 / 2) / 15)) $((18 + ($2 + $4 / 2) / 15)) click 1; }
printf '%s\n' '[Settings]' 'Maximized=False' 'MainWidth=8000' 'MainHeight=6000' '[Reminders]' 'VCR%20Reminder=0' \
    'Scenario%20Reminder=0' '[Scenarios]' 'Number%20Of%20Scenarios=1' 'Scenario%200=Task 10' 'Scenario%201=Task 2' \
    '[Buttons]' 'Number%20Of%20Buttons=2' 'Button%200=&Error' 'Button%201=Asks for help' 'Button%202=Gives up' >"$ini"
start
xdotool key Down Return                     # OK: open an existing log file
file_dialog Open "$log"
# Laid out for the 9000-twip design width, the third of three buttons spans 5960 to 8760 twips,
# 4305 from the top: its middle lies inside the 8000-twip window.
click $((120 + 2 * 2920)) 4305 2800 375 && logged 3
click 6000 840 1200 315                     # the scenario picker's text (in its frame at 5880, 120)
xdotool key ctrl+a type --delay 10 "Task 1"
click 1080 4800 2000 285                    # the comment box
say "by prefix" 4
click 4560 840 1335 375                     # the VCR time (in its frame at 3000, 120)
xdotool type --delay 10 010203
xdotool key F2                              # the VCR timer starts at that tape time
say "on tape" 5
quit
whole_rows
entries 'Task 10|made before
Task 10|Gives up|3=Gives up
Task 1|by prefix
Task 1|on tape'
table | awk -F'\t' 'NR == 5 && $3 ~ /^01:02:0[34]$/ { ok = 1 } END { exit !ok }' || fail "the tape time"

# Ten buttons, the most there may be: Return in the dialog's text box tries to add an eleventh.
{ echo '[Buttons]' && echo 'Number%20Of%20Buttons=9' && for i in {0..9}; do echo "Button%20$i=Event $i"; done; } >"$ini"
start
xdotool key Down Return
file_dialog Open "$log"
xdotool key alt+c Return                    # Custom Event Buttons > Set Up Custom Event Buttons...
dialog=$(window ' - Set Up Custom Event Buttons$')
xdotool type --delay 10 "Event 10"
xdotool key Return
box=$(window '^Quorvane$')
[ "$(count '^Quorvane$')" = 1 ] || fail "more than one message box at once"
xdotool key Return
wait_for "the message box stayed" hidden "$box"
sleep 1  # time enough for a second one to show
[ "$(count '^Quorvane$')" = 0 ] || fail "a second message box"
window ' - Set Up Custom Event Buttons$' >/dev/null
xdotool key Escape                          # keeps the list, as OK does
wait_for "Esc does not close the dialog" hidden "$dialog"
back
quit
grep -qxF 'Number%20Of%20Buttons=9' "$ini" && ! grep -q 'Event 10' "$ini" || fail "the button list: $(cat "$ini")"
echo "e2e windows: ok"
