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

# The file times of a package are those of its commit.
SOURCE_DATE_EPOCH=$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null || echo 1796558400)
export SOURCE_DATE_EPOCH

# make_deb NAME: the package in $work/NAME; sets deb.
make_deb() {
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/$1" >"$work/cpack.log" 2>&1 ||
        fail "cpack failed: $(cat "$work/cpack.log")"
    local debs=("$work/$1"/*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
    deb=${debs[0]}
}

echo "--- cpack -G DEB, twice: the same bytes although the files packed are newer the second time"
make_deb again
first=$deb
touch "$build/mapeditor" "$build"/packaging/linux/*
make_deb out
cmp "$first" "$deb" || fail "two packages of the same commit differ: $(diffoscope "$first" "$deb" 2>&1 | head -20)"

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
desktop="$share/applications/org.example.mapeditor.desktop"
metainfo="$share/metainfo/org.example.mapeditor.metainfo.xml"
doc="$share/doc/mapeditor"
completion="$share/bash-completion/completions/mapeditor"
icons=()
for size in 16 32 48 64 128 256; do
    icons+=("$share/icons/hicolor/${size}x$size/apps/mapeditor.png"
        "$share/icons/hicolor/${size}x$size/mimetypes/application-x-mapeditor-map.png")
    [ "$(identify -format %wx%h "${icons[-1]}" 2>&1)" = "${size}x$size" ] || fail "${icons[-1]} is not $size pixels"
done
for file in "$program" "$manual" "$doc/copyright" "$doc/changelog.gz" "$doc/README.md.gz" "$doc/examples/copy.bat" \
    "$completion" "$desktop" "$metainfo" "$share/mime/packages/mapeditor.xml" "${icons[@]}" \
    "$share/thumbnailers/mapeditor.thumbnailer" \
    "$share/icons/hicolor/scalable/apps/mapeditor.svg" \
    "$share/icons/hicolor/scalable/mimetypes/application-x-mapeditor-map.svg"; do
    [ -f "$file" ] || fail "no ${file#"$work/root"} in the package"
done
zcmp "$doc/README.md.gz" "$(dirname "$0")/../../README.md" || fail "the README in the package is not the README"
got=$(env -u DISPLAY "$program" --version) || fail "--version failed"
[ "$(head -1 <<<"$got")" = "mapeditor $version" ] && grep -q '^Copyright (c) .* the Map Editor authors$' <<<"$got" ||
    fail "--version printed '$got'"

echo "--- the validators: lintian, desktop-file-validate, appstreamcli, update-mime-database"
# Nothing at all, pedantic and informational tags included.
lintian --pedantic --display-info --fail-on none "$deb" 2>&1 | grep -v '^running with root privileges' >"$work/lintian.txt" || true
[ ! -s "$work/lintian.txt" ] || fail "lintian --pedantic: $(cat "$work/lintian.txt")"
# The one hint: two main categories, so that the entry shows in both menus.
desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1 && ! grep -E 'error|warning' "$work/desktop.txt" ||
    fail "desktop-file-validate: $(cat "$work/desktop.txt")"
appstreamcli validate --pedantic --no-net "$metainfo" >"$work/appstream.txt" 2>&1 ||
    fail "appstreamcli validate --pedantic: $(cat "$work/appstream.txt")"
[ "$(grep -vc 'Validation was successful' "$work/appstream.txt")" -eq 0 ] ||
    fail "appstreamcli validate --pedantic: $(cat "$work/appstream.txt")"
grep -q '<developer_name>..*</developer_name>' "$metainfo" &&
    grep -q '<launchable type="desktop-id">org.example.mapeditor.desktop</launchable>' "$metainfo" ||
    fail "the metainfo names no developer or another desktop entry"
# The map file type in a MIME database of its own: *.mef files get its name.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/mapeditor.xml" "$work/mime/packages/"
update-mime-database "$work/mime" || fail "update-mime-database refused the map file type"
grep -qx '50:application/x-mapeditor-map:\*\.mef' "$work/mime/globs2" || fail "no *.mef glob: $(cat "$work/mime/globs2")"
grep -qx 'MimeType=application/x-mapeditor-map;' "$desktop" && grep -qx 'Icon=mapeditor' "$desktop" &&
    grep -qx 'TryExec=mapeditor' "$desktop" || fail "the desktop entry names another file type, icon or program"

echo "--- bash completion: options after -, map files and folders otherwise"
mkdir -p "$work/complete/levels" && cd "$work/complete" && touch a.mef b.txt d.svg d.svgz e.png f.pdf levels/c.mef ./-x.mef
# line | word to complete | completions, sorted
while IFS='|' read -r line word expected; do
    got=$(
        # shellcheck disable=SC1090 # the completion of the package
        source "$completion"
        read -ra COMP_WORDS <<<"$program $line"
        COMP_CWORD=${#COMP_WORDS[@]}
        COMP_WORDS+=("$word")
        _mapeditor
        printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
    )
    [ "$got" = "$expected " ] || fail "completing '$line $word': '$got', expected '$expected'"
done <<'TABLE'
|--ch|--check
--check --|-|-x.mef
--export|-|--check --convert --export --help --import --in-map-folder --no-batch --recover --size --version -V -h
--import|d|d.svg d.svgz
--convert d.svg||-x.mef a.mef d.svg d.svgz levels
--convert a.mef||d.svg e.png f.pdf levels
--convert --size 64 a.mef|f|f.pdf
--convert --size||
|l|levels
--check|lev|levels
--check -- a.mef||-x.mef a.mef levels
TABLE

echo "--- the example copy.bat delivers what --export wrote"
mkdir "$work/example"
cp "$doc/examples/copy.bat" "$work/example/"
printf '0 10 3 5\n5 5 8 10\n3' | (cd "$work/example" && env -u DISPLAY "$program" --export -) >/dev/null ||
    fail "--export - with the example copy.bat failed"
cmp "$work/example/gnd.pts" "$work/example/brel/MyMap/gnd.pts" && cmp "$work/example/go" "$work/example/brel/MyMap/go" ||
    fail "the example copy.bat did not deliver gnd.pts and go: $(cd "$work/example" && find .)"

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

echo "--- the thumbnailer's Exec line, run as a file manager runs it"
thumbnailer="$share/thumbnailers/mapeditor.thumbnailer"
grep -qx 'TryExec=mapeditor' "$thumbnailer" && grep -qx 'MimeType=application/x-mapeditor-map;' "$thumbnailer" ||
    fail "the thumbnailer names another program or file type: $(cat "$thumbnailer")"
mkdir "$work/thumb"
printf '0 10 3 5\n5 5 8 10\n3\n8 10 9 12\n12 12 14 9\n3' >"$work/thumb/a map.mef"
read -ra fields <<<"$(sed -n 's/^Exec=//p' "$thumbnailer")"
command=()
for field in "${fields[@]}"; do
    case $field in
        mapeditor) command+=("$program") ;;
        %i) command+=("$work/thumb/a map.mef") ;;
        %o) command+=("$work/thumb/out.png") ;;
        %s) command+=(128) ;;
        *) command+=("$field") ;;
    esac
done
(cd / && env -u DISPLAY "${command[@]}" </dev/null) || fail "the thumbnailer's line failed: ${command[*]}"
[ "$(identify -format %wx%h "$work/thumb/out.png")" = 128x50 ] ||
    fail "the thumbnail is $(identify -format %wx%h "$work/thumb/out.png"), not 128x50"
[ "$(convert "$work/thumb/out.png" -format %k info:)" -ge 3 ] || fail "the thumbnail is blank"

echo "--- the manual page is clean"
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings: $warnings"

echo "PASS package_test ($(basename "$deb"): Depends: $depends)"
