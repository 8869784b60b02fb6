#!/usr/bin/env bash
# Hostile starts and readers: closed standard output, a reader that closes the
# pipe, a full disk under standard output, a start-point listing far longer
# than its map, a map crossing itself tens of millions of times, one
# running along itself as often and one whose pieces' boxes all meet, under a
# small memory limit, and one write per message.
source "$(dirname "$0")/lib.sh"

# Little room beside the libraries: a listing held whole fails at once.
SMALL_MEMORY=200000000

# check_in_seconds MAP: --check of MAP under the small memory limit finds
# problems (status 1, nothing on standard error) within 10 seconds; its
# output is left in out.txt.
check_in_seconds() {
    local start rc=0 took
    start=$(date +%s%N)
    env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --check "$1" >out.txt 2>err.txt || rc=$?
    took=$((($(date +%s%N) - start) / 1000000))
    echo "--check of $1: $took ms"
    [ "$rc" = 1 ] && [ ! -s err.txt ] || fail "--check of $1: status $rc, $(cat err.txt)"
    [ "$took" -lt 10000 ] || fail "--check of $1 took $took ms"
}

# shared_starts N: N segments of resolution 0, all starting at (0, 0).
shared_starts() { awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "0 0 1 1 2 1 3 0\n0\n" }'; }

step "started with standard output closed, the window keeps working after Max"
new_workdir closed
printf '#!/bin/sh\nexec "$@" >&-\n' >closed.sh
chmod +x closed.sh
E2E_LAUNCHER=$PWD/closed.sh start_editor
click 770 20
wait_pixel 372 20 $TEAL "the file bar to open after Max"
click 770 20
wait_pixel_not 372 20 $TEAL "the file bar to fold after Min"
editor_running || fail "the editor ended"
stop_editor

step "a listing of 100,000,001 lines streams under a small memory limit, after both files"
new_workdir listing
shared_starts 10000 >shared.mef
lines=$(env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --export --no-batch shared.mef | wc -l)
[ "$lines" = 100000001 ] || fail "listing and count: $lines lines"
[ "$(wc -l <gnd.pts)" = 10003 ] || fail "gnd.pts: $(wc -l <gnd.pts) lines"
[ "$(wc -l <go)" = 54 ] || fail "go: $(wc -l <go) lines"

step "--export | head -1: both files written, copy.bat run, status 1"
new_workdir pipe
shared_starts 30000 >shared.mef
printf 'echo ran >copied.txt\n' >copy.bat
{
    rc=0
    env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --export shared.mef 2>err.txt || rc=$?
    echo $rc >status.txt
} | head -1 >first.txt
[ "$(cat status.txt)" = 1 ] || fail "status $(cat status.txt), $(cat err.txt)"
[ "$(cat first.txt)" = 0 ] || fail "first line: $(cat first.txt)"
[ "$(wc -l <gnd.pts)" = 30003 ] || fail "gnd.pts: $(wc -l <gnd.pts) lines"
[ "$(wc -l <go)" = 54 ] || fail "go: $(wc -l <go) lines"
[ -f copied.txt ] || fail "copy.bat did not run"

step "a star of 12,001 segments meeting itself tens of millions of times: --check and --export in seconds under a small memory limit"
new_workdir star
awk 'BEGIN { n = 12001; for (i = 0; i < n; i++) {
    a = 2 * 3.14159265358979 * i * 6000 / n; b = 2 * 3.14159265358979 * (i + 1) * 6000 / n
    x0 = 5000 + 1000 * cos(a); y0 = 3000 + 1000 * sin(a); x1 = 5000 + 1000 * cos(b); y1 = 3000 + 1000 * sin(b)
    printf "%.10g %.10g %.10g %.10g\n%.10g %.10g %.10g %.10g\n0\n", x0, y0, x0, y0, x1, y1, x1, y1 } }' >star.mef
check_in_seconds star.mef
[ "$(wc -l <out.txt)" = 101 ] || fail "--check of the star printed $(wc -l <out.txt) lines"
[ "$(tail -1 out.txt)" = "star.mef: ... and more than 9900 more" ] || fail "--check of the star ends: $(tail -1 out.txt)"
printf 'echo ran >copied.txt\n' >copy.bat
rc=0
env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --export star.mef >out.txt 2>err.txt || rc=$?
[ "$rc" = 0 ] || fail "--export of the star: status $rc, $(cat err.txt)"
[ "$(cat err.txt)" = "Warning: the ground crosses itself at (6000, -2999.48), segment 2 and the left foot line (more than 10000 crossings in all)" ] ||
    fail "--export of the star warned: $(cat err.txt)"
[ -f copied.txt ] || fail "copy.bat did not run after the star's export"

step "a ground drawn 3,000 times back and forth along one line: --check and --export in seconds under a small memory limit"
new_workdir zigzag
awk 'BEGIN { srand(5); for (i = 0; i < 3000; i++) {
    o = 5 * rand(); a = (i % 2 == 0) ? o : 50 + o; b = (i % 2 == 0) ? 50 + o : o
    printf "%.6g 10 %.6g 10\n%.6g 10 %.6g 10\n5\n", a, a + (b - a) / 3, a + 2 * (b - a) / 3, b } }' >zigzag.mef
check_in_seconds zigzag.mef
[ "$(tail -1 out.txt)" = "zigzag.mef: the search for crossings stopped after 100000 pairs of pieces running along each other; more may follow" ] ||
    fail "--check of the zigzag ends: $(tail -1 out.txt)"
rc=0
env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --export --no-batch zigzag.mef >out.txt 2>err.txt || rc=$?
[ "$rc" = 0 ] || fail "--export of the zigzag: status $rc, $(cat err.txt)"
grep -q "^Warning: the ground runs along itself .* found before the search stopped)$" err.txt ||
    fail "--export of the zigzag warned: $(cat err.txt)"

step "a sheared zigzag of 100,000 segments whose pieces' boxes all meet: --check finds nothing, in seconds under a small memory limit"
new_workdir sheared
awk 'BEGIN { n = 50000; x = 0; y = 0; for (k = 0; k < n; k++) {
    printf "%d %d %d %d %d %d %d %d\n0\n", x, y, x, y, k + n, -100, k + n, -100
    printf "%d %d %d %d %d %d %d %d\n0\n", k + n, -100, k + n, -100, k + 1, 0, k + 1, 0; x = k + 1 } }' >sheared.mef
start=$(date +%s%N)
rc=0
env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --check sheared.mef >out.txt 2>err.txt || rc=$?
took=$((($(date +%s%N) - start) / 1000000))
echo "--check of sheared.mef: $took ms"
[ "$rc" = 0 ] && [ ! -s out.txt ] && [ ! -s err.txt ] || fail "--check of the sheared zigzag: status $rc, $(head -3 out.txt err.txt)"
[ "$took" -lt 20000 ] || fail "--check of the sheared zigzag took $took ms"

step "the same zigzag past 1,000,000, where its whole numbers print alike and it folds back on itself at nearly every piece: --check stops after its first findings, in seconds"
new_workdir printed-alike
awk 'BEGIN { n = 866666; for (k = 800000; k < n; k++) {
    printf "%d 0 %d 0\n%d -100 %d -100\n1\n", k, k, k + n, k + n
    printf "%d -100 %d -100\n%d 0 %d 0\n1\n", k + n, k + n, k + 1, k + 1 } }' >alike.mef
check_in_seconds alike.mef
[ "$(tail -1 out.txt)" = "alike.mef: the search for crossings stopped after 100000 pairs of pieces running along each other; more may follow" ] ||
    fail "--check of the zigzag printed alike ends: $(tail -1 out.txt)"

step "--convert to pictures under a small memory limit: a picture too large is refused in one line, status 1"
new_workdir picture-memory
# A square zigzag of 200,000 straight segments: 4096 x 4096 pixels do not
# fit the limit; 1024 pixels do.
awk 'BEGIN { n = 200000; for (i = 0; i < n; i++) { x = i % 2 ? i + 50000 : i; y = i % 2 ? 150000 : 0
    nx = (i + 1) % 2 ? i + 50001 : i + 1; ny = (i + 1) % 2 ? 150000 : 0
    printf "%d %d %d %d\n%d %d %d %d\n0\n", x, y, x, y, nx, ny, nx, ny } }' >square.mef
rc=0
env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --convert --size 4096 square.mef big.png >out.txt 2>err.txt || rc=$?
[ "$rc" = 1 ] || fail "--convert --size 4096 under the limit: status $rc, $(cat err.txt)"
[ "$(cat err.txt)" = "square.mef: the picture could not be drawn: out of memory" ] || fail "its message: $(cat err.txt)"
[ ! -e big.png ] || fail "big.png written after a refusal"
env -u DISPLAY prlimit --as=$SMALL_MEMORY "$E2E_EDITOR" --convert square.mef small.png 2>err.txt ||
    fail "--convert at 1024 pixels under the limit: $(cat err.txt)"
[ "$(head -c 8 small.png | od -An -c | tr -d ' ')" = '211PNG\r\n032\n' ] || fail "small.png is no PNG"

step "--help to a full disk: status 1"
rc=0
env -u DISPLAY "$E2E_EDITOR" --help >/dev/full 2>err.txt || rc=$?
[ "$rc" = 1 ] || fail "--help >/dev/full: status $rc"

step "each message reaches a pipe in one write"
new_workdir writes
printf '0 10 0.5 18\n10 18 10.5 10\n5' >one.mef
: >empty.mef
strace -f -s 100 -e trace=write -o trace.txt env -u DISPLAY "$E2E_EDITOR" --export --no-batch one.mef 2>&1 | cat >/dev/null
strace -f -s 100 -e trace=write -o trace.txt -A env -u DISPLAY "$E2E_EDITOR" --export --no-batch empty.mef 2>&1 | cat >/dev/null || true
grep -q '^[0-9]* *write(1, "Saved 1 segments, containing 7 points\\n", 38) = 38$' trace.txt ||
    fail "the count message in one write: $(cat trace.txt)"
grep -q '^[0-9]* *write(2, "Nothing to export: the map has no segments\\n", 43) = 43$' trace.txt ||
    fail "the empty map's message in one write: $(cat trace.txt)"
