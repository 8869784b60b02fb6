#!/usr/bin/env bash
# Many points at once in the real window: a band drawn with Shift held and
# its points dragged together, Ctrl+click splitting a curve and Delete
# dissolving the new junction, Shift+click building a group that h flips,
# Home fitting the view, each written by a save.
source "$(dirname "$0")/lib.sh"

CYAN="0 255 255"
INITIAL=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'
# The junction and both its handles moved one unit right and two down.
DRAGGED=$'0 10 0.5 18\n11 20 11.5 12\n5\n11.5 12 13 10\n14 8 16 10\n5'
# Both ends flipped left to right about x 8, each with its handle.
FLIPPED=$'16 10 15.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n2 8 0 10\n5'

step "Shift and a drag on empty map draw a band; the release picks the junction"
new_workdir many
start_editor
xdotool keydown shift
move 100 80
xdotool mousedown 1
xdotool mousemove --window "$WID" 120 100
xdotool mousemove --window "$WID" 135 125
wait_pixel 120 80 $CYAN "the band's top edge"
# The top edge shows from the first motion on; the right edge once the last is drawn.
wait_pixel 135 100 $CYAN "the band's right edge"
xdotool mouseup 1
xdotool keyup shift
wait_pixel_not 120 80 $CYAN "the band to go at the release"

step "a press on a band-picked point drags all of them"
drag 1 115 110 120 120 125 130
resave "$DRAGGED" "the junction and its handles moved together"
keys ctrl+z
resave "$INITIAL" "one undo step for the drag"

step "Ctrl+click on segment 1's curve splits it there; Delete dissolves the new junction"
xdotool keydown ctrl
click 141 95
xdotool keyup ctrl
rm -f map.mef
save_map
[ "$(grep -c '^[0-9-]*$' map.mef)" -eq 3 ] || fail "no third segment after Ctrl+click: $(cat map.mef)"
keys Delete
resave "$INITIAL" "the dissolved junction gives back the segment"

step "Shift+click picks both ends, drawn in cyan and counted; h flips them as one step"
click 400 300
shot
count_before=$(lit_pixels 120 558 350 17)
xdotool keydown shift
click 10 110
click 170 110
xdotool keyup shift
wait_pixel 170 110 $CYAN "the second picked end"
pixel_is_now 10 110 $CYAN || fail "the first picked end is not cyan"
[ "$(lit_pixels 120 558 350 17)" -gt "$count_before" ] || fail "no count of the picked points"
keys h
resave "$FLIPPED" "the ends flipped about the centre of their box"
keys ctrl+z
resave "$INITIAL" "one undo step for the flip"
click 400 300
wait_pixel_not 170 110 $CYAN "the picks to go at a press on the empty map"

step "Home fits the view below the open file bar: zoom 4.25, the junction drawn at (506, 140)"
keys Home

wait_pixel 504 138 $MAGENTA "the junction of the fitted view"
! log_matches "glutGetModifiers" || fail "the modifiers were read outside an input callback"
stop_editor

echo "PASS many_test"
