#!/usr/bin/env bash
# The Windows clipboard under Wine: after Ctrl+A and Ctrl+C, the clipboard's
# "image/svg+xml" converts back to the map and its CF_UNICODETEXT is the
# map's text; a path that another program put there as text is pasted by
# Ctrl+V. A small MinGW program (clipboard_helper.c) plays the other program.
#
# Usage: bash tests/windows/clipboard_test.sh path/to/linux/mapeditor path/to/mapeditor.exe
WIN_EXE=$(readlink -f "${2:?usage: $0 path/to/mapeditor path/to/mapeditor.exe}")
[ -f "$WIN_EXE" ] || { echo "no $2" >&2; exit 2; }
WINE_RUN=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-run
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../e2e/lib.sh
source "$HERE/../e2e/lib.sh" "$1"
# shellcheck source=wine_lib.sh
source "$HERE/wine_lib.sh"

HELPER=$E2E_ROOT/clipboard_helper.exe
x86_64-w64-mingw32-gcc-posix -O1 -o "$HELPER" "$HERE/clipboard_helper.c" || fail "could not build clipboard_helper.exe"
helper() { "$WINE_RUN" "$HELPER" "$@"; }

start_xvfb
step "Ctrl+A, Ctrl+C: image/svg+xml and CF_UNICODETEXT hold the map"
new_workdir copy
printf '%s' "$JUNCTION_MAP" >map.mef
"$WINE_RUN" --wait-for-server
E2E_LAUNCHER=$WINE_RUN E2E_EDITOR=$WIN_EXE E2E_START_SECONDS=60 E2E_TITLE='^Map Editor - map\.mef$' start_editor map.mef
keys ctrl+a ctrl+c
wait_for 20 "the drawing on the clipboard" helper get-svg copied.svg
helper get-text copied.txt || fail "no CF_UNICODETEXT on the clipboard"
expect_file_content copied.txt "$JUNCTION_MAP" "the clipboard's text"
"$E2E_EDITOR" --convert copied.svg back.mef >convert.log 2>&1 || fail "the drawing does not convert: $(cat convert.log)"
expect_file_content back.mef "$JUNCTION_MAP" "the clipboard's drawing read back"

step "a path another program put on the clipboard is pasted by Ctrl+V"
printf 'M 0 100 C 10 110 20 110 30 100' >path.txt
helper put-text path.txt || fail "could not fill the clipboard"
keys ctrl+v
rm -f map.mef
save_map
expect_file_content map.mef "$JUNCTION_MAP"$'\n16 10 17 11\n18 11 19 10\n5' "the path pasted after the selection"
stop_editor

echo "PASS clipboard_test (Windows)"
