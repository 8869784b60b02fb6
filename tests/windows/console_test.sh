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

# Messages to a console (Wine's console on a terminal, as `script` gives
# one) show a name as it was typed, through the companion or from the
# editor itself.
# program | name
while IFS='|' read -r program name <&3; do
    step "$program --check $name at a console prints the name as typed"
    new_map_folder "named-$program-${#name}"
    output=$(cd "$PWD" && timeout 90 script -qefc "env -u DISPLAY '$WINE_RUN' $program --check '$name'" /dev/null </dev/null | tr -d '\r') || true
    [[ "$output" == *"File input error: $name: "* ]] || fail "printed: $output"
done 3<<'TABLE'
mapeditor.com|hügel.mef
mapeditor.exe|hügel.mef
mapeditor.com|Kärte-地図.mef
TABLE

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
