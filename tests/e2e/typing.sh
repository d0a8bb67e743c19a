#!/usr/bin/env bash
# A fast typist: a sentence typed at a few milliseconds a key while the scenario reminder asks goes
# into the log whole and once, the timers started only by a deliberate answer; a menu closed with
# Esc leaves the next keys to the comment box; a slipped event press is taken back with Ctrl+Z.
source "$(dirname "$0")/lib.sh"
log="$work/typing.csv"
printf '%s\n' '[Scenarios]' 'Number%20Of%20Scenarios=0' 'Scenario%200=Basket' \
    '[Buttons]' 'Number%20Of%20Buttons=1' 'Button%200=Error' 'Button%201=Hesitation' >"$ini"
start
xdotool key Return                          # OK: create a new log file
file_dialog 'Save As' "$log"
sentence="Not sure where the basket is, yes or no, nothing typed is lost"
xdotool type --delay 2 "$sentence"          # its first key asks to start the scenario timer
window '^Start Scenario Timer\?$' >/dev/null
xdotool key ctrl+2                          # Hesitation, pressed while it asks: kept for after it
[ "$(wc -l <"$log")" = 1 ] || fail "a blank or a letter answered the reminder"
answer '^Start Scenario Timer\?$' Return    # Yes, the default: now the VCR reminder
answer '^Start VCR Timer\?$' Return
back
logged 3                                    # the START row, then Hesitation
press Return 4                              # the whole sentence
xdotool key alt+f Escape                    # a menu opened and closed from the keyboard
xdotool type --delay 4 "after the menu"
press Return 5
xdotool key ctrl+e                          # the comment just logged, corrected from the comment box
window '^Quorvane$' >/dev/null
xdotool type --delay 4 "after the menu, corrected" && xdotool key Return
wait_for "Ctrl+E did not correct the comment" grep -q 'after the menu, corrected' "$log"
back
press ctrl+1 6                              # Error, where Hesitation was meant
press ctrl+z 5 && press ctrl+2 6            # taken back; the right one
quit
whole_rows
entries "Basket|***START SCENARIO TIMER - Basket***
Basket|Hesitation|2=Hesitation
Basket|$sentence
Basket|after the menu, corrected
Basket|Hesitation|2=Hesitation"
grep -q '"Error"' "$log.removed-rows.csv" || fail "the slip is not kept beside the log"
echo "e2e typing: ok (${#sentence} characters typed during the reminder, ${#sentence} logged)"
