#!/usr/bin/env bash
# The real program under a minute of seeded random use: clicks on the map and
# on every control, drags with every button, keys, saves, loads and exports
# (no copy.bat here, so the exports run nothing). The editor must stay alive,
# keep drawing (its fps counter keeps changing), and not grow its memory
# after the warm-up by more than 10%.
#
# E2E_LOAD_SEED and E2E_LOAD_SECONDS change the seed (default 4242) and the length (default 60).
source "$(dirname "$0")/lib.sh"

SEED=${E2E_LOAD_SEED:-4242}
SECONDS_TOTAL=${E2E_LOAD_SECONDS:-60}
WARMUP=$((SECONDS_TOTAL / 6))
RANDOM=$SEED
echo "load test: seed $SEED, $SECONDS_TOTAL s, warm-up $WARMUP s"

# Resident memory of the editor in kB.
rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$E2E_PID/status"
}

# A fingerprint of the fps counter's pixels (10..50, 550..570).
fps_fingerprint() {
    local row
    shot
    for ((row = 550; row < 570; row++)); do
        od -An -tu1 -v -j $(((row * WIN_W + 10) * 3)) -N $((40 * 3)) "$E2E_SHOT"
    done | md5sum | cut -c1-12
}

# Where a random event lands: the controls, the curve's region, or anywhere.
SPOTS=(770:20 445:20 587:20 707:20 430:340 495:340 770:55 457:55 577:55 697:55 400:590 120:590 700:590
    10:110 110:110 160:80 100:150 200:130)
random_spot() {
    if ((RANDOM % 3 > 0)); then
        echo "${SPOTS[RANDOM % ${#SPOTS[@]}]}"
    else
        echo "$((RANDOM % 800)):$((RANDOM % 600))"
    fi
}

# clamp_x X / clamp_y Y: inside the window.
clamp_x() { echo $(($1 < 0 ? 0 : ($1 > WIN_W - 1 ? WIN_W - 1 : $1))); }
clamp_y() { echo $(($1 < 0 ? 0 : ($1 > WIN_H - 1 ? WIN_H - 1 : $1))); }

random_action() {
    local spot x y
    spot=$(random_spot)
    x=${spot%:*}
    y=${spot#*:}
    case $((RANDOM % 10)) in
    0 | 1 | 2 | 3) click "$x" "$y" $((RANDOM % 3 + 1)) ;;
    4 | 5 | 6)
        # A drag from here through two random steps.
        drag $((RANDOM % 3 + 1)) "$x" "$y" \
            "$(clamp_x $((x + RANDOM % 61 - 30)))" "$(clamp_y $((y + RANDOM % 61 - 30)))" \
            "$(clamp_x $((x + RANDOM % 121 - 60)))" "$(clamp_y $((y + RANDOM % 121 - 60)))"
        ;;
    7) move "$x" "$y" ;;
    *)
        local all=(a d w s a d w s x q 1 space Return Escape Left F1)
        keys "${all[RANDOM % ${#all[@]}]}" "${all[RANDOM % ${#all[@]}]}"
        ;;
    esac
}

step "start the editor (no copy.bat in its directory)"
new_workdir load
start_editor

step "random use for $SECONDS_TOTAL s"
start=$SECONDS
actions=0
baseline=
peak=0
fingerprints=()
declare -A seen_late=()
next_sample=$start
while ((SECONDS - start < SECONDS_TOTAL)); do
    if ((actions % 40 == 39)); then
        # Now and then the file commands on purpose: save (and confirm), load, export.
        open_file_bar
        { click 587 20 && click 430 340 && click 445 20 && click 707 20; } ||
            fail "xdotool failed after $actions actions"
    else
        random_action || fail "xdotool failed after $actions actions"
    fi
    actions=$((actions + 1))
    editor_running || fail "the editor died after $actions actions"
    if ((SECONDS >= next_sample)); then
        next_sample=$((SECONDS + 2))
        print=$(fps_fingerprint)
        fingerprints+=("$print")
        rss=$(rss_kb)
        if ((SECONDS - start >= WARMUP)); then
            [ -n "$baseline" ] || baseline=$rss
            ((rss > peak)) && peak=$rss
            ((SECONDS - start >= SECONDS_TOTAL / 2)) && seen_late[$print]=1
        fi
    fi
done
editor_running || fail "the editor is not running at the end"

step "it kept drawing and kept its memory"
distinct=$(printf '%s\n' "${fingerprints[@]}" | sort -u | wc -l)
echo "load test: $actions actions, fps counter showed $distinct different images in ${#fingerprints[@]} samples" \
    "(${#seen_late[@]} in the second half); VmRSS after warm-up $baseline kB, peak $peak kB"
[ "$distinct" -ge 3 ] || fail "the fps counter changed only $distinct times: the editor stopped drawing"
[ "${#seen_late[@]}" -ge 2 ] || fail "the fps counter stood still in the second half of the run"
[ -n "$baseline" ] || fail "no memory sample after the warm-up"
((peak * 10 <= baseline * 11)) ||
    fail "memory grew from $baseline kB after the warm-up to $peak kB, more than 10%"
# Still answering: the file bar's Max/Min button toggles on a click.
shot
before=$(pixel 372 20)
click 770 20
wait_for 5 "the file bar to toggle after the run" eval '! pixel_is_now 372 20 '"$before"
