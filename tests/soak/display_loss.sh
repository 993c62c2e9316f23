#!/usr/bin/env bash
# The display goes away during a run: its X server is ended at a random
# moment of the first 9 s, RUNS times (default 6), with the soundtrack
# playing in every other run and no sound server in the rest. Each time the
# demo must end within a few seconds with status 1 and one line that says
# so, never by a signal: a crash in the exit handlers comes in some runs
# only, so there are several. The line is the demo's own, or Qt's where Qt
# notices first (Qt 5 then calls exit(), Qt 6.11 ends the event loop).
# Arguments: the demo, a folder for the runs' files, the number of runs.
set -euo pipefail
source "$(dirname "$0")/soak.sh" "$1" "$2"
RUNS=${3:-6}

LOST_LINES='^(Plok lost its display and ends\.|The X11 connection broke \(error [0-9]+\)\. Did the X11 server die\?)$'
LOST_STATUS=1
# The end comes at the demo's next GL call or event: at once, unless a
# loaded machine holds the demo back.
END_LIMIT_S=20
EARLIEST_MS=1000
LATEST_MS=9000

music_playing() {
    pactl list sink-inputs 2>/dev/null | grep -q 'Corked: no'
}

pactl info >/dev/null 2>&1 || start_sound_server
SOUND_SERVER=$PULSE_SERVER

for run in $(seq "$RUNS"); do
    if [ $((run % 2)) -eq 1 ]; then
        music="with the music playing"
        export PULSE_SERVER=$SOUND_SERVER
    else
        music="without a sound server"
        export PULSE_SERVER="unix:$OUT/no-sound-server"
    fi
    start_xvfb 640x480
    xserver=${SERVICE_PIDS[-1]}
    at_ms=$((EARLIEST_MS + (RANDOM * 32768 + RANDOM) % (LATEST_MS - EARLIEST_MS)))

    start_demo "$OUT/run$run.log"
    wait_for_timeline || true
    [ "$PULSE_SERVER" != "$SOUND_SERVER" ] || await music_playing || true
    sleep_until "$(format_us $((at_ms * 1000)))"
    kill -TERM "$xserver"
    wait "$xserver" 2>/dev/null || true
    wait_demo "$END_LIMIT_S"

    lines=$(grep -cE "$LOST_LINES" "$DEMO_LOG" || true)
    expect "$([ "$DEMO_STATUS" -eq "$LOST_STATUS" ] && [ "$lines" -eq 1 ] && echo true)" \
        "run $run, $music, display gone at $(format_us $((at_ms * 1000))) s: the demo ends" \
        "status $DEMO_STATUS, $lines lines saying so; last lines: $(tail -n 3 "$DEMO_LOG" |
            tr '\n' '|')"
done
finish
