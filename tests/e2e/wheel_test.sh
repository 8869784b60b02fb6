#!/usr/bin/env bash
# The mouse wheel in the real window: its steps are no clicks; the vertical
# wheel zooms about the pointer.
source "$(dirname "$0")/lib.sh"

step "wheel steps over Max and over Export Map press nothing"
new_workdir wheel-no-click
printf 'echo copied >copied\n' >copy.bat
start_editor
move 770 20
click_here 4
click_here 5
open_file_bar # a real click: the first line of output must be its own
move 707 20
click_here 4
click_here 5
click 770 20 # "Min": its message shows that the steps before it were handled
wait_for_log_line "Minimize pressed"
expect_file_content editor.log $'Maximize pressed\nMinimize pressed\n' "output after the wheel steps"
[ -z "$(stray_files copy.bat)" ] || fail "the wheel steps wrote files: $(stray_files copy.bat)"
stop_editor

step "three steps in at the junction zoom about it; a drag saves map units; a load resets"
new_workdir wheel-zoom
start_editor
move 115 110
click_here 4
click_here 4
click_here 4
# Zoom 1.25^3 = 1.953125 about (115, 110): the far end (170, 110) moves to
# 115 + 55 * 1.953125 = 222.4, the start point (10, 110) out of the window.
wait_pixel 224 112 $MAGENTA "the far end square at (222.4, 110)"
shot
expect_pixel 117 112 $MAGENTA "the junction square still at (115, 110)"
expect_pixel 172 112 $BLACK "nothing left at the far end's old place"
expect_pixel 12 112 $BLACK "nothing left at the start point's old place"
# 25 and -50 pixels are 1.28 and -2.56 map units at this zoom.
drag 1 115 110 130 90 140 60
wait_pixel 142 62 $MAGENTA "the junction dragged to (140, 60)"
save_map
expect_file_content map.mef $'0 10 0.5 18\n11.28 15.44 11.78 7.44\n5\n11.78 7.44 13.28 5.44\n14 8 16 10\n5' \
    "map after dragging the junction at zoom 1.25^3"
click 445 20 # "Load QUIV File": view offset (1, 1) and zoom 1 again
# (0, 10) is drawn at (1, 101); its handle line runs down from there.
wait_pixel 3 99 $MAGENTA "loaded start point at (1, 101)"
shot
expect_pixel 163 103 $MAGENTA "loaded end point at (161, 101)"
expect_pixel 224 112 $BLACK "the zoomed end point is gone"
# Shift with the wheel up, then the horizontal wheel to the right (X button 7).
xdotool keydown shift click 4 keyup shift
wait_pixel 208 103 $MAGENTA "the end point 45 pixels further right after Shift+wheel"
xdotool click 7
wait_pixel 163 103 $MAGENTA "the end point back after a step of the horizontal wheel"
stop_editor

echo "PASS wheel_test"
