#!/usr/bin/env bash
# The desktop clipboard in the real window, through xclip: Ctrl+C offers the
# stretch as a drawing and as map text, which read back as the copied
# segments; a path put on the clipboard by another program is pasted by
# Ctrl+V; text that is neither map records nor path data changes nothing.
source "$(dirname "$0")/lib.sh"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/packages.sh)"

INITIAL=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'

clip_out() { timeout 10 xclip -selection clipboard -o "$@"; }
# clip_in TEXT: xclip owns the clipboard with TEXT (it serves it from the background).
clip_in() { printf '%s' "$1" | timeout 10 xclip -selection clipboard -i; }

start_xvfb
step "Ctrl+A, Ctrl+C: the clipboard offers image/svg+xml and text"
new_workdir copy
start_editor
keys ctrl+a ctrl+c
wait_for 10 "the editor to own the clipboard" sh -c 'xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx image/svg+xml'
targets=$(clip_out -t TARGETS)
grep -qx UTF8_STRING <<<"$targets" || fail "no UTF8_STRING among the targets: $targets"
grep -qx text/plain <<<"$targets" || fail "no text/plain among the targets: $targets"
[ "$(clip_out -t UTF8_STRING)" = "$INITIAL" ] || fail "the clipboard's text is not the map: $(clip_out -t UTF8_STRING)"
clip_out -t image/svg+xml >copied.svg
"$E2E_EDITOR" --convert copied.svg back.mef >convert.log 2>&1 || fail "the drawing does not convert: $(cat convert.log)"
expect_file_content back.mef "$INITIAL" "the clipboard's drawing read back"

step "Ctrl+V pastes the editor's own stretch after the selection"
keys ctrl+v
resave "$INITIAL"$'\n16 10 16.5 18\n26 18 26.5 10\n5\n26.5 10 28 8\n30 8 32 10\n5' "the stretch pasted at the end"

step "a path that xclip put on the clipboard is pasted by Ctrl+V"
keys ctrl+z
clip_in 'M 0 100 C 10 110 20 110 30 100'
keys ctrl+a ctrl+v
resave "$INITIAL"$'\n16 10 17 11\n18 11 19 10\n5' "the path pasted where the ground ends"

step "words on the clipboard: the map stays, the notice says what was there"
keys ctrl+z
clip_in 'hello, ground'
keys ctrl+v
wait_for 10 "the notice" log_matches 'neither map records nor SVG path data: "hello, ground"'
resave "$INITIAL" "the map unchanged"
stop_editor

step "a whole map at the point budget: copied within 2 s, its text served in pieces (INCR)"
new_workdir large
# 100,000 joined segments of resolution 50: 5,200,000 points, the budget.
awk 'BEGIN { for (k = 0; k < 400000; k += 4) printf "%d 0 %d 1\n%d 1 %d 0\n50\n", k, k + 1, k + 3, k + 4 }' >big.mef
E2E_TITLE='^Map Editor - big\.mef$' start_editor big.mef
keys ctrl+a
started=$(now_ms)
keys ctrl+c
wait_for 10 "the editor to own the clipboard" sh -c 'xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx image/svg+xml'
took=$(($(now_ms) - started))
echo "copied in $took ms"
[ "$took" -le 2000 ] || fail "copying the whole map took $took ms"
clip_out -t UTF8_STRING >served.mef
# The editor's map text has no line end after the last record.
cmp -s served.mef <(head -c -1 big.mef) || fail "the served text is not the map ($(wc -c <served.mef) of $(wc -c <big.mef) bytes)"
keys ctrl+v
wait_for 10 "the refusal" log_matches 'Paste refused: .* more than the editor holds'
stop_editor

echo "PASS clipboard_test"
