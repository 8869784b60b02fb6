#!/usr/bin/env bash
# The file bar: saving after confirmation, loading, and the export with its
# run of copy.bat.
source "$(dirname "$0")/lib.sh"

# settle_after_export: the export runs copy.bat inside the button's callback;
# once a later press ("Min", which prints a line) is handled, it has ended.
settle_after_export() {
    click 775 20
    wait_for_log_line "Minimize pressed"
}

INITIAL_MAP=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'

step "Save QUIV File asks first and writes nothing"
new_workdir save
start_editor
open_file_bar
click 587 20
wait_pixel 402 340 $TEAL "the confirmation panel"
shot
expect_pixel 414 340 $FRAME_GREY "Yes button frame at (415, 330)"
expect_pixel 479 340 $FRAME_GREY "No button frame at (480, 330)"
[ "$(lit_pixels 405 305 125 20)" -gt 0 ] || fail "no 'Are you sure?' text"
# The panel shows once the press has been handled, so the file would exist by now.
[ ! -e map.mef ] || fail "map.mef written before Yes"

step "No hides the question and writes nothing"
click 495 340
wait_pixel 402 340 $BLACK "the confirmation panel to hide"
[ ! -e map.mef ] || fail "map.mef written after No"
[ -z "$(stray_files)" ] || fail "files appeared: $(stray_files)"

step "Yes writes map.mef"
save_map
expect_file_content map.mef "$INITIAL_MAP" "saved initial map"
[ -z "$(stray_files map.mef)" ] || fail "stray files after the save: $(stray_files map.mef)"
stop_editor

step "a start without MAP over an existing map.mef: Ctrl+S says the window did not read it; Escape keeps it"
new_workdir unread
COURSE=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 20 30\n7'
printf '%s' "$COURSE" >map.mef
for start in plain named; do
    if [ $start = plain ]; then start_editor; else E2E_TITLE='^Map Editor - map.mef$' start_editor map.mef; fi
    keys ctrl+s
    wait_pixel 402 340 $TEAL "the question after Ctrl+S ($start start)"
    # The notice's face right of its text, black while none shows.
    if [ $start = plain ]; then
        wait_pixel 790 510 $TEAL "the notice that the window did not read map.mef"
    else
        sleep 0.5
        pixel_is_not_now 790 510 $TEAL || fail "a notice over the map the window read"
    fi
    keys Escape
    wait_pixel_not 402 340 $TEAL "the question to go after Escape ($start start)"
    expect_file_content map.mef "$COURSE" "map.mef after Escape ($start start)"
    stop_editor
done

step "Load QUIV File replaces the map and shows it at view offset (1, 1)"
new_workdir load
# One segment from (0, 10) to (8, 10), handles above it, resolution 3.
printf '0 10 3 5\n5 5 8 10\n3' >map.mef
start_editor
open_file_bar
click 445 20
# (0, 10) is drawn at (1, 101): its square covers (-2..3, 98..103).
wait_pixel 0 102 $MAGENTA "loaded start point at (1, 101)"
shot
expect_pixel 83 103 $MAGENTA "loaded end point at (81, 101)"
expect_pixel 172 112 $BLACK "the old map's end point is gone"
expect_pixel 13 20 $BLACK "the marker is gone after a load"
rm map.mef
save_map
expect_file_content map.mef $'0 10 3 5\n5 5 8 10\n3' "map saved after a load"

step "a missing file prints an error and changes nothing"
rm map.mef
click 445 20
wait_for_log_match '^File input error'
shot
expect_pixel 0 102 $MAGENTA "the loaded map is still shown"
save_map
expect_file_content map.mef $'0 10 3 5\n5 5 8 10\n3' "map after the failed load"
stop_editor

step "a file with a bad value prints an error and changes nothing"
new_workdir badload
printf '0 10 0.5 18\n10 18 oops 10\n5' >map.mef
start_editor
open_file_bar
click 445 20
wait_for_log_match '^File input error: .*map\.mef'
shot
expect_pixel 172 112 $MAGENTA "initial map still shown"
expect_pixel 13 20 $WHITE "marker still shown"
rm map.mef
save_map
expect_file_content map.mef "$INITIAL_MAP" "map after a bad load"
stop_editor

step "Export Map writes gnd.pts and go, then runs copy.bat"
new_workdir export
# copy.bat records what it finds; gnd.pts and go must both be complete.
cat >copy.bat <<'EOF'
{ wc -l <gnd.pts; wc -l <go; tail -n 1 go; } >copied.tmp
mv copied.tmp copied.txt
EOF
# A copy.bat on the PATH must not be the one that runs.
mkdir bin
printf '#!/bin/sh\ntouch "%s/path-copy-ran"\n' "$PWD" >bin/copy.bat
chmod +x bin/copy.bat
PATH="$PWD/bin:$PATH" start_editor
export_map
wait_for 5 "copy.bat to record the exported files" test -f copied.txt
[ "$(cat copied.txt)" = $'15\n54\nset ::restLocY -0.5' ] ||
    fail "copy.bat saw: $(cat copied.txt) (expected 15 lines of gnd.pts, 54 of go)"
[ ! -e path-copy-ran ] || fail "a copy.bat from PATH was run"
wait_for_log_line "Saved 2 segments, containing 14 points"
expected_output=$'Maximize pressed\n0\n1\nSaved 2 segments, containing 14 points'
[ "$(cat "$E2E_LOG")" = "$expected_output" ] || fail "export output was: $(cat "$E2E_LOG")"
expect_file_content gnd.pts "-0.5 -400.00000 0.0000000 0.000000
0 -10 0.000000 0.00000
0.916667 -13.3333 -0.00000 1.00000
2.83333 -15.3333 -0.00000 1.00000
5.25 -16 -0.00000 1.00000
7.66667 -15.3333 -0.00000 1.00000
9.58333 -13.3333 -0.00000 1.00000
10.5 -10 -0.00000 1.00000
11.2894 -9.16667 -0.00000 1.00000
12.1481 -8.66667 -0.00000 1.00000
13.0625 -8.5 -0.00000 1.00000
14.0185 -8.66667 -0.00000 1.00000
15.0023 -9.16667 -0.00000 1.00000
16 -10 -0.00000 1.00000
16.5 -400.00000 0.000000 0.00000
" "exported ground points"
[ "$(sed -n '1p;9p;47p;53p' go)" = $'set baseDir brel\ngndfile $scenarioDir/gnd.pts\ntitle "$::charName >> TestMap"\nset ::restLocX 0.5' ] ||
    fail "unexpected lines in go: $(sed -n '1p;9p;47p;53p' go)"

step "the editor keeps working after the export"
rm copied.txt
open_point_bar
press_point_button append
export_map
wait_for 5 "copy.bat after the second export" test -f copied.txt
[ "$(head -1 copied.txt)" = 21 ] || fail "gnd.pts of three segments has $(head -1 copied.txt) lines, expected 21"
stop_editor

step "a save that cannot replace map.mef reports it and keeps the old content"
new_workdir save-fails
mkdir map.mef # renaming a file over a directory fails
touch map.mef/keep
start_editor
open_file_bar
click 587 20
wait_pixel 402 340 $TEAL "the confirmation panel"
click 430 340
wait_for_log_line "File output error: map.mef: not a regular file"
[ -d map.mef ] && [ -e map.mef/keep ] || fail "the directory named map.mef was disturbed"
[ -z "$(stray_files map.mef)" ] || fail "temporary files left behind: $(stray_files map.mef)"
stop_editor

step "a save through a link writes the linked file and keeps the link"
new_workdir save-link
mkdir repo
printf 'old' >repo/real.mef
ln -s repo/real.mef map.mef
start_editor
open_file_bar
click 587 20
wait_pixel 402 340 $TEAL "the confirmation panel"
click 430 340
wait_for 5 "repo/real.mef to hold the saved map" cmp -s repo/real.mef <(printf '%s' "$INITIAL_MAP")
[ -L map.mef ] && [ "$(readlink map.mef)" = repo/real.mef ] || fail "map.mef is no longer the link to repo/real.mef"
[ -z "$(stray_files map.mef repo)" ] || fail "stray files after the save: $(stray_files map.mef repo)"
[ "$(ls -A repo)" = real.mef ] || fail "stray files in repo: $(ls -A repo)"
[ "$(cat "$E2E_LOG")" = "Maximize pressed" ] || fail "unexpected output: $(cat "$E2E_LOG")"
stop_editor

step "an export that cannot write go does not run copy.bat"
new_workdir export-fails
printf 'touch copy-ran\n' >copy.bat
mkdir go
start_editor
export_map
wait_for_log_match '^File output error: .*go'
settle_after_export
[ ! -e copy-ran ] || fail "copy.bat ran although go could not be written"
stop_editor

step "exporting an empty chain writes and runs nothing"
new_workdir export-empty
printf 'touch copy-ran\n' >copy.bat
start_editor
click 115 110
open_point_bar
press_point_button remove
wait_pixel 117 112 $BLACK "the chain to be emptied"
export_map
settle_after_export
[ "$(log_lines)" -eq $((E2E_LINES_BEFORE_EXPORT + 2)) ] ||
    fail "not exactly one export line (plus Minimize pressed) for an empty chain: $(cat "$E2E_LOG")"
[ ! -e gnd.pts ] && [ ! -e go ] || fail "files written for an empty chain"
[ ! -e copy-ran ] || fail "copy.bat was run for an empty chain"
stop_editor

echo "PASS file_test"
