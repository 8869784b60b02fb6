#!/usr/bin/env bash
# The Debian package: built with cpack from a build folder, extracted with
# dpkg-deb into a temporary directory, checked by Debian's and the desktop's
# validators, and the extracted program run there.
# Usage: bash tests/package/package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(readlink -f "$1")
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/mapeditor-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "--- cpack -G DEB"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}

echo "--- contents: only under /usr"
outside=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -vE '^\./$|^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

echo "--- Depends names the GL and GLUT libraries"
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
grep -qE '^libglut[0-9.]*$' <<<"$names" || fail "no GLUT library in Depends: $depends"
grep -qxE 'libgl1|libopengl0' <<<"$names" || fail "no GL library in Depends: $depends"

echo "--- the files of a well-kept package and of the desktop"
dpkg-deb -x "$deb" "$work/root"
share="$work/root/usr/share"
program="$work/root/usr/bin/mapeditor"
manual="$share/man/man1/mapeditor.1.gz"
desktop="$share/applications/mapeditor.desktop"
metainfo="$share/metainfo/mapeditor.metainfo.xml"
for file in "$program" "$manual" "$share/doc/mapeditor/copyright" "$share/doc/mapeditor/changelog.gz" \
    "$desktop" "$metainfo" "$share/mime/packages/mapeditor.xml" "$share/icons/hicolor/scalable/apps/mapeditor.svg" \
    "$share/icons/hicolor/48x48/apps/mapeditor.png" "$share/icons/hicolor/256x256/apps/mapeditor.png"; do
    [ -f "$file" ] || fail "no ${file#"$work/root"} in the package"
done
got=$(env -u DISPLAY "$program" --version) || fail "--version failed"
[ "$(head -1 <<<"$got")" = "mapeditor $version" ] && grep -q '^Copyright (c) .* the Map Editor authors$' <<<"$got" ||
    fail "--version printed '$got'"

echo "--- the validators: lintian, desktop-file-validate, appstreamcli, update-mime-database"
lintian --display-info --fail-on none "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian failed: $(cat "$work/lintian.txt")"
! grep -E '^[EW]: |hardening-' "$work/lintian.txt" || fail "lintian found errors, warnings or missing hardening"
desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1 && ! grep -E 'error|warning' "$work/desktop.txt" ||
    fail "desktop-file-validate: $(cat "$work/desktop.txt")"
# The only warning: the component id is the command's name, not a reverse domain name.
appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1 || true
grep -q 'Validation' "$work/appstream.txt" && ! grep -E '^[EW]: ' "$work/appstream.txt" | grep -v cid-desktopapp-is-not-rdns ||
    fail "appstreamcli validate: $(cat "$work/appstream.txt")"
# The map file type in a MIME database of its own: *.mef files get its name.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/mapeditor.xml" "$work/mime/packages/"
update-mime-database "$work/mime" || fail "update-mime-database refused the map file type"
grep -qx '50:application/x-mapeditor-map:\*\.mef' "$work/mime/globs2" || fail "no *.mef glob: $(cat "$work/mime/globs2")"
grep -qx 'MimeType=application/x-mapeditor-map;' "$desktop" && grep -qx 'Icon=mapeditor' "$desktop" ||
    fail "the desktop entry names another file type or icon"

echo "--- --export of a map in another folder, as the desktop entry opens one"
mkdir "$work/run"
printf '0 10 3 5\n5 5 8 10\n3' >"$work/run/map.mef"
printf 'touch delivered\n' >"$work/run/copy.bat"
cd "$work"
env -u DISPLAY "$program" --in-map-folder --export run/map.mef >run/out.txt 2>run/err.txt ||
    fail "--export failed: $(cat run/err.txt)"
cd "$work/run"
[ "$(tail -1 out.txt)" = "Saved 1 segments, containing 5 points" ] || fail "--export printed: $(cat out.txt)"
[ "$(wc -l <gnd.pts)" -eq 7 ] && [ "$(wc -l <go)" -eq 54 ] && [ -e delivered ] ||
    fail "--export did not write gnd.pts and go and run copy.bat: $(ls)"

echo "--- the manual page is clean"
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings: $warnings"

echo "PASS package_test ($(basename "$deb"): Depends: $depends)"
