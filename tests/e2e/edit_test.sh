#!/usr/bin/env bash
# Editing in the real window: dragging points with every mouse button, the
# point commands, the resolution slider, the view keys, and presses on
# controls that must not reach the map. Every result is read back from a
# saved map.mef or from the screen.
source "$(dirname "$0")/lib.sh"

SECOND_INITIAL=$'10.5 10 12 8\n14 8 16 10\n5'

# resave EXPECTED WHAT: saves the map anew and compares map.mef.
resave() {
    rm -f map.mef
    save_map
    expect_file_content map.mef "$1" "$2"
}

step "dragging the junction with the right button moves both copies and both handles"
new_workdir drag
start_editor
# (115, 110) -> (200, 150) is (19, 14) in map units; the handles keep their offsets.
drag 3 115 110 150 130 180 140 200 150
wait_pixel 202 152 $MAGENTA "the junction drawn at (200, 150)"
resave $'0 10 0.5 18\n18.5 22 19 14\n5\n19 14 20.5 12\n14 8 16 10\n5' "map after dragging the junction"

step "dragging a handle with the middle button moves that handle alone"
# The first segment's start handle is drawn at (15, 190); (40, 200) is (3, 19).
drag 2 15 190 30 195 40 200
wait_pixel 42 202 $GREEN "the handle drawn at (40, 200)"
resave $'0 10 3 19\n18.5 22 19 14\n5\n19 14 20.5 12\n14 8 16 10\n5' "map after dragging a handle"

step "a press on empty map deselects: Remove Point then removes nothing"
click 300 300
open_point_bar
press_point_button remove
resave $'0 10 3 19\n18.5 22 19 14\n5\n19 14 20.5 12\n14 8 16 10\n5' "map after Remove with nothing selected"
stop_editor

step "a drag that starts in the map stays with the map over a control"
new_workdir drag-under-control
start_editor
# End point (170, 110) onto the file bar's Max button at (770, 20), which is
# (76, 1) in map units; its handle keeps the offset (2, 2).
drag 1 170 110 400 60 700 30 770 20
# The marker follows a drag that starts on it.
drag 1 13 20 40 40 60 60
wait_pixel 60 60 $WHITE "the marker dragged to (60, 60)"
log_has_line "Maximize pressed" && fail "the drag over the Max button pressed it"
resave $'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n74 -1 76 1\n5' "map after dragging an end point under a control"
stop_editor

step "Append Point adds a segment after the last one"
new_workdir append
start_editor
open_point_bar
press_point_button append
wait_pixel 202 112 $MAGENTA "the appended end point at (200, 110)"
resave $'0 10 0.5 18\n10 18 10.5 10\n5\n'"$SECOND_INITIAL"$'\n16 10 17 11\n18 11 19 10\n5' "map after Append Point"
stop_editor

step "a press on the junction and Remove Point empty the chain"
new_workdir remove
start_editor
click 115 110
open_point_bar
press_point_button remove
wait_pixel 117 112 $BLACK "the junction to disappear"
resave "" "map after removing both segments"
stop_editor

step "Insert Point splits the selected segment and keeps the exported profile"
new_workdir insert
printf ':\n' >copy.bat
start_editor
click 10 110
export_map
wait_for 5 "gnd.pts" test -f gnd.pts
mv gnd.pts gnd-before.pts
open_point_bar
press_point_button insert
# The split point (5.25, 16) becomes an end point: a magenta square at (62.5, 170).
wait_pixel 64 172 $MAGENTA "the new junction at (62.5, 170)"
export_map
wait_for 5 "gnd.pts after the split" test -f gnd.pts
# The halves' samples equal the whole's up to rounding; for this segment the
# printed profile is the same, though in general the last digit may differ.
cmp -s gnd-before.pts gnd.pts || fail "the exported profile changed after Insert Point:
$(diff gnd-before.pts gnd.pts)"
resave $'0 10 0.25 14\n2.75 16 5.25 16\n2\n5.25 16 7.75 16\n10.25 14 10.5 10\n2\n'"$SECOND_INITIAL" \
    "map after Insert Point"
# The press on Insert Point did not reach the map: both halves are still
# selected, so Remove Point takes them and leaves the second segment.
press_point_button remove
resave "$SECOND_INITIAL" "map after Remove Point following Insert Point"
stop_editor

step "the slider sets the resolution of the selected segment"
new_workdir slider
start_editor
click 10 110
# Knob at 81.6 (value 5). While dragging, each motion first hands the
# previous value to the map, then takes the new one: 300 -> trunc(50*298/796)
# = 18 reaches the map, 402 -> 25 is shown.
drag 1 81 590 200 590 300 590 402 590
wait_pixel 400 582 $WHITE "the knob at value 25 (x = 400)"
shot
expect_pixel 81 582 $BLACK "the knob has left value 5"
resave $'0 10 0.5 18\n10 18 10.5 10\n18\n'"$SECOND_INITIAL" "map after the slider drag"
# A press on the slider hands over the value it shows and deselects nothing.
click 402 590
resave $'0 10 0.5 18\n10 18 10.5 10\n25\n'"$SECOND_INITIAL" "map after a press on the slider"
stop_editor

step "keys a, d, w, s shift the view by 15 pixels; others do nothing"
new_workdir keys
start_editor
keys d
wait_pixel 157 112 $MAGENTA "end point at (155, 110) after d"
expect_pixel 172 112 $BLACK "nothing left at (170, 110) after d"
# Keys are handled in order: once the last key's effect shows, the ones
# before it have been handled too.
keys A d w
wait_pixel 142 127 $MAGENTA "end point at (140, 125) after A d w"
keys D W S a Left Right Up Down s
wait_pixel 157 112 $MAGENTA "end point at (155, 110) after D W S a, arrows, s"
shot
expect_pixel 142 127 $BLACK "nothing left at (140, 125)"
stop_editor

step "presses on controls do not reach the map"
new_workdir controls
start_editor
click 115 110
open_point_bar
open_file_bar
click 517 55 # point bar, between Append Point and Insert Point
click 517 20 # file bar, between Load and Save
click 30 540 # points counter
click 70 560 # fps label
click 774 44 # point bar, between its frame and the Min button
press_point_button remove
wait_pixel 117 112 $BLACK "the selected segments to be removed"
resave "" "map after presses on controls and Remove Point"
stop_editor

echo "PASS edit_test"
