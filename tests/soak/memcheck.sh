#!/usr/bin/env bash
# The demo under valgrind's memcheck for the first two scenes, ended by
# Escape in the one-cube scene: no memory error may come from our own code.
# Errors inside the GL driver, the toolkit and the media libraries are
# listed in memcheck.supp; any other error fails the run. No sound server is
# given (the media back end starts and finds no output), which keeps the run
# short; so does a 640 x 480 screen of its own. Valgrind hides AVX-512, so the plasma's plain loop runs here.
# Under valgrind the first paint of each scene blocks the event loop for many
# seconds while llvmpipe compiles its shaders, so the timers fire late: the
# key is pressed once a screenshot of the window shows the one-cube scene.
# Arguments: the demo, plok_projectioncheck, a folder for the run's files.
set -euo pipefail
CHECKER=$2
# A screen of its own, small: under valgrind every pixel costs.
unset DISPLAY
source "$(dirname "$0")/soak.sh" "$1" "$3" 640x480

SUPPRESSIONS=$(dirname "$0")/memcheck.supp
STARTUP_S=300
SCENE_ONE_BY_S=600
ERROR_STATUS=42

export PULSE_SERVER="unix:$OUT/no-sound-server"
PLOK_REAL=$PLOK
PLOK=valgrind start_demo "$OUT/plok.log" --tool=memcheck --error-exitcode=$ERROR_STATUS \
    --suppressions="$SUPPRESSIONS" --gen-suppressions=all --num-callers=40 \
    --smc-check=all-non-file --leak-check=no --log-file="$OUT/memcheck.log" "$PLOK_REAL"

wait_for_timeline "$STARTUP_S" || true
window=$(demo_window "$STARTUP_S") || true
reached=false
for _ in $(seq $((SCENE_ONE_BY_S / 2))); do
    [ -n "$window" ] && kill -0 "$DEMO_PID" 2>/dev/null || break
    import -window "$window" "$OUT/window.png" 2>/dev/null || true
    if "$CHECKER" 1 "$OUT/window.png" >"$OUT/scene-check.txt" 2>&1; then
        reached=true
        break
    fi
    sleep 2
done
[ -z "$window" ] || press_escape "$window"
wait_demo

# The demo's own summary, not those of processes it forks.
pid=$(sed -n 's/^==\([0-9]*\)== Command: .*/\1/p' "$OUT/memcheck.log" | head -n 1)
summary=$(grep "^==$pid== ERROR SUMMARY" "$OUT/memcheck.log" | tail -n 1)
errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' <<<"$summary")
suppressed=$(sed -n 's/.*(suppressed: \([0-9]*\) from.*/\1/p' <<<"$summary")
expect "$([ -n "$window" ] && echo true)" "the demo shows its window under valgrind" "id ${window:-none}"
expect "$reached" "it reaches the one-cube scene before the key" \
    "$(grep -c '^ok' "$OUT/scene-check.txt" 2>/dev/null || echo 0) of 3 scene checks"
expect "$([ "$DEMO_STATUS" -eq 0 ] && [ "${errors:-1}" -eq 0 ] && echo true)" \
    "memcheck finds no error outside the driver and the toolkit" \
    "status $DEMO_STATUS, ${errors:-no} errors, ${suppressed:-?} suppressed (details: $OUT/memcheck.log)"
# Under valgrind a frame takes seconds, and so the FPS lines come as late.
expect "$(holds grep -q '^Loading cubes $' "$OUT/plok.log")" "the demo logs \"Loading cubes\"" \
    "$(grep -c '^"FPS: [0-9]*" $' "$OUT/plok.log" || true) FPS lines"
finish
