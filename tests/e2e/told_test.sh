#!/usr/bin/env bash
# What the window tells and the keys of a designer's habits: the notices of a
# save and an export (a failing copy.bat's last error line among them), Ctrl+S
# with Enter and Escape, and the F1 panel of keys.
source "$(dirname "$0")/lib.sh"

# The notice's face right of its text; black while no notice shows.
NOTICE_X=790 NOTICE_Y=510

# A digest of where the keys panel lies in the last screenshot.
panel_area() {
    local row
    for ((row = 44; row < 365; row++)); do
        od -An -tu1 -v -j $(((row * WIN_W + 39) * 3)) -N $((722 * 3)) "$E2E_SHOT"
    done | md5sum
}

dismiss_notice() {
    click 400 520
    wait_pixel $NOTICE_X $NOTICE_Y $BLACK "the notice to go after a click on it"
}

# A digest of the notice's upper row (its message) in the last screenshot.
notice_row() {
    local row
    for ((row = 507; row < 522; row++)); do
        od -An -tu1 -v -j $(((row * WIN_W + 125) * 3)) -N $((660 * 3)) "$E2E_SHOT"
    done | md5sum
}

# export_failing LINES: an export through a copy.bat that writes LINES to its
# standard error and exits 127; prints the digest of the notice it leaves.
export_failing() {
    printf '%s\nexit 127\n' "$1" >copy.bat
    export_map
    wait_pixel $NOTICE_X $NOTICE_Y $TEAL "the notice of the failing copy.bat" >&2
    notice_row
    dismiss_notice >&2
}

step "a save and an export say so in a notice"
new_workdir told
start_editor
shot
expect_pixel $NOTICE_X $NOTICE_Y $BLACK "no notice at the start"
save_map
wait_pixel $NOTICE_X $NOTICE_Y $TEAL "the notice of the save"
[ "$(lit_pixels 125 508 300 14)" -gt 100 ] || fail "the save's notice shows no text"
log_matches 'Saved map.mef' && fail "the save's notice went to standard output"
dismiss_notice
printf 'exit 0\n' >copy.bat
export_map
wait_pixel $NOTICE_X $NOTICE_Y $TEAL "the notice of the export"
saved=$(notice_row)
dismiss_notice

step "a failing copy.bat's last error line is in the notice"
first=$(export_failing $'echo one >&2\necho "copy: not found" >&2')
second=$(export_failing $'echo two >&2\necho "copy: not found" >&2\necho >&2')
other=$(export_failing 'echo "cp: cannot stat" >&2')
[ "$first" = "$second" ] || fail "two copy.bat failures with the same last line differ in the notice"
[ "$first" != "$other" ] || fail "the notice does not show copy.bat's last error line"
[ "$first" != "$saved" ] || fail "a failing copy.bat shows the notice of success"

step "Ctrl+S asks as Save QUIV File does; Escape answers No, Enter Yes"
rm map.mef
shot
expect_pixel 402 340 $BLACK "no question before Ctrl+S"
keys ctrl+s
wait_pixel 402 340 $TEAL "the question after Ctrl+S"
keys Escape
wait_pixel_not 402 340 $TEAL "the question to go after Escape"
[ ! -e map.mef ] || fail "Escape saved the map"
keys ctrl+s
wait_pixel 402 340 $TEAL "the question after Ctrl+S"
keys Return
wait_for 15 "map.mef to be written after Enter" test -f map.mef
wait_pixel_not 402 340 $TEAL "the question to go after Enter"

dismiss_notice

step "F1 opens the keys panel; F1, Escape and a click close it"
shot
before=$(panel_area)
for closer in "keys F1" "keys Escape" "click 400 200"; do
    keys F1
    wait_pixel 45 50 $TEAL "the keys panel after F1"
    [ "$(lit_pixels 45 50 700 290)" -gt 2000 ] || fail "the keys panel shows no text"
    $closer
    wait_pixel_not 45 50 $TEAL "the keys panel to close at $closer"
done
[ "$(panel_area)" = "$before" ] || fail "the map differs where the panel was after it closed"
stop_editor

echo "PASS told_test"
