#!/usr/bin/env bash
# What the desktop reads from the window: a title beyond ASCII in UTF-8, the
# class, the process and the built-in icon, which must be the installed PNG's.
source "$(dirname "$0")/lib.sh"

step "a map named Käse-地图.mef: title, class, process and icon"
new_workdir desktop
E2E_TITLE='^Map Editor - K' start_editor 'Käse-地图.mef'
title='Map Editor - Käse-地图.mef'
props=$(LC_ALL=C.UTF-8 xprop -id "$WID") || fail "xprop failed"
for expected in "_NET_WM_NAME(UTF8_STRING) = \"$title\"" \
    "WM_NAME(COMPOUND_TEXT) = \"$title\"" \
    'WM_CLASS(STRING) = "mapeditor", "Mapeditor"' \
    "_NET_WM_PID(CARDINAL) = $E2E_PID"; do
    grep -qxF "$expected" <<<"$props" || fail "no line '$expected' in:
$props"
done

# Move, minimise and close, no resize and no maximise: openbox then draws no maximise button.
motif=$(xprop -id "$WID" _MOTIF_WM_HINTS) || fail "xprop failed"
[ "$motif" = "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x1, 0x2c, 0x0, 0x0, 0x0" ] || fail "Motif hints: $motif"

icon=$(xprop -id "$WID" -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON | sed 's/^[^=]*=//; s/, /\n/g')
png=$(convert "$E2E_HERE/../../packaging/icons/mapeditor-48.png" -depth 8 rgba:- | od -An -v -tu1 -w4 |
    awk 'BEGIN { print 48; print 48 } { printf "%.0f\n", (($4 * 256 + $1) * 256 + $2) * 256 + $3 }')
[ "$(wc -l <<<"$png")" -eq $((2 + 48 * 48)) ] || fail "could not read the 48-pixel PNG"
[ "$icon" = "$png" ] || fail "_NET_WM_ICON differs from packaging/icons/mapeditor-48.png (run make-icons)"

echo "PASS desktop_test"
