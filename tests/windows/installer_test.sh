#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own: a silent
# install puts the program, its Start-menu shortcut and the ".mef" file type
# in place, the installed program runs, and a silent uninstall leaves no file
# and no registry key of the editor behind.
#
# Usage: bash tests/windows/installer_test.sh path/to/mapeditor-VERSION-win64-setup.exe
set -uo pipefail
SETUP=$(readlink -f "${1:?usage: $0 path/to/setup.exe}")
[ -f "$SETUP" ] || { echo "no $1" >&2; exit 2; }

WORK=$(mktemp -d)
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu entries of Wine's in the real home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
cleanup() {
    wineserver -k 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }
# reg_value KEY [VALUE]: the data of VALUE (the default value without one),
# empty when the key or value is missing.
reg_value() {
    local option=(/ve)
    [ $# -gt 1 ] && option=(/v "$2")
    wine reg query "$1" "${option[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*REG_SZ    //p'
}
# The editor's traces in the prefix: files and folders named after it, and
# registry keys or values that mention it or the file type.
traces() {
    find "$WINEPREFIX/drive_c" -iname '*map editor*' -o -iname 'mapeditor*'
    grep -i -e 'map editor' -e 'mapeditor' -e '\.mef\]' "$WINEPREFIX"/*.reg
}

step "a fresh prefix"
wine wineboot --init >/dev/null 2>&1
wineserver -w
[ -z "$(traces)" ] || fail "the fresh prefix already has traces of the editor: $(traces)"

step "silent install"
wine "$SETUP" /S || fail "the installer exited with status $?"
wineserver -w
INSTDIR="$WINEPREFIX/drive_c/Program Files/Map Editor"
for file in mapeditor.exe mapeditor.com README.md LICENSE docs/windows.md copy.bat.example Uninstall.exe; do
    [ -f "$INSTDIR/$file" ] || fail "$file is not installed"
done
[ ! -e "$INSTDIR/copy.bat" ] || fail "a copy.bat is installed"
SHORTCUT="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Map Editor/Map Editor.lnk"
[ -f "$SHORTCUT" ] || fail "no Start-menu shortcut"
# Started in the user's Documents folder, where a standard user can write.
strings -el "$SHORTCUT" | grep -qxF '%USERPROFILE%\Documents' ||
    fail "the shortcut starts in: $(strings -el "$SHORTCUT" | tr '\n' ' ')"

step "the file type and its command in the registry"
[ "$(reg_value 'HKCR\.mef')" = MapEditor.Map ] || fail ".mef is not a map: '$(reg_value 'HKCR\.mef')'"
[ "$(reg_value 'HKCR\MapEditor.Map')" = "Map Editor map" ] || fail "the type is named '$(reg_value 'HKCR\MapEditor.Map')'"
[ "$(reg_value 'HKCR\MapEditor.Map\DefaultIcon')" = 'C:\Program Files\Map Editor\mapeditor.exe,0' ] ||
    fail "the type's icon is '$(reg_value 'HKCR\MapEditor.Map\DefaultIcon')'"
command=$(reg_value 'HKCR\MapEditor.Map\shell\open\command')
[ "$command" = '"C:\Program Files\Map Editor\mapeditor.exe" --in-map-folder "%1"' ] || fail "the open command is '$command'"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Map Editor'
[ "$(reg_value "$uninstall" DisplayName)" = "Map Editor" ] || fail "not listed among the installed programs"

step "the installed program runs"
version=$(wine 'C:\Program Files\Map Editor\mapeditor.com' --version | tr -d '\r' | head -1)
[ "$version" = "mapeditor 1.0.0" ] || fail "--version printed '$version'"
# The open command works in the map's folder: the export's files land there.
mkdir -p "$WORK/maps/canyon"
printf '0 10 0.5 18\n10 18 10.5 10\n5' >"$WORK/maps/canyon/c.mef"
(cd "$WORK" && wine 'C:\Program Files\Map Editor\mapeditor.com' --export --no-batch --in-map-folder maps/canyon/c.mef >/dev/null) ||
    fail "--export --in-map-folder failed"
[ -f "$WORK/maps/canyon/gnd.pts" ] && [ -f "$WORK/maps/canyon/go" ] || fail "the export did not write beside the map"

step "a reinstall keeps the copy.bat the user made in the installation"
printf '@echo mine\r\n' >"$INSTDIR/copy.bat"
wine "$SETUP" /S || fail "the reinstall exited with status $?"
wineserver -w
[ "$(cat "$INSTDIR/copy.bat")" = $'@echo mine\r' ] || fail "copy.bat was replaced"
[ -f "$INSTDIR/mapeditor.exe" ] || fail "the reinstall left no mapeditor.exe"

step "silent uninstall leaves nothing of its own, and the user's copy.bat"
wine 'C:\Program Files\Map Editor\Uninstall.exe' /S || fail "the uninstaller exited with status $?"
wineserver -w
[ "$(ls "$INSTDIR")" = copy.bat ] || fail "the installation folder holds: $(ls "$INSTDIR" | tr '\n' ' ')"
rm -r "$INSTDIR"
[ -z "$(traces)" ] || fail "left behind: $(traces)"
echo PASS
