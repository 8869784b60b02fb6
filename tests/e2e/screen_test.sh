#!/usr/bin/env bash
# The screen after start-up, and the two bars that fold to a "Max" button.
source "$(dirname "$0")/lib.sh"

step "first screen: Max buttons, slider, counters, map"
new_workdir screen
start_editor
shot
# File bar minimised: a Max button (grey frame, black face) on a teal panel.
expect_pixel 759 20 $FRAME_GREY "file Max button, left frame"
expect_pixel 790 20 $FRAME_GREY "file Max button, right frame"
expect_pixel 775 9 $FRAME_GREY "file Max button, top frame"
expect_pixel 789 12 $BLACK "file Max button face"
expect_pixel 757 20 $TEAL "file Max panel face"
[ "$(lit_pixels 760 11 28 18)" -gt 0 ] || fail "no caption on the file Max button"
# Point bar minimised: the same button on a dark red panel.
expect_pixel 759 55 $FRAME_GREY "point Max button, left frame"
expect_pixel 789 47 $BLACK "point Max button face"
expect_pixel 757 55 $DARK_RED "point Max panel face"
# The bars themselves and the confirmation are hidden.
expect_pixel 372 20 $BLACK "hidden file bar"
expect_pixel 397 55 $BLACK "hidden point bar"
expect_pixel 402 340 $BLACK "hidden confirmation panel"
# Slider along the bottom: frame, knob at 2 + 796 * 5 / 50 = 81.6, digit "5".
expect_pixel 1 590 $FRAME_GREY "slider frame"
expect_pixel 81 582 $WHITE "slider knob at value 5"
expect_pixel 200 582 $BLACK "slider face away from the knob"
[ "$(lit_pixels 394 581 14 17)" -gt 0 ] || fail "no value drawn in the middle of the slider"
# Counters and their words at the bottom left.
[ "$(lit_pixels 10 530 40 40)" -gt 0 ] || fail "no counters drawn"
[ "$(lit_pixels 50 530 60 20)" -gt 0 ] || fail "no 'points' label"
[ "$(lit_pixels 50 550 40 20)" -gt 0 ] || fail "no 'fps' label"
# The initial map at view offset (10, 10): end squares magenta, handles green
# (pixels off the squares' centres, which the handle lines cross), the marker white.
expect_pixel 8 108 $MAGENTA "start point square at (10, 110)"
expect_pixel 117 112 $MAGENTA "junction square at (115, 110)"
expect_pixel 172 112 $MAGENTA "end point square at (170, 110)"
expect_pixel 17 192 $GREEN "start handle square at (15, 190)"
expect_pixel 132 88 $GREEN "handle square at (130, 90)"
expect_pixel 13 20 $WHITE "marker at (13, 20)"
[ "$(max_channel 72 164 5 5 1)" -gt 200 ] && [ "$(max_channel 72 164 5 5 3)" -lt 40 ] ||
    fail "the first curve is not drawn yellow near (74, 166)"

step "file bar: Max restores it, Min at the same place folds it"
click 770 20
wait_for_log_line "Maximize pressed"
wait_pixel 372 20 $TEAL "file bar face"
shot
expect_pixel 374 20 $FRAME_GREY "Load QUIV File frame at (375, 10)"
expect_pixel 519 20 $FRAME_GREY "Save QUIV File frame at (520, 10)"
expect_pixel 659 20 $FRAME_GREY "Export Map frame at (660, 10)"
expect_pixel 759 20 $FRAME_GREY "Min frame at (760, 10)"
expect_pixel 517 20 $TEAL "file bar face between Load and Save"
[ "$(lit_pixels 376 11 100 18)" -gt 0 ] || fail "no caption on Load QUIV File"
click_here
wait_for_log_line "Minimize pressed"
wait_pixel 372 20 $BLACK "file bar hidden again"
expect_pixel 757 20 $TEAL "file Max panel back"

step "point bar: the same, without messages"
click 770 55
wait_pixel 397 55 $DARK_RED "point bar face"
shot
expect_pixel 399 55 $FRAME_GREY "Append Point frame at (400, 45)"
expect_pixel 519 55 $FRAME_GREY "Insert Point frame at (520, 45)"
expect_pixel 639 55 $FRAME_GREY "Remove Point frame at (640, 45)"
expect_pixel 759 55 $FRAME_GREY "Min frame at (760, 45)"
click_here
wait_pixel 397 55 $BLACK "point bar hidden again"
expect_pixel 757 55 $DARK_RED "point Max panel back"
# Open it once more so that the toggle is seen to print nothing at all.
click_here
wait_pixel 397 55 $DARK_RED "point bar open again"
expected=$'Maximize pressed\nMinimize pressed'
[ "$(cat "$E2E_LOG")" = "$expected" ] || fail "unexpected output: $(cat "$E2E_LOG")"

step "both bars open at once keep their places"
open_file_bar
shot
expect_pixel 372 20 $TEAL "file bar face"
expect_pixel 397 55 $DARK_RED "point bar face"
expect_pixel 759 55 $FRAME_GREY "point Min frame"

echo "PASS screen_test"
