#!/usr/bin/env bash
# The command line: the window on a named map file, the export without a
# window (DISPLAY unset) against the window's own export, its exit statuses,
# and the usage errors.
source "$(dirname "$0")/lib.sh"

# Three segments, the second and third starting at the same point, with
# resolutions 0, 7 and 2, written as the editor writes a map.
CANYON=$'0 10 2 4\n6 4 8 10\n0\n8 10 9 14\n12 16 15 12\n7\n8 10 8.5 9\n9.25 8 10.5 6.125\n2'
RECORDER=$'{ wc -l <gnd.pts; wc -l <go; } >copied.txt\n'

# headless ARG...: runs the export with no display in the current directory;
# sets RC, OUT and ERR.
headless() {
    RC=0
    env -u DISPLAY "$E2E_EDITOR" "$@" >out.txt 2>err.txt </dev/null || RC=$?
    OUT=$(cat out.txt)
    ERR=$(cat err.txt)
}

# headless_input FILE ARG...: headless with FILE on standard input ("none": /dev/null),
# in 1 GiB of address space, so that input without end cannot take the machine's memory.
headless_input() {
    local input=$1
    shift
    [ "$input" != none ] || input=/dev/null
    RC=0
    env -u DISPLAY prlimit --as=1073741824 "$E2E_EDITOR" "$@" >out.txt 2>err.txt <"$input" || RC=$?
    OUT=$(cat out.txt)
    ERR=$(cat err.txt)
}

step "mapeditor MAP loads MAP at start and names it in the title"
new_workdir window
mkdir levels
printf '%s' "$CANYON" >levels/canyon.mef
printf 'the default map file, untouched' >map.mef
printf '%s' "$RECORDER" >copy.bat
E2E_TITLE='^Map Editor - canyon\.mef$' start_editor levels/canyon.mef
shot
# (0, 10) at view offset (1, 1) is drawn at (1, 101); the marker is gone.
expect_pixel 0 102 $MAGENTA "loaded start point at (1, 101)"
expect_pixel 13 20 $BLACK "no marker after the load"

step "Export Map in that window"
export_map
wait_for 5 "copy.bat after the window's export" test -f copied.txt
wait_for_log_match '^Saved 3 segments'
mkdir ../window-export
cp gnd.pts go ../window-export/
sed -n "$((E2E_LINES_BEFORE_EXPORT + 1)),\$p" "$E2E_LOG" >../window-export/output.txt

step "Save QUIV File + Yes writes MAP and leaves map.mef alone"
rm levels/canyon.mef
click 587 20
wait_pixel 402 340 $TEAL "the confirmation panel"
click 430 340
wait_for 5 "levels/canyon.mef to be written" test -f levels/canyon.mef
expect_file_content levels/canyon.mef "$CANYON" "the map saved to MAP"
expect_file_content map.mef 'the default map file, untouched' "map.mef after saving MAP"
stop_editor

step "--export writes the same files as the window, without a display"
new_workdir headless
printf '%s' "$CANYON" >canyon.mef
printf '%s' "$RECORDER" >copy.bat
headless --export canyon.mef
[ "$RC" -eq 0 ] || fail "--export exited $RC: $ERR"
cmp gnd.pts ../window-export/gnd.pts || fail "gnd.pts differs from the window's"
cmp go ../window-export/go || fail "go differs from the window's"
# The window prints its warnings about the outline after its messages; --export on standard error.
[ "$OUT" = "$(grep -v '^Warning: ' ../window-export/output.txt)" ] || fail "output differs from the window's: $OUT"
[ "$ERR" = "$(grep '^Warning: ' ../window-export/output.txt)" ] && [ -n "$ERR" ] ||
    fail "warnings differ from the window's: $ERR"
[ "$(cat copied.txt)" = "$(printf '%s\n%s' "$(wc -l <gnd.pts)" 54)" ] || fail "copy.bat saw: $(cat copied.txt)"

step "every exit status of --export, with what was written"
# name | files to set up | arguments | status | standard error (regular expression) | gnd.pts | go | copy.bat ran
# gnd.pts: "old" = the file from before is untouched, "new" = written by the export.
while IFS='|' read -r name setup args status error ground script ran; do
    step "--export: $name"
    new_workdir "status-$name"
    printf 'old' >gnd.pts
    eval "$setup"
    # shellcheck disable=SC2086 # the arguments of the table are split on purpose
    headless $args
    ERR=$(grep -v '^Warning: ' <<<"$ERR" || true)
    [ "$RC" -eq "$status" ] || fail "exit status $RC, expected $status (stderr: $ERR)"
    [[ "$ERR" =~ $error ]] || fail "standard error '$ERR' does not match '$error'"
    if [ "$ground" = old ]; then
        [ "$(cat gnd.pts)" = old ] || fail "gnd.pts was replaced"
    else
        [ "$(head -c 4 gnd.pts)" = "-0.5" ] || fail "gnd.pts was not written"
    fi
    case $script in
    yes) [ -f go ] || fail "go was not written" ;;
    no) [ ! -e go ] || fail "go was written" ;;
    esac
    case $ran in
    yes) [ -e ran ] || fail "copy.bat did not run" ;;
    no) [ ! -e ran ] || fail "copy.bat ran" ;;
    esac
done <<'TABLE'
success, map.mef by default|printf '%s' "$CANYON" >map.mef; echo 'touch ran' >copy.bat|--export|0|^$|new|yes|yes
no batch|printf '%s' "$CANYON" >m.mef; echo 'touch ran' >copy.bat|--export --no-batch m.mef|0|^$|new|yes|no
missing map|echo 'touch ran' >copy.bat|--export none.mef|1|^File input error: none\.mef: No such file or directory$|old|no|no
not a map|printf '1 2 x' >m.mef; echo 'touch ran' >copy.bat|--export m.mef|1|^File input error: m\.mef: .*"x" is not a number$|old|no|no
no segments|: >m.mef; echo 'touch ran' >copy.bat|--export m.mef|1|^Nothing to export: the map has no segments$|old|no|no
go not writable|printf '%s' "$CANYON" >m.mef; mkdir go; echo 'touch ran' >copy.bat|--export m.mef|1|^File output error: go: not a regular file$|new|-|no
copy.bat missing|printf '%s' "$CANYON" >m.mef|--export m.mef|1|^copy\.bat not found|new|yes|-
copy.bat a folder|printf '%s' "$CANYON" >m.mef; mkdir copy.bat|--export m.mef|1|^copy\.bat: not a regular file$|new|yes|-
copy.bat fails|printf '%s' "$CANYON" >m.mef; printf 'touch ran\nexit 3\n' >copy.bat|--export m.mef|1|^copy\.bat exited with status 3$|new|yes|yes
TABLE

step "--convert: a map to a drawing and back, byte for byte, without a display"
new_workdir convert
printf '%s' "$CANYON" >canyon.mef
headless --convert canyon.mef canyon.svg
[ "$RC" -eq 0 ] && [ -z "$OUT$ERR" ] && grep -q '<path id="ground"' canyon.svg || fail "to SVG: $RC $OUT $ERR"
headless --convert canyon.svg back.mef
[ "$RC" -eq 0 ] && cmp -s canyon.mef back.mef || fail "back from SVG: $RC $ERR"
headless --convert canyon.svg#nothing other.mef
[ "$RC" -eq 1 ] && [ "$ERR" = 'File input error: canyon.svg#nothing: no <path> with the id "nothing"' ] &&
    [ ! -e other.mef ] || fail "a missing path: $RC $ERR"
headless --convert canyon.mef other.txt
[ "$RC" -eq 2 ] && [ ! -e other.txt ] || fail "no conversion by these endings: $RC $ERR"
: >empty.mef
headless --convert empty.mef other.svg
[ "$RC" -eq 1 ] && [ "$ERR" = 'empty.mef: the map has no segments' ] && [ ! -e other.svg ] || fail "empty map: $RC $ERR"

step "--convert: a \"-0\" junction and a gap through a drawing edited by a script, every segment back"
new_workdir convert-edited
# same_numbers A B: the two files hold as many words, equal as numbers (-0 is 0).
same_numbers() {
    paste <(tr -s ' ' '\n' <"$1") <(tr -s ' ' '\n' <"$2") |
        awk -F '\t' '$1 == "" || $2 == "" || $1 + 0 != $2 + 0 { bad = 1 } END { exit bad }'
}
CHANGED='Warning: MAP.svg: the path was changed since it was written; every segment gets resolution 5'
# map | the handle that sed moves in the drawing, and where to | the map expected back | --check's status
while IFS='|' read -r name map edit expected check; do
    step "--convert $name: to a drawing, edited by sed ($edit), and back"
    printf '%b' "$map" >"$name.mef"
    headless --convert "$name.mef" "$name.svg"
    [ "$RC" -eq 0 ] || fail "to SVG: $RC $ERR"
    sed -i "s/$edit/" "$name.svg"
    headless --convert "$name.svg" back.mef
    want=${CHANGED//MAP/$name}
    [ "$check" -eq 0 ] || want+=$'\n'"Warning: $name.svg: the chain has 1 gap, where a subpath of the path does not start where the one before ends"
    [ "$RC" -eq 0 ] && [ "$ERR" = "$want" ] || fail "back from SVG: $RC $ERR"
    printf '%b' "$expected" >expected.mef
    same_numbers back.mef expected.mef || fail "not every segment came back: $(cat back.mef)"
    headless --check back.mef
    [ "$RC" -eq "$check" ] || fail "--check of the map back: $RC $ERR"
done <<'TABLE'
junction|0 0 2 -4\n6 -4 11 -0\n3\n11 0 14 4\n18 4 22 0\n4\n22 0 25 -3\n28 -3 30 -0\n7|C 140 40 /C 140 45 |0 0 2 -4\n6 -4 11 0\n5\n11 0 14 4.5\n18 4 22 0\n5\n22 0 25 -3\n28 -3 30 0\n5|0
gap|0 0 2 -4\n6 -4 10 0\n3\n12 0 14 4\n18 4 22 0\n4|C 140 40 /C 140 45 |0 0 2 -4\n6 -4 10 0\n5\n12 0 14 4.5\n18 4 22 0\n5|1
TABLE

step "--convert: drawings as Inkscape 1.2 saves them"
# Made once with Inkscape 1.2.2 ("inkscape --actions=A --export-type=svg
# --export-filename=OUT IN"): raised.svg from the editor's drawing of CANYON
# with the ground raised above the outline (A: select-by-id:ground;selection-top);
# layers.svg from a three-layer document in millimetres with the layer
# "sketch" hidden (A: select-by-id:sketch;selection-hide).
# IN | status | standard error | the map's first line
while IFS='|' read -r in status error first; do
    step "--convert $in"
    new_workdir "inkscape-${in//[#.]/-}"
    cp "$E2E_HERE"/drawings/*.svg .
    headless --convert "$in" out.mef
    [ "$RC" -eq "$status" ] && [ "$ERR" = "$error" ] && [ -z "$OUT" ] || fail "status $RC, standard error: $ERR"
    if [ -n "$first" ]; then
        [ "$(head -n 1 out.mef)" = "$first" ] || fail "the map begins with $(head -n 1 out.mef)"
    else
        [ ! -e out.mef ] || fail "a refused drawing wrote out.mef"
    fi
done <<'TABLE'
raised.svg|0|Warning: raised.svg: the chain has 1 gap, where a subpath of the path does not start where the one before ends|0 10 2 4
layers.svg|0|Warning: layers.svg: the drawing has 2 visible paths; the first ("hills") was taken, 1 was left out|3.77953 18.8976 15.1181 7.55906
layers.svg#layer1|0|Warning: layers.svg#layer1: the id "layer1" names a <g> with 2 visible paths; the first ("hills") was taken, 1 was left out|3.77953 18.8976 15.1181 7.55906
layers.svg#flag|0||56.6929 18.8976 56.6929 16.378
layers.svg#draft|1|File input error: layers.svg#draft: the element with the id "draft" is hidden|
layers.svg#block|1|File input error: layers.svg#block: the id "block" names a <rect>, not a path: convert it to a path first (in Inkscape: Path, Object to Path)|
layers.svg#blocks|1|File input error: layers.svg#blocks: the id "blocks" names a <g> with no <path> element; the <rect> is not a path: convert it to a path first (in Inkscape: Path, Object to Path)|
TABLE
# The ground raised above the outline is still the ground: the round trip is exact.
printf '%s' "$CANYON" >canyon.mef
headless --convert raised.svg back.mef
[ "$RC" -eq 0 ] && cmp -s canyon.mef back.mef || fail "raised.svg is not CANYON again: $RC $ERR"

step "short options, abbreviations, --, usage errors, several maps, - as standard input"
new_workdir usage
printf '%s' "$CANYON" >canyon.mef
printf '0 10 0.5 18\n10 18 10.5 10\n5' >sound.mef
cp sound.mef ./-h
printf '1 2 x' >notmap.txt
echo 'touch ran' >copy.bat
USAGE='usage: mapeditor [--export [--no-batch] | --recover | --import DRAWING] [--in-map-folder] [--] [MAP]'
# arguments | standard input | status | the first line of standard output, or else of standard error |
# its lines that are not empty (- for any number)
while IFS='|' read -r args input status first lines; do
    # shellcheck disable=SC2086 # the arguments of the table are split on purpose
    headless_input "$input" $args
    shown=$OUT
    [ "$first" != USAGE ] || first=$USAGE
    [ -n "$shown" ] || shown=$ERR
    [ "$RC" -eq "$status" ] && [ "$(head -1 <<<"$shown")" = "$first" ] && { [ "$lines" = - ] || [ "$(grep -c . <<<"$shown")" -eq "$lines" ]; } ||
        fail "mapeditor $args: status $RC, printed: $shown"
    if [ "$status" -eq 2 ]; then
        [ "$(sed -n 2p <<<"$ERR")" = "$USAGE" ] && [ "$(tail -1 <<<"$ERR")" = "Try 'mapeditor --help' for more information." ] ||
            fail "mapeditor $args: the usage error ends: $ERR"
    fi
done <<'TABLE'
-h|none|0|USAGE|-
-V --bogus|none|0|mapeditor 1.0.0|3
a.mef --bogus|none|2|mapeditor: unknown option '--bogus'|6
a.mef b.mef|none|2|mapeditor: more than one map file: 'b.mef'|6
--c a.mef|none|2|mapeditor: option '--c' is ambiguous: --check --convert|6
--check -- -h|none|0||0
--check sound.mef canyon.mef sound.mef|none|1|canyon.mef: segment 2: crosses the right foot line at (10.5098, -13.8497)|3
--check sound.mef none.mef|none|1|File input error: none.mef: No such file or directory|1
--ch - sound.mef|canyon.mef|1|-: segment 2: crosses the right foot line at (10.5098, -13.8497)|3
--check -|/dev/null|1|-: the map has no segments|1
--check -|notmap.txt|1|File input error: -: record 1, line 1: "x" is not a number|1
--check -|/dev/zero|1|File input error: -: larger than 256 MiB|1
--exp --no -|canyon.mef|0|0|6
TABLE
[ ! -e ran ] || fail "copy.bat ran"
[ "$(head -c 4 gnd.pts)" = "-0.5" ] || fail "--export - did not write gnd.pts"

step "--check reports the outline's problems and writes nothing"
new_workdir check
printf '%s' "$CANYON" >canyon.mef
printf '0 10 0.5 18\n10 18 10.5 10\n5' >sound.mef
headless --check sound.mef
[ "$RC" -eq 0 ] && [ -z "$OUT$ERR" ] || fail "--check of a sound map: $RC '$OUT' '$ERR'"
headless --check canyon.mef
[ "$RC" -eq 1 ] && [ -z "$ERR" ] || fail "--check of canyon.mef: $RC '$ERR'"
[ "$OUT" = "canyon.mef: segment 2: crosses the right foot line at (10.5098, -13.8497)
canyon.mef: segment 3: crosses the right foot line at (10.5048, -9.87255)
canyon.mef: segments 2 and 3: not joined: segment 2 ends at (15, -12), segment 3 starts at (8, -10)" ] ||
    fail "--check printed: $OUT"
headless --check none.mef
[ "$RC" -eq 1 ] && [ "$ERR" = "File input error: none.mef: No such file or directory" ] || fail "--check of a missing map: $RC '$ERR'"
headless --check --no-batch canyon.mef
[ "$RC" -eq 2 ] || fail "--check --no-batch exited $RC"
[ "$(ls | tr '\n' ' ')" = "canyon.mef err.txt out.txt sound.mef " ] || fail "--check wrote files: $(ls)"

step "mapeditor MAP with a bad MAP exits 1 before opening any window"
new_workdir bad-map
printf '0 10 3 5\n5 5 oops 10\n3' >bad.mef
# Without a display GLUT would add its own complaint: the one line shows it was never started.
headless bad.mef
[ "$RC" -eq 1 ] || fail "exit status $RC, expected 1"
[ "$ERR" = 'File input error: bad.mef: record 1, line 2: "oops" is not a number' ] || fail "printed: $ERR"
[ "$(cat bad.mef)" = $'0 10 3 5\n5 5 oops 10\n3' ] || fail "bad.mef changed"

echo "PASS command_line_test"
