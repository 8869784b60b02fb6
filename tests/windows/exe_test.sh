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
# shellcheck source=wine_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"

# The Windows C runtime writes "\r\n" for "\n" on standard output in text
# mode, as every console program there; the messages are compared without it.
log_has_line() { tr -d '\r' <"$E2E_LOG" | grep -qxF -- "$1"; }
log_matches() { tr -d '\r' <"$E2E_LOG" | grep -qE -- "$1"; }

# start_windows_editor [ARG...]: start_editor, for mapeditor.exe under Wine,
# the window titled E2E_TITLE (default "Map Editor"). A Wine server left from
# another display would keep its windows there.
start_windows_editor() {
    "$WINE_RUN" --wait-for-server
    E2E_LAUNCHER=$WINE_RUN E2E_EDITOR=$WIN_EXE E2E_START_SECONDS=60 start_editor "$@"
}

load_map() {
    open_file_bar
    click 445 20
}

# The screen above the counters (whose fps figure differs from run to run),
# as raw RGB bytes of the last screenshot.
PICTURE_BYTES=$((540 * WIN_W * 3))
# steady_picture FILE: waits until two screenshots in a row agree above the
# counters, and keeps that picture in FILE.
steady_picture() {
    shot
    head -c "$PICTURE_BYTES" "$E2E_SHOT" >"$1"
    ! { shot && ! cmp -s -n "$PICTURE_BYTES" "$E2E_SHOT" "$1"; }
}
picture_is() { shot && cmp -s -n "$PICTURE_BYTES" "$E2E_SHOT" "$1"; }

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
# The square of the loaded map's first start point, (0, 10) at view offset
# (1, 1), beside the handle line leaving its centre.
wait_pixel 3 99 255 0 255 "the loaded map"
move 700 300
wait_for 5 "a steady picture" steady_picture loaded.rgb
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

step "a loaded map looks as in the Linux build, pixel for pixel above the counters"
load_map
move 700 300
wait_for 15 "the Linux build's picture of the loaded map" picture_is "$LINUX_DIR/loaded.rgb"

step "export of a loaded map: the same files as the Linux build, and copy.bat ran"
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
# freeglut's own lines only; a DISPLAY variable (Wine's) makes none.
! grep -q 'CreateDC failed' editor.log || fail "freeglut took DISPLAY for a display device: $(grep CreateDC editor.log)"
tr -d '\r' <editor.log | grep -v '^This is\|^freeglut\|^ *[0-9]* [Ff]ile(s) copied' >messages.txt
if ! cmp -s messages.txt "$LINUX_DIR/messages.txt"; then
    fail "messages differ from the Linux build's:
$(diff "$LINUX_DIR/messages.txt" messages.txt)"
fi

# mapeditor.exe NAME, for names that the ANSI code page cannot hold and for
# device names. A map is shown in a window titled with its name, and a save
# writes that very file; anything else is refused with status 1 before any
# window could save over it.
# name | what NAME holds: map, bad (not a map) or device (nothing made)
row=0
while IFS='|' read -r name holds <&3; do
    step "mapeditor.exe $name ($holds)"
    row=$((row + 1))
    new_workdir "named-$row"
    case $holds in
    map)
        mkdir -p "$(dirname "$name")"
        printf '%s' "$MAP" >"$name"
        # Folders given with Windows' own separator.
        E2E_TITLE='^Map Editor - ' start_windows_editor "${name//\//\\}"
        # The UTF-8 title (_NET_WM_NAME); the search above may match the Latin-1 WM_NAME.
        title=$(xdotool getwindowname "$WID")
        [ "$title" = "Map Editor - $(basename "$name")" ] || fail "the window is titled '$title'"
        wait_pixel 3 99 255 0 255 "the file's map, not the initial one"
        open_file_bar
        click 587 20
        # shellcheck disable=SC2086 # R G B
        wait_pixel 402 340 $TEAL "the confirmation panel to show"
        click 430 340
        wait_for 5 "the save to write $name" cmp -s "$name" "$LINUX_DIR/saved.mef"
        stop_editor
        continue
        ;;
    bad)
        printf '%s' "$BAD_MAP" >"$name"
        # The Linux build's message for the same file.
        expected=$(cd "$LINUX_DIR" && printf '%s' "$BAD_MAP" >"$name" && { "$E2E_EDITOR" "$name" 2>&1 >/dev/null </dev/null || :; })
        ;;
    # A pattern: a device may not even open (CON under Wine).
    device) expected='File input error*' ;;
    esac
    RC=0
    timeout 60 "$WINE_RUN" "$WIN_EXE" "$name" >out.txt 2>err.txt </dev/null || RC=$?
    # shellcheck disable=SC2053 # $expected is a pattern
    [[ "$RC:$(tr -d '\r' <err.txt)" == 1:$expected ]] || fail "status $RC (expected 1, no window), printed: $(cat err.txt)"
done 3<<'TABLE'
levels/canyon.mef|map
é.mef|map
José/canyon.mef|map
😀.mef|map
bad-é.mef|bad
NUL|device
CON|device
AUX|device
COM1|device
nul.txt|device
TABLE

# Both builds without a display: mapeditor --export and mapeditor.exe --export.
# run_both DIR ARG...: runs each build in DIR/linux and DIR/windows, which the
# caller filled alike, and fails unless the exit statuses, the messages
# (without the console's carriage returns, and with the system's reason after
# a file error left out, since each system words it its own way) and gnd.pts
# and go are the same.
# Standard input is the folder's stdin.mef where there is one, else /dev/null.
# Sets RC to the common exit status.
run_both() {
    local dir=$1 linux_rc=0 windows_rc=0 file input=/dev/null
    shift
    [ ! -f "$dir/linux/stdin.mef" ] || input=stdin.mef
    (cd "$dir/linux" && env -u DISPLAY "$E2E_EDITOR" "$@" >out.txt 2>err.txt <"$input") || linux_rc=$?
    (cd "$dir/windows" && env -u DISPLAY "$WINE_RUN" "$WIN_EXE" "$@" >out.txt 2>err.txt <"$input") || windows_rc=$?
    [ "$linux_rc" = "$windows_rc" ] || fail "exit status $windows_rc on Windows, $linux_rc on Linux
$(cat "$dir/windows/err.txt")"
    local reason='s/^(File (input|output) error: [^:]*): [^:]*$/\1: REASON/'
    for file in out.txt err.txt; do
        cmp -s <(tr -d '\r' <"$dir/windows/$file" | sed -E "$reason") <(sed -E "$reason" "$dir/linux/$file") ||
            fail "$file differs: $(diff "$dir/linux/$file" "$dir/windows/$file")"
    done
    for file in gnd.pts go; do
        if [ -f "$dir/linux/$file" ] || [ -f "$dir/windows/$file" ]; then
            cmp -s "$dir/linux/$file" "$dir/windows/$file" || fail "$file differs from the Linux build's"
        elif [ -e "$dir/linux/$file" ] || [ -e "$dir/windows/$file" ]; then
            { [ -d "$dir/linux/$file" ] && [ -d "$dir/windows/$file" ]; } || fail "$file differs from the Linux build's"
        fi
    done
    RC=$linux_rc
}

# name | set-up (in each folder; $BAT_OK and $BAT_FAIL are each system's
# copy.bat that records its run and exits 0, or 3) | arguments | exit status
while IFS='|' read -r name setup args status; do
    step "--export without a window: $name"
    for system in linux windows; do
        mkdir -p "$E2E_ROOT/cli-$name/$system"
        (
            cd "$E2E_ROOT/cli-$name/$system" || exit 1
            # shellcheck disable=SC2034 # used by the set-up through eval
            if [ $system = linux ]; then
                BAT_OK='touch ran'
                BAT_FAIL=$'touch ran\nexit 3\n'
            else
                BAT_OK=$'@type nul > ran\r\n'
                BAT_FAIL=$'@type nul > ran\r\n@exit /b 3\r\n'
            fi
            printf 'old' >gnd.pts
            eval "$setup"
        )
    done
    # shellcheck disable=SC2086 # the arguments of the table are split on purpose
    run_both "$E2E_ROOT/cli-$name" $args
    [ "$RC" = "$status" ] || fail "exit status $RC, expected $status"
    ran_linux=no ran_windows=no
    [ -e "$E2E_ROOT/cli-$name/linux/ran" ] && ran_linux=yes
    [ -e "$E2E_ROOT/cli-$name/windows/ran" ] && ran_windows=yes
    [ "$ran_linux" = "$ran_windows" ] || fail "copy.bat ran on Linux: $ran_linux, on Windows: $ran_windows"
    case $name in *link*)
        [ -L "$E2E_ROOT/cli-$name/windows/gnd.pts" ] || fail "the link gnd.pts was replaced by a file"
        [ "$(head -c 3 "$E2E_ROOT/cli-$name/windows/out/gnd.pts")" != old ] || fail "the linked file was not written"
        ;;
    esac
done <<'TABLE'
success|printf '%s' "$MAP" >map.mef; printf '%s' "$BAT_OK" >copy.bat|--export|0
non-ASCII map name|printf '%s' "$MAP" >Kärte-地図.mef; printf '%s' "$BAT_OK" >copy.bat|--export Kärte-地図.mef|0
no batch|printf '%s' "$MAP" >m.mef; printf '%s' "$BAT_OK" >copy.bat|--export --no-batch m.mef|0
missing map|printf '%s' "$BAT_OK" >copy.bat|--export none.mef|1
not a map|printf '%s' "$BAD_MAP" >m.mef; printf '%s' "$BAT_OK" >copy.bat|--export m.mef|1
no segments|: >m.mef; printf '%s' "$BAT_OK" >copy.bat|--export m.mef|1
gnd.pts a folder|printf '%s' "$MAP" >m.mef; rm gnd.pts; mkdir gnd.pts; printf '%s' "$BAT_OK" >copy.bat|--export m.mef|1
gnd.pts a link|printf '%s' "$MAP" >m.mef; mkdir out; mv gnd.pts out/; ln -s out/gnd.pts gnd.pts|--export --no-batch m.mef|0
copy.bat missing|printf '%s' "$MAP" >m.mef|--export m.mef|1
copy.bat fails|printf '%s' "$MAP" >m.mef; printf '%s' "$BAT_FAIL" >copy.bat|--export m.mef|1
usage error|:|--export a.mef b.mef|2
help|:|--help|0
version|:|--version|0
short option|:|-V|0
abbreviations|printf '%s' "$MAP" >m.mef|--exp --no m.mef|0
several maps checked|printf '%s' "$MAP" >m.mef; printf '%s' "$BAD_MAP" >b.mef|--check m.mef b.mef m.mef|1
standard input with CRLF|printf '%s' "$MAP" >stdin.mef|--export --no-batch -|0
TABLE

step "--export: a read-only gnd.pts is kept (Windows refuses it even to an administrator)"
new_workdir cli-read-only
printf '%s' "$MAP" >m.mef
printf 'old' >gnd.pts
chmod a-w gnd.pts
RC=0
env -u DISPLAY "$WINE_RUN" "$WIN_EXE" --export --no-batch m.mef >out.txt 2>err.txt </dev/null || RC=$?
[ "$RC" = 1 ] || fail "exit status $RC, expected 1"
[[ "$(tr -d '\r' <err.txt)" =~ ^File\ output\ error:\ gnd\.pts:\ [^.]+$ ]] || fail "printed: $(cat err.txt)"
[ "$(cat gnd.pts)" = old ] || fail "gnd.pts was replaced"
[ -z "$(stray_files m.mef gnd.pts go out.txt err.txt)" ] || fail "stray files: $(stray_files m.mef gnd.pts go out.txt err.txt)"

step "--export: copy.bat's exit /b 256 is a failure, not the 0 of its low byte"
new_workdir cli-exit256
printf '%s' "$MAP" >m.mef
printf '@exit /b 256\r\n' >copy.bat
RC=0
env -u DISPLAY "$WINE_RUN" "$WIN_EXE" --export m.mef >out.txt 2>err.txt </dev/null || RC=$?
[ "$RC:$(tr -d '\r' <err.txt)" = "1:copy.bat exited with status 256" ] || fail "status $RC, printed: $(cat err.txt)"

step "--export in a folder whose path is too long for cmd.exe says so, and copy.bat does not run"
new_workdir cli-long-folder
folder=$PWD
while [ ${#folder} -lt 300 ]; do folder=$folder/$(printf 'folder%040d' 0); done
mkdir -p "$folder"
printf '%s' "$MAP" >"$folder/m.mef"
printf '@type nul > ran\r\n' >"$folder/copy.bat"
RC=0
env -u DISPLAY "$WINE_RUN" "$WIN_EXE" --in-map-folder --export "Z:${folder//\//\\}\\m.mef" >out.txt 2>err.txt </dev/null || RC=$?
expected="copy.bat cannot be run: the working folder's path has $((${#folder} + 2)) characters, more than the command interpreter takes (258); gnd.pts and go were not delivered"
[ "$RC:$(tr -d '\r' <err.txt)" = "1:$expected" ] || fail "status $RC, printed: $(cat err.txt)"
[ -f "$folder/gnd.pts" ] && [ ! -e "$folder/ran" ] || fail "gnd.pts missing or copy.bat ran"

step "Export Map without copy.bat does not run copy.bat.exe, which Explorer shows as copy.bat"
new_workdir lookalike
printf '%s' "$MAP" >map.mef
printf '#include <stdio.h>\nint main(void) { return fopen("ran", "w") == NULL; }\n' >ran.c
x86_64-w64-mingw32-gcc-posix -o copy.bat.exe ran.c || fail "could not build copy.bat.exe"
start_windows_editor
export_map
wait_for_log_match '^Saved [0-9]+ segments'
# The export has ended, batch run included, once the next press is answered.
click 770 20
wait_for_log_line "Minimize pressed"
[ ! -e ran ] || fail "Export Map ran copy.bat.exe"
stop_editor

step "mapeditor.exe is a GUI program (no console of its own), mapeditor.com a console one; both carry the icon and version"
for program in "$WIN_EXE:Windows GUI" "${WIN_EXE%.exe}.com:Windows CUI"; do
    file=${program%%:*}
    headers=$(x86_64-w64-mingw32-objdump -p "$file")
    grep -q "^Subsystem.*(${program#*:})" <<<"$headers" || fail "$file is not a ${program#*:} program"
    resources=$(wrestool -l "$file")
    for type in group_icon version; do
        grep -q "type=$type" <<<"$resources" || fail "$file has no $type resource"
    done
    version=$(wrestool -x --raw --type=version "$file" | tr -d '\0')
    grep -aq 'ProductNameMap Editor' <<<"$version" || fail "$file's version names no product"
done

step "cmd.exe: mapeditor in a batch file goes to the console companion, which prints to the redirection and sets ERRORLEVEL"
new_workdir bat
cp "$WIN_EXE" "${WIN_EXE%.exe}.com" .
mkdir linux
for dir in . linux; do
    printf '%s' "$MAP" >"$dir/map.mef"
    printf '%s' "$BAD_MAP" >"$dir/bad.mef"
done
# Typed as "mapeditor" cmd.exe finds the companion first; named as
# "mapeditor.com" it is surely the companion that relays output and status.
while IFS='|' read -r name args status; do
    # shellcheck disable=SC2086 # the arguments of the table are split on purpose
    (cd linux && env -u DISPLAY "$E2E_EDITOR" $args >out.txt 2>err.txt </dev/null) || true
    for command in mapeditor mapeditor.com; do
        printf '@echo off\r\n%s %s > out.txt 2> err.txt\r\necho %%ERRORLEVEL%% > rc.txt\r\n' "$command" "$args" >run.bat
        rm -f out.txt err.txt rc.txt
        env -u DISPLAY "$WINE_RUN" cmd /c run.bat </dev/null || true
        [ "$(tr -d '\r ' <rc.txt)" = "$status" ] || fail "$command, $name: ERRORLEVEL $(cat rc.txt), expected $status"
        for file in out.txt err.txt; do
            tr -d '\r' <"$file" | cmp -s - "linux/$file" ||
                fail "$command, $name: $file differs: $(tr -d '\r' <"$file" | diff "linux/$file" -)"
        done
    done
done <<'TABLE'
export|--export --no-batch map.mef|0
bad map|--export --no-batch bad.mef|1
usage error|--export a.mef b.mef|2
TABLE

# Without standard output (started by "start", as from Explorer or a
# shortcut, or with the descriptor closed) the status is that of the work.
# how | arguments | exit status | file the work writes
while IFS='|' read -r how args status writes; do
    step "mapeditor.exe $args, $how: status $status"
    new_workdir "no-output-$row"
    row=$((row + 1))
    mkdir maps
    printf '%s' "$MAP" >maps/m.mef
    cp "$WIN_EXE" .
    RC=0
    # shellcheck disable=SC2086 # the arguments of the table are split on purpose
    case $how in
    start) env -u DISPLAY "$WINE_RUN" start /wait mapeditor.exe $args </dev/null || RC=$? ;;
    closed) env -u DISPLAY "$WINE_RUN" mapeditor.exe $args </dev/null >&- || RC=$? ;;
    esac
    [ "$RC" = "$status" ] || fail "exit status $RC, expected $status"
    [ -z "$writes" ] || [ -s "$writes" ] || fail "$writes was not written"
done <<'TABLE'
start|--export --no-batch maps/m.mef|0|gnd.pts
start|--version|0|
start|--export --no-batch --in-map-folder maps/m.mef|0|maps/gnd.pts
start|--export --no-batch none.mef|1|
closed|--version|0|
closed|--export --no-batch maps/m.mef|0|go
TABLE

# The ways a session of mapeditor.com ends, each after a drag of the map's
# junction: the window writes its autosave first and ends with the status
# given ("-" when nobody waits for it any more). The map is given as NAME,
# which Windows keeps as a.mef; the autosave is named after the latter.
# how | NAME | status
while IFS='|' read -r how name status <&3; do
    step "mapeditor.com '$name', a drag, then $how: the autosave is written, status $status"
    new_workdir "end-$row"
    row=$((row + 1))
    cp "$WIN_EXE" "${WIN_EXE%.exe}.com" .
    printf '%s' "$JUNCTION_MAP" >a.mef
    WIN_EXE=$PWD/mapeditor.com E2E_TITLE='^Map Editor - ' start_windows_editor "$name"
    # The loaded map's junction (10.5, 10) moved to (18.9, 13.9).
    drag 3 105 100 140 120 170 130 190 140
    wait_pixel 192 142 $MAGENTA "the junction drawn at (190, 140)"
    companion=$(windows_pid mapeditor.com) || fail "no process runs mapeditor.com"
    editor=$(windows_pid mapeditor.exe) || fail "no process runs mapeditor.exe"
    case $how in
    Ctrl+C) kill -INT "$companion" ;;
    "the companion killed") "$WINE_RUN" taskkill /F /IM mapeditor.com >/dev/null 2>&1 ;;
    "the session ended") "$WINE_RUN" wineboot --end-session >/dev/null 2>&1 & ;;
    esac
    # Watched apart from the companion, which may be gone first.
    launcher=$E2E_PID
    E2E_PID=
    wait_for 10 "the editor to end" eval '! process_alive '"$editor"
    RC=0
    wait "$launcher" || RC=$?
    [ "$status" = - ] || [ "$RC" = "$status" ] || fail "exit status $RC, expected $status"
    expect_file_content a.mef.autosave "$JUNCTION_DRAGGED" "the autosave"
    [ -z "$(stray_files a.mef a.mef.autosave mapeditor.exe mapeditor.com editor.log shot.rgb)" ] ||
        fail "stray files: $(stray_files a.mef a.mef.autosave mapeditor.exe mapeditor.com editor.log shot.rgb)"
    "$WINE_RUN" --wait-for-server
done 3<<'TABLE'
Ctrl+C|a.mef|130
Ctrl+C|a.mef.|130
the companion killed|a.mef |-
the session ended|a.mef|143
TABLE

echo "PASS"
