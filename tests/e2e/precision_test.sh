#!/usr/bin/env bash
# Precision mode in the real window: the grid and readout, a nudge and its
# undo, typed positions written by a save, and one longer than the field shows.
source "$(dirname "$0")/lib.sh"

GRID="56 56 56"
# The junction typed to (12.25, -3.5): both handles moved by the same offset.
TYPED=$'0 10 0.5 18\n11.75 4.5 12.25 -3.5\n5\n12.25 -3.5 13.75 -5.5\n14 8 16 10\n5'

step "Ctrl+G draws the grid and the readout"
new_workdir precision
start_editor
shot
expect_pixel 20 305 $BLACK "no grid before Ctrl+G"
keys ctrl+g
# View offset (10, 10) at zoom 1: a line every 10 pixels from column 10.
wait_pixel 20 305 $GRID "a vertical grid line at x 20"
expect_pixel 25 300 $GRID "a horizontal grid line at y 300"
expect_pixel 25 305 $BLACK "no line between the nodes"

step "an arrow key nudges the picked junction to the next node, Ctrl+Z takes it back"
click 115 110
keys Right
wait_pixel 122 112 $MAGENTA "the junction at (11, 10), drawn at (120, 110)"
shot
[ "$(lit_pixels 120 558 675 17)" -gt 0 ] || fail "the readout shows no point while it is nudged"
[ "$(lit_pixels 120 505 675 36)" -eq 0 ] || fail "the readout drew above its rows"
save_shot precision
keys ctrl+z
wait_pixel 117 112 $MAGENTA "the junction back at (115, 110)"

step "Ctrl+E: a refused text keeps the panel open; typed numbers move the junction exactly, and a save writes them"
keys ctrl+e
wait_pixel 528 240 $TEAL "the entry panel to show"
keys a b c Return
wait_for_log_line 'Warning: position X "abc" is not a number'
keys BackSpace 1 2 period 2 5 Tab minus 3 period 5 Return
wait_pixel_not 528 240 $TEAL "Enter closes the panel"
rm -f map.mef
save_map
expect_file_content map.mef "$TYPED" "the map with the typed junction"

step "a typed number longer than the field shows: every character is taken, nothing drawn outside the panel"
click 10 110
keys ctrl+e
wait_pixel 528 240 $TEAL "the entry panel to show"
# "0." and 36 zeros, then "12": 40 characters, 1.2e-37.
# shellcheck disable=SC2046 # one key name per word
keys 0 period $(printf '0 %.0s' $(seq 36)) 1 2
shot
[ "$(lit_pixels 300 235 225 20)" -gt 0 ] || fail "the field shows no text"
[ "$(lit_pixels 531 225 269 90)" -eq 0 ] || fail "the field drew right of the panel"
keys Tab 1 0 Return
wait_pixel_not 528 240 $TEAL "Enter closes the panel"
stop_editor

echo "PASS precision_test"
