#!/usr/bin/env bash
# The window itself: its size, the forced size after a resize, the live
# counters at the bottom left, and a clean exit when the window is closed.
source "$(dirname "$0")/lib.sh"

geometry() {
    xdotool getwindowgeometry "$WID" | awk '/Geometry:/ { print $2 }'
}
geometry_is_full() { [ "$(geometry)" = 800x600 ]; }
position() {
    xdotool getwindowgeometry "$WID" | awk '/Position:/ { print $2 }'
}

step "window appears at (100, 100), 800 x 600"
new_workdir window
start_editor
[ "$(geometry)" = 800x600 ] || fail "window geometry is $(geometry), expected 800x600"
# No window manager runs here, so the requested position is kept as it is.
[ "$(position)" = 100,100 ] || fail "window position is $(position), expected 100,100"

step "a resize is forced back to 800 x 600"
xdotool windowsize "$WID" 500 400
seen=$(geometry)
wait_for 5 "the window to be 800x600 again (it was $seen right after the resize)" geometry_is_full
# The projection still maps the whole window: the slider's frame at the bottom
# and the Max button at the top right are where they were.
wait_pixel 1 590 $FRAME_GREY "slider frame after the resize"
expect_pixel 759 20 $FRAME_GREY "Max button frame after the resize"

step "the counters show text"
shot
lit=$(lit_pixels 10 530 100 40)
[ "$lit" -gt 0 ] || fail "nothing drawn in the counter area (10..110, 530..570)"
[ "$(lit_pixels 50 530 60 20)" -gt 0 ] || fail "the word 'points' is not drawn"
[ "$(lit_pixels 50 550 40 20)" -gt 0 ] || fail "the word 'fps' is not drawn"

step "the points counter shows two digits (13) and fps reaches two digits"
# A counter's first digit starts at x = 10, the second at x = 20 (9-pixel
# glyphs). "0", the value both counters start with, has no second digit.
second_points_digit() { shot && [ "$(lit_pixels 20 530 10 20)" -gt 0 ]; }
second_fps_digit() { shot && [ "$(lit_pixels 20 550 10 20)" -gt 0 ]; }
no_third_points_digit() { [ "$(lit_pixels 30 530 10 20)" -eq 0 ]; }
wait_for 3 "the points counter to show two digits" second_points_digit
no_third_points_digit || fail "the points counter shows more than two digits"
wait_for 4 "the fps counter to show at least 10 frames per period" second_fps_digit

step "closing the window ends the program with status 0"
pid=$E2E_PID
close_window_politely
wait_for 5 "the editor to exit after its window was closed" eval '! process_alive '"$pid"
status=0
wait "$pid" || status=$?
E2E_PID=
[ "$status" -eq 0 ] || fail "the editor exited with status $status after the window was closed"

echo "PASS window_test"
