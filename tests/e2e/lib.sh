# shellcheck shell=bash
# shellcheck disable=SC2034 # colours and positions are used by the scripts that source this
# Harness for driving the real editor window under a private X server.
#
# A test script sources this file with the path of the mapeditor binary as its
# first argument. Every script gets its own Xvfb (the display number is chosen
# by the server itself), its own temporary directory and its own editor
# process, so scripts can run in parallel. Every wait polls with a timeout.
#
# Coordinates are window pixels, origin at the top-left corner, y downward,
# exactly as the editor sees them.

set -euo pipefail

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
    echo "usage: bash $0 path/to/mapeditor" >&2
    exit 2
fi
E2E_EDITOR=$(readlink -f "$1")
E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/mapeditor-e2e.XXXXXX")
E2E_XVFB_PID=
E2E_PID=
E2E_LOG=
E2E_SHOT=
WID=
WIN_W=800
WIN_H=600
E2E_STEP="setting up"

e2e_cleanup() {
    local status=$?
    if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null || true
        wait "$E2E_PID" 2>/dev/null || true
    fi
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null || true
        wait "$E2E_XVFB_PID" 2>/dev/null || true
    fi
    if [ "$status" -eq 0 ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$E2E_ROOT"
    else
        echo "(test files kept in $E2E_ROOT)" >&2
    fi
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# fail MESSAGE: stop the script with a clear message and the editor's output.
fail() {
    echo "FAIL [$E2E_STEP]: $*" >&2
    if [ -n "$E2E_LOG" ] && [ -f "$E2E_LOG" ]; then
        echo "--- editor output ($E2E_LOG):" >&2
        cat "$E2E_LOG" >&2
        echo "---" >&2
    fi
    exit 1
}

# step TEXT: names the part of the scenario that runs next, for failure messages.
step() {
    E2E_STEP=$*
    echo "--- $*"
}

now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# wait_for SECONDS DESCRIPTION COMMAND...: polls COMMAND every 0.05 s until it
# succeeds; fails the test with DESCRIPTION when SECONDS pass first.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$(($(now_ms) + ${seconds%.*} * 1000))
    while ! "$@"; do
        if [ "$(now_ms)" -ge "$deadline" ]; then
            fail "timed out after ${seconds}s waiting for: $what"
        fi
        if [ -n "$E2E_PID" ] && ! process_alive "$E2E_PID"; then
            # One last try: the condition may have come true just before exit.
            "$@" && return 0
            fail "the editor exited while waiting for: $what"
        fi
        sleep 0.05
    done
}

start_xvfb() {
    local fdfile="$E2E_ROOT/display"
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$fdfile" >"$E2E_ROOT/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local deadline=$(($(now_ms) + 10000))
    until grep -q '^[0-9][0-9]*$' "$fdfile"; do
        kill -0 "$E2E_XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$E2E_ROOT/xvfb.log")"
        [ "$(now_ms)" -lt "$deadline" ] || fail "Xvfb did not report its display"
        sleep 0.05
    done
    DISPLAY=":$(head -1 "$fdfile")"
    export DISPLAY
}

# new_workdir NAME: a fresh, empty working directory for the next editor run.
new_workdir() {
    mkdir "$E2E_ROOT/$1"
    cd "$E2E_ROOT/$1"
}

# process_alive PID: running, and not a zombie waiting to be reaped.
process_alive() {
    local state
    state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

editor_running() {
    [ -n "$E2E_PID" ] && process_alive "$E2E_PID"
}

# start_editor [ARG...]: runs the editor with ARGs in the current directory,
# its output going to editor.log, and waits until its window is mapped and the
# first frame shows. The window's title must match E2E_TITLE (a regular
# expression, '^Map Editor$' unless set).
# E2E_LAUNCHER, when set, is a program that runs the editor (a Wine wrapper),
# and E2E_START_SECONDS how long the window may take to appear (15 s).
start_editor() {
    local title=${E2E_TITLE:-'^Map Editor$'} seconds=${E2E_START_SECONDS:-15}
    E2E_LOG="$PWD/editor.log"
    E2E_SHOT="$PWD/shot.rgb"
    ${E2E_LAUNCHER:+"$E2E_LAUNCHER"} "$E2E_EDITOR" "$@" >"$E2E_LOG" 2>&1 </dev/null &
    E2E_PID=$!
    # xdotool gives up with BadWindow when a window goes away while it looks
    # (Wine makes and drops helper windows at start): then it looks again.
    local deadline=$(($(now_ms) + seconds * 1000))
    WID=
    while [ -z "$WID" ] && [ "$(now_ms)" -lt "$deadline" ] && process_alive "$E2E_PID"; do
        WID=$(timeout "$seconds" xdotool search --sync --onlyvisible --pid "$E2E_PID" --name "$title" 2>/dev/null | head -1) || true
    done
    [ -n "$WID" ] || fail "no visible window titled '$title' within $seconds s"
    # The first frame is drawn shortly after mapping: the "Max" button's frame
    # at the top right is the last widget-independent thing to appear.
    wait_for "$seconds" "the first frame (the file bar's Max button)" pixel_is_now 759 20 128 128 128
}

# stop_editor: ends the editor run (a plain kill; closing the window is tested
# on its own) and forgets it.
stop_editor() {
    if editor_running; then
        kill "$E2E_PID" 2>/dev/null || true
        wait "$E2E_PID" 2>/dev/null || true
    fi
    E2E_PID=
    WID=
}

# close_window_politely: asks the window to close as a window manager would.
# The helper is built on first use; the X headers come with the GLUT package.
close_window_politely() {
    local helper="$E2E_ROOT/close_window"
    if [ ! -x "$helper" ]; then
        "${CXX:-g++}" -O1 -o "$helper" "$E2E_HERE/close_window.cpp" -lX11 ||
            fail "could not build the close_window helper"
    fi
    "$helper" "$WID"
}

# swap_shim: builds (on first use) the shim that, in LD_PRELOAD, makes the
# editor keep the number of frames it has shown in $E2E_SWAPS (see
# swap_count.c), and puts its path in E2E_SWAP_SHIM:
#   swap_shim; LD_PRELOAD=$E2E_SWAP_SHIM start_editor
swap_shim() {
    E2E_SWAP_SHIM="$E2E_ROOT/swap_count.so"
    if [ ! -e "$E2E_SWAP_SHIM" ]; then
        "${CC:-cc}" -O1 -shared -fPIC -o "$E2E_SWAP_SHIM" "$E2E_HERE/swap_count.c" -ldl ||
            fail "could not build the swap_count shim"
    fi
    E2E_SWAPS="$E2E_ROOT/swaps"
    export SWAP_COUNT_FILE="$E2E_SWAPS"
}

# swaps: the frames the editor has shown so far (0 before the first).
swaps() {
    local count
    count=$(cat "$E2E_SWAPS" 2>/dev/null) || true
    echo $((${count:-0} + 0))
}

# --- screenshots and pixels -------------------------------------------------

# shot: takes a screenshot of the window as raw 8-bit RGB into $E2E_SHOT.
shot() {
    local tries=0
    while :; do
        if import -window "$WID" -depth 8 "rgb:$E2E_SHOT.tmp" 2>/dev/null &&
            [ "$(stat -c %s "$E2E_SHOT.tmp")" -eq $((WIN_W * WIN_H * 3)) ]; then
            mv "$E2E_SHOT.tmp" "$E2E_SHOT"
            return 0
        fi
        tries=$((tries + 1))
        [ "$tries" -lt 20 ] || fail "could not take an ${WIN_W}x${WIN_H} screenshot of window $WID"
        sleep 0.05
    done
}

# save_shot NAME: keeps a PNG copy of the last screenshot (for a human to look at).
save_shot() {
    convert -size "${WIN_W}x${WIN_H}" -depth 8 "rgb:$E2E_SHOT" "$PWD/$1.png"
}

# pixel X Y: prints "R G B" of the last screenshot.
pixel() {
    local offset=$((($2 * WIN_W + $1) * 3))
    od -An -tu1 -v -j "$offset" -N3 "$E2E_SHOT" | xargs
}

# colour_near "R G B" R G B: true when every channel is within 3.
colour_near() {
    local r g b
    read -r r g b <<<"$1"
    local dr=$((r - $2)) dg=$((g - $3)) db=$((b - $4))
    [ "${dr#-}" -le 3 ] && [ "${dg#-}" -le 3 ] && [ "${db#-}" -le 3 ]
}

pixel_is() { colour_near "$(pixel "$1" "$2")" "$3" "$4" "$5"; }
pixel_is_now() { shot && pixel_is "$@"; }
pixel_is_not_now() { shot && ! pixel_is "$@"; }

# expect_pixel X Y R G B WHAT: checks the last screenshot.
expect_pixel() {
    local got
    got=$(pixel "$1" "$2")
    colour_near "$got" "$3" "$4" "$5" ||
        fail "$6: pixel ($1, $2) is ($got), expected ($3 $4 $5)"
}

# wait_pixel X Y R G B WHAT: polls screenshots until the pixel has that colour.
wait_pixel() {
    wait_for 15 "$6: pixel ($1, $2) to become ($3 $4 $5)" pixel_is_now "$1" "$2" "$3" "$4" "$5"
}

# wait_pixel_not X Y R G B WHAT: polls until the pixel no longer has that colour.
wait_pixel_not() {
    wait_for 15 "$6: pixel ($1, $2) to change from ($3 $4 $5)" pixel_is_not_now "$1" "$2" "$3" "$4" "$5"
}

# lit_pixels X Y W H: the number of pixels in the rectangle of the last
# screenshot whose brightest channel exceeds 60.
lit_pixels() {
    local x=$1 y=$2 w=$3 h=$4 row
    for ((row = y; row < y + h; row++)); do
        od -An -tu1 -v -w$((w * 3)) -j $(((row * WIN_W + x) * 3)) -N $((w * 3)) "$E2E_SHOT"
    done | awk '{ for (i = 1; i + 2 <= NF; i += 3) { m = $i; if ($(i+1) > m) m = $(i+1); if ($(i+2) > m) m = $(i+2); if (m > 60) n++ } } END { print n + 0 }'
}

# max_channel X Y W H C: the largest value of channel C (1 red, 2 green,
# 3 blue) in the rectangle of the last screenshot.
max_channel() {
    local x=$1 y=$2 w=$3 h=$4 c=$5 row
    for ((row = y; row < y + h; row++)); do
        od -An -tu1 -v -w$((w * 3)) -j $(((row * WIN_W + x) * 3)) -N $((w * 3)) "$E2E_SHOT"
    done | awk -v c="$c" '{ for (i = c; i <= NF; i += 3) if ($i > m) m = $i } END { print m + 0 }'
}

# --- mouse and keyboard --------------------------------------------------------

# move X Y: pointer motion without a button; this is what lets a widget under
# the pointer take the next press.
move() {
    xdotool mousemove --window "$WID" "$1" "$2"
}

# click X Y [BUTTON]: moves there, then presses and releases.
click() {
    move "$1" "$2"
    xdotool click "${3:-1}"
}

# click_here [BUTTON]: presses and releases without moving the pointer.
click_here() {
    xdotool click "${1:-1}"
}

# drag BUTTON X0 Y0 X1 Y1 [X Y ...]: presses at the first point, moves through
# the others with the button held, and releases at the last.
drag() {
    local button=$1
    shift
    move "$1" "$2"
    shift 2
    xdotool mousedown "$button"
    while [ $# -ge 2 ]; do
        xdotool mousemove --window "$WID" "$1" "$2"
        shift 2
    done
    xdotool mouseup "$button"
}

# keys KEY...: focuses the window and types through XTEST like a keyboard.
keys() {
    xdotool windowfocus --sync "$WID"
    xdotool key --delay 20 "$@"
}

# --- editor output and files -------------------------------------------------

log_has_line() { grep -qxF -- "$1" "$E2E_LOG"; }
log_matches() { grep -qE -- "$1" "$E2E_LOG"; }
log_lines() { wc -l <"$E2E_LOG"; }
log_has_more_lines_than() { [ "$(log_lines)" -gt "$1" ]; }

wait_for_log_line() {
    wait_for "${2:-15}" "the output line '$1'" log_has_line "$1"
}

wait_for_log_match() {
    wait_for "${2:-15}" "an output line matching '$1'" log_matches "$1"
}

# stray_files NAME...: prints the entries of the current directory other than
# the given names and the harness's own editor.log and screenshots.
stray_files() {
    local entry name
    for entry in * .[!.]*; do
        [ -e "$entry" ] || continue
        case $entry in editor.log | shot.rgb*) continue ;; esac
        for name in "$@"; do
            [ "$entry" = "$name" ] && continue 2
        done
        printf '%s\n' "$entry"
    done
}

# expect_file_content FILE EXPECTED WHAT: byte-for-byte comparison.
expect_file_content() {
    [ -f "$1" ] || fail "$3: $1 does not exist"
    if ! cmp -s "$1" <(printf '%s' "$2"); then
        fail "$3: $1 differs from the expected content
--- expected:
$2
--- got:
$(cat "$1")"
    fi
}

# --- the editor's screen -------------------------------------------------------
# Window positions of the controls (centres of buttons) and colours.
TEAL="0 60 60"
DARK_RED="60 0 0"
FRAME_GREY="128 128 128"
MAGENTA="255 0 255"
GREEN="0 255 0"
WHITE="255 255 255"
BLACK="0 0 0"

# open_file_bar / open_point_bar: restore a minimised bar and wait until it shows.
open_file_bar() {
    shot
    if ! pixel_is 372 20 $TEAL; then
        local before
        before=$(log_lines)
        click 770 20
        # The picture may have shown a frame not yet drawn again (under Wine,
        # right after an export that waited for copy.bat) while the bar was
        # open: the press then closed it, and a second one opens it.
        wait_for 15 "the file bar's button to answer" log_has_more_lines_than "$before"
        if [ "$(tail -n +"$((before + 1))" "$E2E_LOG" | tr -d '\r' | grep -x 'M[a-z]*imize pressed' | tail -n 1)" = 'Minimize pressed' ]; then
            click 770 20
        fi
        wait_pixel 372 20 $TEAL "the file bar to open"
    fi
}

open_point_bar() {
    shot
    if ! pixel_is 397 55 $DARK_RED; then
        click 770 55
        wait_pixel 397 55 $DARK_RED "the point bar to open"
    fi
}

# press_point_button append|insert|remove: the point bar must be open.
press_point_button() {
    case $1 in
    append) click 457 55 ;;
    insert) click 577 55 ;;
    remove) click 697 55 ;;
    *) fail "no point button $1" ;;
    esac
}

# save_map: "Save QUIV File", then "Yes"; waits for a fresh map.mef (the
# caller removes the old one first).
save_map() {
    [ ! -e map.mef ] || fail "save_map needs map.mef removed first"
    open_file_bar
    click 587 20
    wait_pixel 402 340 $TEAL "the confirmation panel to show"
    click 430 340
    wait_for 15 "map.mef to be written" test -f map.mef
    wait_pixel_not 402 340 $TEAL "the confirmation panel to hide"
}

# resave CONTENT WHAT: saves the map afresh and checks map.mef holds CONTENT.
resave() {
    rm -f map.mef
    save_map
    expect_file_content map.mef "$1" "$2"
}

# export_map: "Export Map"; waits until the export has printed something.
# E2E_LINES_BEFORE_EXPORT keeps the number of output lines before the press.
export_map() {
    open_file_bar
    E2E_LINES_BEFORE_EXPORT=$(log_lines)
    click 707 20
    wait_for 15 "the export's output" log_has_more_lines_than "$E2E_LINES_BEFORE_EXPORT"
}

start_xvfb
