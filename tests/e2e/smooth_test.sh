#!/usr/bin/env bash
# Shift and Ctrl held through real drags, Ctrl+M and Ctrl+L from the keyboard,
# each state read back from a saved map.mef.
source "$(dirname "$0")/lib.sh"

# modified_drag MODIFIER X0 Y0 X...: a left drag with MODIFIER held from before the press.
modified_drag() {
    local modifier=$1
    shift
    xdotool windowfocus --sync "$WID"
    xdotool keydown "$modifier"
    drag 1 "$@"
    xdotool keyup "$modifier"
}

# The junction's handle (12, 8) at (130, 90) pulled level to (13.5, 10): the
# first segment's handle (10, 18) turns opposite, 8.01561 from the junction.
SMOOTHED=$'0 10 0.5 18\n2.48439 10 10.5 10\n5\n10.5 10 13.5 10\n14 8 16 10\n5'
# The last end point (170, 110) pulled to (193, 117) with Ctrl: held level.
LEVEL=$'0 10 0.5 18\n2.48439 10 10.5 10\n5\n10.5 10 13.5 10\n16.3 8 18.3 10\n5'

step "Shift keeps the junction smooth, Ctrl holds the end point level"
new_workdir smooth
start_editor
modified_drag shift 130 90 137 100 145 110
resave "$SMOOTHED" "map after the Shift drag"
modified_drag ctrl 170 110 180 115 193 117
resave "$LEVEL" "map after the Ctrl drag"

step "Ctrl+M smooths the selected junction, Enter does not, Ctrl+Z takes it back"
click 115 110
keys Return
resave "$LEVEL" "map after Enter"
keys ctrl+m
resave $'0 10 0.5 18\n7.45 10 10.5 10\n5\n10.5 10 13.55 10\n16.3 8 18.3 10\n5' "map after Ctrl+M"
keys ctrl+z
resave "$LEVEL" "map after Ctrl+M undone"

step "Ctrl+L straightens; with nothing selected both keys say so"
keys ctrl+l
resave $'0 10 3.5 10\n7 10 10.5 10\n5\n10.5 10 13.1 10\n15.7 10 18.3 10\n5' "map after Ctrl+L"
click 400 300
keys ctrl+m ctrl+l
wait_for 15 "both keys to say so" eval '[ "$(grep -cx "Nothing to smooth: select the segments first" "$E2E_LOG")" -eq 2 ]'
stop_editor

echo "PASS smooth_test"
