#!/usr/bin/env bash
# The autosave beside the map: written when the editor ends with unsaved
# changes (window closed, SIGTERM, display lost), announced at the next start,
# taken up with --recover, and removed by a save. map.mef itself is written
# only by a save.
source "$(dirname "$0")/lib.sh"

INITIAL=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'
DRAGGED=$'0 10 0.5 18\n18.5 22 19 14\n5\n19 14 20.5 12\n14 8 16 10\n5'

# drag_junction: moves the initial map's junction from (115, 110) to (200, 150).
drag_junction() {
    drag 3 115 110 150 130 180 140 200 150
    wait_pixel 202 152 $MAGENTA "the junction drawn at (200, 150)"
}

# expect_exit STATUS WHAT: waits for the editor to end and checks its status.
expect_exit() {
    local pid=$E2E_PID status=0
    wait_for 10 "the editor to end ($2)" eval '! process_alive '"$pid"
    wait "$pid" || status=$?
    E2E_PID=
    [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1"
}

step "a drag, then the window closed: the autosave holds the dragged map, map.mef is unchanged"
new_workdir close
printf '%s' "$INITIAL" >map.mef
start_editor
drag_junction
close_window_politely
expect_exit 0 "window closed"
expect_file_content map.mef.autosave "$DRAGGED" "autosave after closing the window"
expect_file_content map.mef "$INITIAL" "map.mef after closing the window"
[ -z "$(stray_files map.mef map.mef.autosave)" ] || fail "files left behind: $(stray_files map.mef map.mef.autosave)"

step "a drag, then SIGTERM: the same, with exit status 143"
new_workdir term
start_editor
drag_junction
kill -TERM "$E2E_PID"
expect_exit 143 "SIGTERM"
expect_file_content map.mef.autosave "$DRAGGED" "autosave after SIGTERM"
[ ! -e map.mef ] || fail "SIGTERM wrote map.mef"

step "the next start says so and leaves the autosave alone"
when=$(date -r map.mef.autosave '+%Y-%m-%d %H:%M:%S')
start_editor
wait_for_log_line "Unsaved changes from $when are in map.mef.autosave; start with --recover to continue them"
kill -TERM "$E2E_PID"
expect_exit 143 "SIGTERM without changes"
expect_file_content map.mef.autosave "$DRAGGED" "an earlier run's autosave after a run without changes"

step "--recover shows the dragged map; a save writes it to map.mef and removes the autosave"
start_editor --recover
# Recovered like a load: view offset (1, 1), so the junction (19, 14) is at (191, 141).
wait_pixel 193 143 $MAGENTA "the recovered junction at (191, 141)"
save_map
expect_file_content map.mef "$DRAGGED" "map.mef saved after --recover"
wait_for 5 "the save to remove the autosave" test ! -e map.mef.autosave
close_window_politely
expect_exit 0 "window closed after the save"
[ -z "$(stray_files map.mef)" ] || fail "files left behind: $(stray_files map.mef)"

step "--recover without an autosave: one line, status 1, no window"
new_workdir nothing
status=0
"$E2E_EDITOR" --recover >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] && [ "$(cat err.txt)" = "Nothing to recover: map.mef.autosave does not exist" ] &&
    [ ! -s out.txt ] || fail "--recover without an autosave: status $status, '$(cat out.txt err.txt)'"

step "the offer's Recover, then Ctrl+Z: the recovered autosave stays, also after SIGTERM"
new_workdir undo
printf '%s' "$DRAGGED" >map.mef.autosave
start_editor
wait_pixel 252 275 $TEAL "the recovery offer"
click 300 325
wait_pixel 193 143 $MAGENTA "the recovered junction at (191, 141)"
keys ctrl+z
wait_pixel_not 193 143 $MAGENTA "the recovered map to be undone"
# The autosave's tick runs every frame: a second is dozens of them.
sleep 2
[ -f map.mef.autosave ] || fail "undo removed the recovered autosave"
kill -TERM "$E2E_PID"
expect_exit 143 "SIGTERM after Recover and Ctrl+Z"
expect_file_content map.mef.autosave "$DRAGGED" "the recovered autosave after Ctrl+Z and SIGTERM"

step "SIGTERM while the export waits for a copy.bat that sleeps: copy.bat's group ends, the autosave is written, 143"
new_workdir batch
printf '%s' "$INITIAL" >map.mef
printf 'sleep 60 &\necho $! > sleep.pid\nwait\necho after > after.txt\n' >copy.bat
start_editor
drag_junction
export_map
wait_for 5 "copy.bat to start its sleep" test -s sleep.pid
kill -TERM "$E2E_PID"
expect_exit 143 "SIGTERM during copy.bat"
expect_file_content map.mef.autosave "$DRAGGED" "autosave after SIGTERM during copy.bat"
expect_file_content map.mef "$INITIAL" "map.mef after SIGTERM during copy.bat"
wait_for 5 "copy.bat's sleep to end" eval '! process_alive '"$(cat sleep.pid)"
[ ! -e after.txt ] || fail "copy.bat went on after the signal"

# swaps_since COUNT: more frames shown than COUNT.
swaps_since() { [ "$(swaps)" -gt "$1" ]; }

step "unmapped, the window draws nothing, and SIGTERM still ends it with the autosave"
new_workdir hidden_term
printf '%s' "$INITIAL" >map.mef
swap_shim
LD_PRELOAD=$E2E_SWAP_SHIM start_editor
drag_junction
xdotool windowunmap --sync "$WID"
# A frame may have been under way as the window went.
sleep 0.2
drawn=$(swaps)
sleep 1
[ "$(swaps)" -eq "$drawn" ] || fail "the unmapped window drew $(($(swaps) - drawn)) frames in 1 s"
kill -TERM "$E2E_PID"
expect_exit 143 "SIGTERM while unmapped"
expect_file_content map.mef.autosave "$DRAGGED" "autosave after SIGTERM while unmapped"
expect_file_content map.mef "$INITIAL" "map.mef after SIGTERM while unmapped"

step "unmapped, the autosave is written after its delay all the same; mapped again, frames come again"
new_workdir hidden_timer
printf '%s' "$INITIAL" >map.mef
LD_PRELOAD=$E2E_SWAP_SHIM start_editor
drag_junction
xdotool windowunmap --sync "$WID"
wait_for 40 "the autosave of the unmapped window" test -s map.mef.autosave
expect_file_content map.mef.autosave "$DRAGGED" "the autosave written while unmapped"
drawn=$(swaps)
xdotool windowmap --sync "$WID"
wait_for 2 "a frame once the window is mapped again" swaps_since "$drawn"
wait_pixel 202 152 $MAGENTA "the dragged junction drawn again"
drawn=$(swaps)
wait_for 2 "frames to go on" swaps_since $((drawn + 20))
close_window_politely
expect_exit 0 "window closed after it was mapped again"
expect_file_content map.mef.autosave "$DRAGGED" "autosave after closing the window"

step "a drag, then the display lost: the autosave holds the dragged map"
new_workdir lost
start_editor
drag_junction
kill "$E2E_XVFB_PID"
wait "$E2E_XVFB_PID" 2>/dev/null || true
E2E_XVFB_PID=
expect_exit 1 "display lost"
expect_file_content map.mef.autosave "$DRAGGED" "autosave after the display was lost"

echo "PASS autosave_test"
