#!/usr/bin/env bash
# Drives the Windows build under Wine in a private Xvfb, next to the Linux
# build of the same source: the window, an export of a non-trivial map with a
# real Windows copy.bat, save and load, and a bad map file. Both builds must
# write the same bytes.
#
# Usage: bash tests/windows/exe_test.sh path/to/linux/mapeditor path/to/mapeditor.exe
WIN_EXE=$(readlink -f "${2:?usage: $0 path/to/mapeditor path/to/mapeditor.exe}")
[ -f "$WIN_EXE" ] || { echo "no $2" >&2; exit 2; }
WINE_RUN=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-run
# shellcheck source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$1"

# The Windows C runtime writes "\r\n" for "\n" on standard output in text
# mode, as every console program there; the messages are compared without it.
log_has_line() { tr -d '\r' <"$E2E_LOG" | grep -qxF -- "$1"; }
log_matches() { tr -d '\r' <"$E2E_LOG" | grep -qE -- "$1"; }

# start_windows_editor: start_editor, for mapeditor.exe under Wine. A Wine
# server left from another display would keep its windows there.
start_windows_editor() {
    "$WINE_RUN" --wait-for-server
    E2E_LOG="$PWD/editor.log"
    # shellcheck disable=SC2034 # used by the screenshot helpers of lib.sh
    E2E_SHOT="$PWD/shot.rgb"
    "$WINE_RUN" "$WIN_EXE" >"$E2E_LOG" 2>&1 </dev/null &
    E2E_PID=$!
    WID=$(timeout 60 xdotool search --sync --onlyvisible --pid "$E2E_PID" --name '^Map Editor$' 2>/dev/null | head -1) || true
    [ -n "$WID" ] || fail "no visible window titled 'Map Editor' within 60 s"
    wait_for 20 "the first frame (the file bar's Max button)" pixel_is_now 759 20 128 128 128
}

load_map() {
    open_file_bar
    click 445 20
}

# Four segments with fractional coordinates, different resolutions, CRLF line
# ends and a shared start point, so the export lists indices too.
MAP=$'0 10 0.5 18\r\n10 18 10.5 10\r\n5\r\n10.5 10 12 8\r\n14 8 16.25 10\r\n7\r\n16.25 10 18 14.125\r\n20 -3 25.5 12\r\n12\r\n25.5 12 27 13\r\n29 1e-05 33.75 9.5\r\n3\r\n'
BAD_MAP=$'0 10 0.5 18\n10 18 oops 10\n5'

step "the Linux build's export, save and bad load (the reference)"
new_workdir linux
printf '%s' "$MAP" >map.mef
printf 'mkdir -p brel/MyMap\ncp gnd.pts brel/MyMap/\n' >copy.bat
start_editor
load_map
export_map
wait_for_log_match '^Saved [0-9]+ segments'
wait_for 5 "copy.bat to run" test -f brel/MyMap/gnd.pts
rm map.mef
save_map
cp map.mef saved.mef
printf '%s' "$BAD_MAP" >map.mef
click 445 20
wait_for_log_match '^File input error: '
stop_editor
LINUX_DIR=$PWD
grep -v '^This is\|^freeglut' editor.log >messages.txt

step "the window: titled Map Editor, 800 x 600, first frame drawn"
new_workdir windows
printf '%s' "$MAP" >map.mef
printf '@echo off\r\nmkdir brel\\MyMap\r\ncopy gnd.pts brel\\MyMap\\\r\n' >copy.bat
start_windows_editor
size=$(xdotool getwindowgeometry "$WID" | awk '/Geometry/ { print $2 }')
[ "$size" = 800x600 ] || fail "the window is $size, not 800x600"

step "export of a loaded map: the same files as the Linux build, and copy.bat ran"
load_map
export_map
wait_for_log_match '^Saved [0-9]+ segments'
wait_for 15 "copy.bat to copy gnd.pts to brel\\MyMap" test -f brel/MyMap/gnd.pts
for file in gnd.pts go; do
    cmp -s "$file" "$LINUX_DIR/$file" || fail "$file differs from the Linux build's"
done
cmp -s brel/MyMap/gnd.pts gnd.pts || fail "copy.bat's copy differs"
[ -n "$(stray_files map.mef copy.bat gnd.pts go brel)" ] && fail "stray files: $(stray_files map.mef copy.bat gnd.pts go brel)"

step "save then load gives the same map.mef bytes as on Linux"
rm map.mef
save_map
cmp -s map.mef "$LINUX_DIR/saved.mef" || fail "the saved map.mef differs from the Linux build's"
cp map.mef saved.mef
load_map
sleep 0.5
rm map.mef
save_map
cmp -s map.mef saved.mef || fail "save, load and save again changed map.mef"

step "a bad map.mef prints the error and keeps the map"
printf '%s' "$BAD_MAP" >map.mef
click 445 20
wait_for_log_match '^File input error: '
rm map.mef
save_map
cmp -s map.mef saved.mef || fail "the map changed after a failed load"

step "the messages are those of the Linux build"
stop_editor
tr -d '\r' <editor.log | grep -v '^This is\|^freeglut\|^ *[0-9]* [Ff]ile(s) copied' >messages.txt
if ! cmp -s messages.txt "$LINUX_DIR/messages.txt"; then
    fail "messages differ from the Linux build's:
$(diff "$LINUX_DIR/messages.txt" messages.txt)"
fi
echo "PASS"
