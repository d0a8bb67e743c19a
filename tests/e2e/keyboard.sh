#!/usr/bin/env bash
# A whole session from the keyboard, not one click, from the start-up dialog to Alt+F, x; then
# the log and the settings file it left.
source "$(dirname "$0")/lib.sh"
log="$work/session one.csv"
printf '%s\n' '[Scenarios]' 'Number%20Of%20Scenarios=1' 'Scenario%200=Task 2 Checkout' 'Scenario%201=Task 1 Search' \
    '[Buttons]' 'Number%20Of%20Buttons=2' 'Button%200=&Error' 'Button%201=Asks for help' 'Button%202=Gives up' >"$ini"
start
xdotool key Return                          # OK: create a new log file
file_dialog 'Save As' "$log"
xdotool type a                              # typing asks to start the scenario timer
answer '^Start Scenario Timer\?$' Return    # Yes, which asks to start the VCR timer
answer '^Start VCR Timer\?$' Return         # Yes
back
say "bc, first comment" 3
xdotool type --delay 10 "half typed"
press ctrl+1 4 && press ctrl+3 5            # the buttons leave the typed text alone
say " and done" 6
press F6 7 && press F5 8                    # pause, resume
say "after resume" 9
press F7 10                                 # stop
# Shift+Tab out of the comment box is a key typed there while the scenario timer stands, so it
# asks; No (Esc) leaves the timer stopped and the focus moves on, past Start to the picker.
xdotool key shift+Tab
answer '^Start Scenario Timer\?$' Escape
back
xdotool key shift+Tab shift+Tab Down        # the next scenario
press F5 11                                 # the VCR timer runs: nothing asks
say "second task" 12
press F7 13
quit

buttons='"Button - Error","Button - Asks for help","Button - Gives up"'
[ "$(head -n 1 "$log")" = "$titles,$buttons$(printf ',"Button - "%.0s' {1..7})"$'\r' ] || fail "the header row"
whole_rows
entries 'Task 1 Search|***START SCENARIO TIMER - Task 1 Search***
Task 1 Search|abc, first comment
Task 1 Search|Error|1=Error
Task 1 Search|Gives up|3=Gives up
Task 1 Search|half typed and done
Task 1 Search|***PAUSE SCENARIO TIMER - Task 1 Search***
Task 1 Search|***RESUME SCENARIO TIMER - Task 1 Search***
Task 1 Search|after resume
Task 1 Search|***STOP SCENARIO TIMER - Task 1 Search***
Task 2 Checkout|***START SCENARIO TIMER - Task 2 Checkout***
Task 2 Checkout|second task
Task 2 Checkout|***STOP SCENARIO TIMER - Task 2 Checkout***'
# One participant; the VCR timer never goes back, the scenario timer only to 0 at a start.
table | awk -F'\t' 'NR > 1 { if ($7 != "Participant Name" || $4 < v || ($9 ~ /START/ ? $6 != 0 : $6 < s)) exit 1
    v = $4; s = $6 }' || fail "the participant or the timers"
for line in "0=$log" Scenario%20Reminder=1 VCR%20Reminder=1 Maximized=False MainWidth=9000 MainHeight=6000; do
    grep -qxF "$line" "$ini" || fail "the settings lack '$line': $(cat "$ini")"
done
echo "e2e keyboard: ok"
