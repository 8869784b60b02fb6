#!/usr/bin/env bash
# shellcheck disable=SC2086 # the colours are "R G B" triples, split on purpose
# valgrind memcheck over a short session of the real editor under a private
# Xvfb: start-up, a drag, "Append Point", the slider, the view keys, save,
# load, export (no copy.bat), then the window is closed so the program exits
# through its normal path and the leak check runs. Fails on any invalid read
# or write, any use of uninitialised memory, and any definitely lost block
# that the suppressions (Mesa, X, GLUT, the dynamic loader) do not cover.
#
# usage: bash tests/valgrind/memcheck.sh path/to/mapeditor
# MEMCHECK_GALLIUM_DRIVER picks Mesa's software renderer (default softpipe:
# llvmpipe's JIT code is slow and opaque under valgrind).
source "$(dirname "$0")/../e2e/lib.sh"
VG_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

step "start the editor under valgrind"
new_workdir memcheck
E2E_LOG="$PWD/editor.log"
E2E_SHOT="$PWD/shot.rgb"
VG_LOG="$PWD/valgrind.log"
GALLIUM_DRIVER=${MEMCHECK_GALLIUM_DRIVER:-softpipe} valgrind --tool=memcheck --error-exitcode=99 \
    --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --keep-debuginfo=yes --num-callers=40 --gen-suppressions=all \
    --suppressions="$VG_HERE/mesa-x11.supp" --log-file="$VG_LOG" \
    "$E2E_EDITOR" >"$E2E_LOG" 2>&1 </dev/null &
E2E_PID=$!
WID=$(timeout 180 xdotool search --sync --onlyvisible --pid "$E2E_PID" --name '^Map Editor$' 2>/dev/null | head -1) || true
[ -n "$WID" ] || fail "no visible window titled 'Map Editor' within 180 s under valgrind"
wait_for 120 "the first frame (the file bar's Max button)" pixel_is_now 759 20 $FRAME_GREY

# slow_pixel X Y R G B WHAT: like wait_pixel, with room for valgrind's pace.
slow_pixel() {
    wait_for 60 "$6: pixel ($1, $2) to become ($3 $4 $5)" pixel_is_now "$1" "$2" "$3" "$4" "$5"
}

step "edit: drag the first start point, append a segment, the slider, keys"
drag 1 10 110 25 150 40 200
click 770 55
slow_pixel 397 55 $DARK_RED "the point bar to open"
click 457 55
click 200 590
keys a w d s

step "save (Save QUIV File, Yes)"
click 770 20
slow_pixel 372 20 $TEAL "the file bar to open"
click 587 20
slow_pixel 402 340 $TEAL "the confirmation panel to show"
click 430 340
wait_for 60 "map.mef to be written" test -s map.mef
words=$(wc -w <map.mef)
[ "$words" -eq 27 ] || fail "map.mef holds $words values, expected 27 (three segments)"

step "load and export"
click 445 20
lines=$(log_lines)
click 707 20
wait_for 60 "the export's count message" log_matches '^Saved 3 segments'
wait_for 60 "the export to write the setup script go" test -s go
[ -s gnd.pts ] || fail "the export did not write gnd.pts"
log_has_more_lines_than "$lines" || fail "the export printed nothing"

step "close the window; the program exits and valgrind checks for leaks"
pid=$E2E_PID
close_window_politely
status=0
wait_for 120 "the editor to exit under valgrind" eval '! process_alive '"$pid"
wait "$pid" || status=$?
E2E_PID=
echo "valgrind summary:"
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|suppressed:' "$VG_LOG" | sed 's/^==[0-9]*== */  /'
if [ "$status" -ne 0 ]; then
    echo "--- valgrind log ($VG_LOG):" >&2
    grep -v '^==[0-9]*== *$' "$VG_LOG" >&2
    fail "the editor exited with status $status under valgrind (99: memcheck found errors)"
fi
grep -q 'ERROR SUMMARY: 0 errors' "$VG_LOG" || fail "valgrind reported errors"
