#!/usr/bin/env bash
# The Debian package: built with cpack from a build folder, extracted with
# dpkg-deb into a temporary directory, and the extracted program run there.
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

echo "--- the extracted program"
dpkg-deb -x "$deb" "$work/root"
program="$work/root/usr/bin/mapeditor"
manual="$work/root/usr/share/man/man1/mapeditor.1"
[ -x "$program" ] || fail "no usr/bin/mapeditor in the package"
[ -f "$manual" ] || fail "no usr/share/man/man1/mapeditor.1 in the package"
got=$(env -u DISPLAY "$program" --version) || fail "--version failed"
[ "$got" = "mapeditor $version" ] || fail "--version printed '$got', expected 'mapeditor $version'"

mkdir "$work/run"
cd "$work/run"
printf '0 10 3 5\n5 5 8 10\n3' >map.mef
printf 'touch delivered\n' >copy.bat
env -u DISPLAY "$program" --export >out.txt 2>err.txt || fail "--export failed: $(cat err.txt)"
[ "$(tail -1 out.txt)" = "Saved 1 segments, containing 5 points" ] || fail "--export printed: $(cat out.txt)"
[ "$(wc -l <gnd.pts)" -eq 7 ] && [ "$(wc -l <go)" -eq 54 ] && [ -e delivered ] ||
    fail "--export did not write gnd.pts and go and run copy.bat: $(ls)"

echo "--- the manual page is clean"
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings: $warnings"

echo "PASS package_test ($(basename "$deb"): Depends: $depends)"
