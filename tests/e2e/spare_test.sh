#!/usr/bin/env bash
# Nothing is lost while the recovery offer waits or while an export checks
# the ground: a run with the offer up keeps its changes in a spare file of its
# own on the usual delay, two such runs get two spares, Recover reads no
# link, and an end signal during a long ground check ends the editor within
# seconds with its autosave written.
source "$(dirname "$0")/lib.sh"

INITIAL=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'
DRAGGED=$'0 10 0.5 18\n18.5 22 19 14\n5\n19 14 20.5 12\n14 8 16 10\n5'
EARLIER=$'0 10 0.5 18\n10 18 10.5 10\n5'

drag_junction() {
    drag 3 115 110 150 130 180 140 200 150
    wait_pixel 202 152 $MAGENTA "the junction drawn at (200, 150)"
}

# expect_exit PID STATUS WHAT: waits for that editor to end and checks its status.
expect_exit() {
    local status=0
    wait_for 10 "the editor to end ($3)" eval '! process_alive '"$1"
    wait "$1" || status=$?
    [ "$status" -eq "$2" ] || fail "$3: exit status $status, expected $2"
}

step "the offer up, a drag, 30 seconds, SIGKILL: the run's spare holds the drag"
new_workdir kill
printf '%s' "$INITIAL" >map.mef
printf '%s' "$EARLIER" >map.mef.autosave
start_editor
wait_pixel 252 275 $TEAL "the recovery offer"
drag_junction
wait_for 45 "the spare autosave" test -s map.mef.autosave-2
kill -KILL "$E2E_PID"
wait "$E2E_PID" 2>/dev/null || true
E2E_PID=
expect_file_content map.mef.autosave-2 "$DRAGGED" "the spare after SIGKILL"
expect_file_content map.mef.autosave "$EARLIER" "the earlier autosave after SIGKILL"
[ -z "$(stray_files map.mef map.mef.autosave map.mef.autosave-2)" ] ||
    fail "files left behind: $(stray_files map.mef map.mef.autosave map.mef.autosave-2)"

step "two runs with the offer up, both changed, ended together: two spares, both 143"
new_workdir two
printf '%s' "$INITIAL" >map.mef
printf '%s' "$EARLIER" >map.mef.autosave
start_editor
drag_junction
FIRST=$E2E_PID
# Out of the way of the second window: without a window manager both open at one place.
xdotool windowmove "$WID" 900 700
mkdir second
cd second
start_editor ../map.mef
# Loaded with view offset (1, 1): the junction at (106, 101), moved as far.
drag 3 106 101 140 120 170 130 191 141
wait_pixel 193 143 $MAGENTA "the junction drawn at (191, 141)"
cd ..
kill -TERM "$FIRST" "$E2E_PID"
expect_exit "$FIRST" 143 "the first run"
expect_exit "$E2E_PID" 143 "the second run"
E2E_PID=
expect_file_content map.mef.autosave-2 "$DRAGGED" "one run's spare"
expect_file_content map.mef.autosave-3 "$DRAGGED" "the other run's spare"
expect_file_content map.mef.autosave "$EARLIER" "the earlier autosave"

step "two runs with the offer up and a spare each, Discard in both, SIGKILL of the first: its drag stays"
new_workdir discard
printf '%s' "$INITIAL" >map.mef
printf '%s' "$EARLIER" >map.mef.autosave
start_editor
drag_junction
FIRST=$E2E_PID FIRST_WID=$WID
xdotool windowmove "$WID" 900 700
mkdir second
cd second
start_editor ../map.mef
SECOND_WID=$WID
# The second run's junction, at (106, 101) with view offset (1, 1), goes elsewhere.
drag 3 106 101 130 200 150 250 170 300
wait_pixel 172 302 $MAGENTA "the second run's junction at (170, 300)"
cd ..
wait_for 45 "both runs' spares" eval 'test -s map.mef.autosave-2 && test -s map.mef.autosave-3'
xdotool windowmove "$SECOND_WID" 900 700
xdotool windowmove "$FIRST_WID" 100 100
WID=$FIRST_WID
click 495 325
wait_for 15 "the first run's spare to become the autosave" test ! -e map.mef.autosave-2
expect_file_content map.mef.autosave "$DRAGGED" "the autosave after the first Discard"
xdotool windowmove "$FIRST_WID" 900 700
xdotool windowmove "$SECOND_WID" 100 100
WID=$SECOND_WID
click 495 325
wait_for_log_line "Warning: ../map.mef.autosave was kept: it is no longer the file the offer named; this run's unsaved changes go to a spare file"
kill -KILL "$FIRST"
wait "$FIRST" 2>/dev/null || true
expect_file_content map.mef.autosave "$DRAGGED" "the first run's autosave after the second Discard and SIGKILL"
kill -TERM "$E2E_PID"
expect_exit "$E2E_PID" 143 "the second run"
E2E_PID=
[ -s map.mef.autosave-3 ] && [ "$(cat map.mef.autosave-3)" != "$DRAGGED" ] ||
    fail "the second run's spare does not hold its own map"

step "Recover over a link put in the autosave's place: refused, nothing read"
new_workdir link
printf '%s' "$EARLIER" >map.mef.autosave
printf 'root:x:0:0:root:/root:/bin/bash\n' >secret
printf '%s' "$DRAGGED" >other.mef
start_editor
wait_pixel 252 275 $TEAL "the recovery offer"
for target in secret other.mef; do
    ln -sfn "$target" map.mef.autosave
    lines=$(log_lines)
    click 300 325
    wait_for 15 "Recover to answer" log_has_more_lines_than "$lines"
    [ "$(tail -n 1 "$E2E_LOG")" = "Nothing to recover: map.mef.autosave is a symbolic link, not an autosave" ] ||
        fail "Recover over a link to $target: $(tail -n 1 "$E2E_LOG")"
done
! grep -q root "$E2E_LOG" || fail "Recover showed the linked file"
# The map is the initial one, unchanged: its junction still at (115, 110).
pixel_is_now 117 112 $MAGENTA || fail "the map changed after Recover over a link"
stop_editor

step "SIGTERM during the ground check of a big map: 143 and the autosave within seconds"
new_workdir check
# A sheared zigzag of 64,000 straight segments whose pieces' boxes all meet.
awk -v N=32000 'BEGIN { for (k = 0; k < N; k++) {
    printf "%d 0 %.6g 33.3333\n%.6g 66.6667 %d 100\n1\n", k, k + N / 3, k + 2 * N / 3, k + N
    printf "%d 100 %.6g 66.6667\n%.6g 33.3333 %d 0\n1\n", k + N, k + N - (N - 1) / 3, k + 1 + (N - 1) / 3, k + 1 } }' >map.mef.autosave
E2E_START_SECONDS=60 start_editor --recover
inode=$(stat -c %i map.mef.autosave)
open_file_bar
click 707 20
# gnd.pts is written before the check starts.
wait_for 30 "gnd.pts" test -s gnd.pts
sleep 0.3
signalled=$(now_ms)
kill -TERM "$E2E_PID"
expect_exit "$E2E_PID" 143 "SIGTERM during the check"
E2E_PID=
took=$(($(now_ms) - signalled))
echo "the editor ended $took ms after SIGTERM"
[ "$took" -lt 5000 ] || fail "the editor took $took ms to end after SIGTERM"
[ "$(stat -c %i map.mef.autosave)" != "$inode" ] || fail "the autosave was not written again"
[ "$(wc -l <map.mef.autosave)" -ge 191999 ] || fail "the autosave does not hold the whole map"

echo "PASS spare_test"
