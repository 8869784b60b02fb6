#!/usr/bin/env bash
# Undo and redo in the real window: Ctrl+Z takes back a drag and an append,
# Ctrl+Shift+Z brings the drag back; each state is read back from a saved map.mef.
source "$(dirname "$0")/lib.sh"

INITIAL=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'
# The junction (115, 110) dragged to (200, 150), (19, 14) in map units.
DRAGGED=$'0 10 0.5 18\n18.5 22 19 14\n5\n19 14 20.5 12\n14 8 16 10\n5'

resave() {
    rm -f map.mef
    save_map
    expect_file_content map.mef "$1" "$2"
}

step "a drag and an append, both undone with Ctrl+Z"
new_workdir undo
start_editor
resave "$INITIAL" "map saved before the drag"
drag 1 115 110 150 130 180 140 200 150
wait_pixel 202 152 $MAGENTA "the junction drawn at (200, 150)"
open_point_bar
press_point_button append
wait_pixel 202 112 $MAGENTA "the appended end point at (200, 110)"
lines=$(log_lines)
keys ctrl+z ctrl+z
wait_pixel 117 112 $MAGENTA "the junction back at (115, 110)"
log_has_more_lines_than "$lines" && fail "an undo printed something"
shot
expect_pixel 202 112 $BLACK "no appended segment after two undos"
resave "$INITIAL" "map after two undos"

step "Ctrl+Shift+Z redoes the drag, not the append"
lines=$(log_lines)
keys ctrl+shift+z
wait_pixel 202 152 $MAGENTA "the junction at (200, 150) again"
log_has_more_lines_than "$lines" && fail "a redo printed something"
shot
expect_pixel 202 112 $BLACK "the append stays undone"
resave "$DRAGGED" "map after one redo"
stop_editor

echo "PASS undo_test"
