#!/usr/bin/env bash
# What the window tells its user: a failed export as a notice that a click
# dismisses, the offer to continue an earlier autosave, the " *" of unsaved
# changes in the title, a damaged map opened from the desktop, and the size
# hints that keep the window 800 x 600.
source "$(dirname "$0")/lib.sh"

title() { xprop -id "$WID" WM_NAME | sed 's/^[^"]*"//; s/"$//'; }
title_is() { [ "$(title)" = "$1" ]; }
# The notice's face right of its text; black while no notice shows.
NOTICE_X=790 NOTICE_Y=510

step "a window manager finds the class and the size hints when it maps the window"
new_workdir notice
"${CXX:-g++}" -O1 -o "$E2E_ROOT/map_request" "$E2E_HERE/map_request.cpp" -lX11 ||
    fail "could not build the map_request helper"
"$E2E_ROOT/map_request" >manager.log 2>&1 &
manager=$!
wait_for 10 "the stand-in window manager" grep -qx ready manager.log
start_editor
kill "$manager"
wait "$manager" 2>/dev/null || true
last=$(grep '^map request: ' manager.log | tail -1)
[ "$last" = "map request: class mapeditor Mapeditor, minimum 800x600, maximum 800x600" ] ||
    fail "the window manager saw: $(cat manager.log)"
[ "$(xprop -id "$WID" WM_NORMAL_HINTS | grep -c 'program specified m[a-z]* size: 800 by 600')" -eq 2 ] ||
    fail "xprop shows no minimum and maximum size of 800 x 600"

step "an export that cannot write gnd.pts shows a notice; a click dismisses it"
mkdir gnd.pts
shot
expect_pixel $NOTICE_X $NOTICE_Y $BLACK "no notice before the export"
export_map
wait_pixel $NOTICE_X $NOTICE_Y $TEAL "the notice of the failed export"
[ "$(grep -c '^File output error: gnd.pts: ' editor.log)" -eq 1 ] || fail "the error is not on standard output once"
[ "$(lit_pixels 125 508 300 30)" -gt 100 ] || fail "the notice shows no text"
click 400 520
wait_pixel $NOTICE_X $NOTICE_Y $BLACK "the notice to go after a click on it"

step "a drag marks the title with ' *', a save clears it"
title_is "Map Editor" || fail "title '$(title)' before any change"
drag 1 115 110 200 200
wait_for 15 "the title 'Map Editor *'" title_is "Map Editor *"
save_map
wait_for 15 "the title 'Map Editor' after the save" title_is "Map Editor"
stop_editor

step "an earlier autosave is offered; Recover brings its map"
new_workdir offer
earlier=$'0 10 0.5 18\n10 18 10.5 10\n5'
printf '%s' "$earlier" >map.mef.autosave
start_editor
log_matches '^Unsaved changes from .* are in map.mef.autosave; start with --recover to continue them$' ||
    fail "the start line is missing"
wait_pixel 252 275 $TEAL "the recovery offer"
click 300 325
wait_pixel_not 252 275 $TEAL "the offer to go after Recover"
wait_for 15 "the title 'Map Editor *' after Recover" title_is "Map Editor *"
[ -f map.mef.autosave ] || fail "the autosave went before a save"
save_map
expect_file_content map.mef "$earlier" "the saved map after Recover"
wait_for 15 "the autosave to go after the save" test ! -e map.mef.autosave
stop_editor

step "a map that cannot be read: exit 1 from a terminal, a window with a notice from the desktop"
new_workdir damaged
printf 'not a map' >bad.mef
status=0
"$E2E_EDITOR" bad.mef >out.log 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "status $status for a damaged map from a terminal"
E2E_TITLE='^Map Editor - bad.mef$' start_editor --in-map-folder "$PWD/bad.mef"
wait_pixel $NOTICE_X $NOTICE_Y $TEAL "the notice of the damaged map"
log_matches '^File input error: .*bad.mef: ' || fail "the load's error is not printed"

echo "PASS notice_test"
