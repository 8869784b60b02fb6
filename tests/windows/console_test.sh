#!/usr/bin/env bash
# The editor under Wine as a user at a Windows console meets it: keys and the
# close box of the console of mapeditor.com, names and typed input in a
# console, and an autosave that another program holds open. A small MinGW
# program (console_helper.c) plays the user's part inside the console.
#
# Usage: bash tests/windows/console_test.sh path/to/linux/mapeditor path/to/mapeditor.exe
WIN_EXE=$(readlink -f "${2:?usage: $0 path/to/mapeditor path/to/mapeditor.exe}")
[ -f "$WIN_EXE" ] || { echo "no $2" >&2; exit 2; }
WINE_RUN=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-run
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../e2e/lib.sh
source "$HERE/../e2e/lib.sh" "$1"
# shellcheck source=wine_lib.sh
source "$HERE/wine_lib.sh"

HELPER=$E2E_ROOT/console_helper.exe
x86_64-w64-mingw32-gcc-posix -municode -O1 -o "$HELPER" "$HERE/console_helper.c" || fail "could not build console_helper.exe"



# new_map_folder NAME: a fresh folder with both programs and a.mef.
new_map_folder() {
    new_workdir "$1"
    cp "$WIN_EXE" "${WIN_EXE%.exe}.com" .
    printf '%s' "$JUNCTION_MAP" >a.mef
}

# find_window: WID of the editor's window for a.mef, whoever started it.
find_window() {
    E2E_LOG=$PWD/editor.log
    E2E_SHOT=$PWD/shot.rgb
    WID=
    local deadline=$(($(now_ms) + 90000))
    while [ -z "$WID" ] && [ "$(now_ms)" -lt "$deadline" ]; do
        WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Map Editor - a\.mef' 2>/dev/null | head -1) || true
    done
    [ -n "$WID" ] || fail "no window for a.mef"
    wait_for 60 "the first frame (the file bar's Max button)" pixel_is_now 759 20 128 128 128
}

# drag_junction: moves the map's junction (10.5, 10) to (18.9, 13.9).
drag_junction() {
    drag 3 105 100 140 120 170 130 190 140
    wait_pixel 192 142 $MAGENTA "the junction drawn at (190, 140)"
}

# at_console COMMAND: what COMMAND prints at a console (Wine's console on a
# terminal wide enough for any line), without the carriage returns and the
# terminal's control sequences.
at_console() {
    timeout 90 script -qefc "stty cols 1000; env -u DISPLAY '$WINE_RUN' $1" /dev/null </dev/null |
        tr -d '\r' | sed -E 's/\x1b\[[0-9;?]*[A-Za-z]//g'
}

# Each in the console of a wineconsole, started as a user types the command
# there: a drag, then what the user does. The window
# writes its autosave and ends; the status is what the console's program
# sees ("-" where nobody is left to see it, or cmd.exe stands between).
# command typed | what the user does | helper's action | status
row=0
while IFS='|' read -r command what action status <&3; do
    step "$command in a console, a drag, then $what: the autosave has the drag, status $status"
    row=$((row + 1))
    new_map_folder "console-$row"
    "$WINE_RUN" --wait-for-server
    # shellcheck disable=SC2086 # the command of the table is split on purpose
    "$WINE_RUN" wineconsole "$HELPER" "$action" go status.txt $command >console.log 2>&1 &
    console=$!
    find_window
    drag_junction
    editor=$(windows_pid mapeditor.exe) || fail "no process runs mapeditor.exe"
    touch go
    wait_for 20 "the editor to end" eval '! process_alive '"$editor"
    expect_file_content a.mef.autosave "$JUNCTION_DRAGGED" "the autosave"
    if [ "$status" != - ]; then
        wait_for 20 "the helper to record the status" test -s status.txt
        [ "$(tr -d '\r\n' <status.txt)" = "$status" ] || fail "status $(cat status.txt), expected $status"
    fi
    wait "$console" || true
    "$WINE_RUN" --wait-for-server
done 3<<'TABLE'
mapeditor.com a.mef|Ctrl+C|ctrl-c|130
cmd /c mapeditor a.mef|Ctrl+C|ctrl-c|-
mapeditor.com a.mef|the console closed|close|-
TABLE

# The same ends while the window's export waits for copy.bat, which makes
# the file copying and then waits 30 s: the first request ends copy.bat (its wait
# included) and the editor within a second, with the autosave written. The
# second is counted from copying's making, or for a closed console from the
# companion's end: Wine takes 2 s to end the programs of a closed console,
# copy.bat or not.
# what the user does | helper's action | status
while IFS='|' read -r what action status <&3; do
    step "a drag, an export waiting for copy.bat, then $what: both end at once, the autosave has the drag, status $status"
    row=$((row + 1))
    new_map_folder "batch-$row"
    printf '@type nul > copying\r\n@ping -n 31 127.0.0.1 >nul\r\n@type nul > done\r\n' >copy.bat
    "$WINE_RUN" --wait-for-server
    "$WINE_RUN" wineconsole "$HELPER" "$action" copying status.txt mapeditor.com a.mef >console.log 2>&1 &
    console=$!
    find_window
    drag_junction
    editor=$(windows_pid mapeditor.exe) || fail "no process runs mapeditor.exe"
    companion=$(windows_pid mapeditor.com) || fail "no process runs mapeditor.com"
    click 770 20
    wait_pixel 372 20 $TEAL "the file bar to open"
    click 707 20
    wait_for 30 "copy.bat to start" test -e copying
    asked=$(date -r copying +%s%3N)
    if [ "$action" = close ]; then
        wait_for 10 "the console to end the companion" eval '! process_alive '"$companion"
        asked=$(now_ms)
    fi
    wait_for 10 "the editor to end" eval '! process_alive '"$editor"
    took=$(($(now_ms) - asked))
    echo "    the editor ended ${took} ms after the request"
    [ "$took" -le 1000 ] || fail "the editor ended ${took} ms after the request"
    ! windows_pid 'ping(\.exe)?' >/dev/null || fail "copy.bat's wait runs on"
    expect_file_content a.mef.autosave "$JUNCTION_DRAGGED" "the autosave"
    if [ "$status" != - ]; then
        wait_for 20 "the helper to record the status" test -s status.txt
        [ "$(tr -d '\r\n' <status.txt)" = "$status" ] || fail "status $(cat status.txt), expected $status"
    fi
    wait "$console" || true
    "$WINE_RUN" --wait-for-server
done 3<<'TABLE'
Ctrl+C|ctrl-c|130
the console closed|close|-
the companion killed|kill|-
TABLE

# Messages to a console (Wine's console on a terminal, as `script` gives
# one) show a name as it was typed, through the companion or from the
# editor itself.
# program | name
while IFS='|' read -r program name <&3; do
    step "$program --check $name at a console prints the name as typed"
    new_map_folder "named-$program-${#name}"
    output=$(at_console "$program --check '$name'") || true
    [[ "$output" == *"File input error: $name: "* ]] || fail "printed: $output"
done 3<<'TABLE'
mapeditor.com|hügel.mef
mapeditor.exe|hügel.mef
mapeditor.com|Kärte-地図.mef
TABLE

step "mapeditor.com --check over eight files at a console: every line in the order written, in five runs"
new_map_folder check-order
for i in 1 2 3 4 5 6 7 8; do
    case $((i % 3)) in
    0) printf '%s' "$JUNCTION_MAP" ;;
    1) printf '0 10 0.5 18\n10 18 oops 10\n5' ;;
    2) printf '0 0 1 1\n2 2 3 3\n5\n5 5 6 6\n7 7 8 8\n5' ;;
    esac >"m$i.mef"
done
expected=$(env -u DISPLAY "$E2E_EDITOR" --check m?.mef 2>&1 </dev/null) || true
for run in 1 2 3 4 5; do
    output=$(at_console "mapeditor.com --check m?.mef") || true
    [ "$output" = "$expected" ] || fail "run $run printed:
$output
where the Linux build prints:
$expected"
done

step "a failing copy.bat in a folder named with é and 地図: its lines readable at the console"
new_map_folder "copy-é-地図"
printf '@echo into %%CD%% failed\r\n@echo copy into %%CD%% failed 1>&2\r\n@exit /b 1\r\n' >copy.bat
output=$(at_console "mapeditor.com --export a.mef") || true
# cmd writes 地図 as "??" where its code page lacks them; é is in every Western one.
for line in "into .*\\copy-é-(地図|\?\?) failed" "copy into .*\\copy-é-(地図|\?\?) failed" "copy.bat exited with status 1"; do
    grep -qxE "$line" <<<"$output" || fail "no line '$line' in: $output"
done

# `mapeditor --check -` in a console window, typed by a user: the input ends
# with Ctrl+Z and Enter, as in every Windows tool.
# what is typed (lines separated by "/") | status
while IFS='|' read -r typed status <&3; do
    step "--check - in a console: '$typed', Ctrl+Z, Enter: status $status"
    new_map_folder "typed-$status"
    printf '@echo off\r\nmapeditor --check - > out.txt 2>&1\r\necho %%ERRORLEVEL%% > rc.txt\r\n' >check.bat
    "$WINE_RUN" --wait-for-server
    "$WINE_RUN" wineconsole cmd /c check.bat >console.log 2>&1 &
    WID=
    wait_for 90 "the console window" eval 'WID=$(xdotool search --onlyvisible --name "cmd\\.exe" 2>/dev/null | head -1) && [ -n "$WID" ]'
    # The console reads keys once the editor runs.
    wait_for 60 "mapeditor.exe to run" eval "windows_pid mapeditor.exe >/dev/null"
    IFS=/ read -ra lines <<<"$typed"
    for line in "${lines[@]}"; do
        xdotool windowfocus --sync "$WID" type --delay 30 "$line"
        xdotool key --window "$WID" Return
    done
    xdotool windowfocus --sync "$WID" key ctrl+z Return
    wait_for 30 "the status in rc.txt" test -s rc.txt
    [ "$(tr -d '\r\n ' <rc.txt)" = "$status" ] || fail "status $(cat rc.txt), expected $status; printed: $(cat out.txt)"
    "$WINE_RUN" --wait-for-server
done 3<<'TABLE'
0 10 0.5 18/10 18 10.5 10/5|0
0 10 0.5 18/10 18 oops 10/5|1
TABLE

# The window closed while another program holds a.mef.autosave open (reading,
# sharing only reading, as a viewer or a sync tool does): the changes go to
# a spare autosave, or, when the autosave already has them, stay there;
# nothing is claimed lost and the status is 0.
# when the autosave is held | file with the drag | other autosave files
while IFS='|' read -r when kept others <&3; do
    step "a drag, a.mef.autosave held $when, the window closed: $kept has the drag, status 0"
    new_map_folder "held-${#when}"
    "$WINE_RUN" --wait-for-server
    E2E_LAUNCHER=$WINE_RUN E2E_EDITOR=$PWD/mapeditor.exe E2E_TITLE='^Map Editor - ' E2E_START_SECONDS=90 start_editor a.mef
    drag_junction
    [ "$when" = "before any autosave" ] || wait_for 45 "the 30-second autosave" cmp -s a.mef.autosave <(printf '%s' "$JUNCTION_DRAGGED")
    "$WINE_RUN" "$HELPER" hold a.mef.autosave held.txt &
    holder=$!
    wait_for 60 "the autosave to be held" test -e held.txt
    close_window_politely
    RC=0
    wait "$E2E_PID" || RC=$?
    E2E_PID=
    kill "$holder" 2>/dev/null || true
    wait "$holder" 2>/dev/null || true
    [ "$RC" = 0 ] || fail "status $RC, printed: $(tr -d '\r' <editor.log)"
    ! grep -q 'lost' editor.log || fail "printed: $(tr -d '\r' <editor.log)"
    expect_file_content "$kept" "$JUNCTION_DRAGGED" "the kept changes"
    [ -z "$(stray_files a.mef mapeditor.exe mapeditor.com held.txt $kept $others)" ] ||
        fail "stray files: $(stray_files a.mef mapeditor.exe mapeditor.com held.txt $kept $others)"
    "$WINE_RUN" --wait-for-server
done 3<<'TABLE'
before any autosave|a.mef.autosave-2|a.mef.autosave
after the autosave|a.mef.autosave|
TABLE

echo "PASS"
