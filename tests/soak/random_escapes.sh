#!/usr/bin/env bash
# Escape at random moments: RUNS runs (default 10), spread over the four
# scenes in turn, each pressed at a random time inside its scene. Every run
# must end within 1.5 s of the key with status 0.
# Arguments: the demo, a folder for the runs' files, the number of runs.
set -euo pipefail
source "$(dirname "$0")/soak.sh" "$1" "$2"
RUNS=${3:-10}

# A key is pressed at least MARGIN ms away from a cut, so that its scene is
# certain. Keys for the later scenes are timed from the first cut as the
# window shows it: the music, which the timeline follows, may start late.
SCENE_ENDS_MS=("${SCENE_STARTS_MS[@]:1}" "$TIMELINE_MS")
MARGIN=400
FIRST_KEY_MS=1000

for run in $(seq "$RUNS"); do
    scene=$(((run - 1) % 4))
    from=$((SCENE_STARTS_MS[scene] + MARGIN))
    [ "$from" -lt "$FIRST_KEY_MS" ] && from=$FIRST_KEY_MS
    span=$((SCENE_ENDS_MS[scene] - MARGIN - from))
    at_ms=$((from + (RANDOM * 32768 + RANDOM) % span))

    start_demo "$OUT/run$run.log"
    wait_for_timeline || true
    window=$(demo_window) || true
    if [ "$scene" -gt 0 ]; then
        follow_first_cut "$LOG_CHECKER" "$window" || true
    fi
    sleep_until "$(format_us $((at_ms * 1000)))"
    pressed=$(now_us)
    [ -z "$window" ] || press_escape "$window"
    wait_demo
    expect_key_end "run $run: at $(format_us $((at_ms * 1000))) s, in scene $scene, the demo" "$pressed"
done
finish
