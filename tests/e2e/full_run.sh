#!/usr/bin/env bash
# The whole demo as it is played: the 45 s timeline runs to its end and the
# program exits with status 0; the log starts with "Loading cubes" and has
# one FPS line a second; screenshots in the middle of each scene show that
# scene; and the soundtrack that reaches the sound server is the embedded
# one, from the start of the run to its end.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"

ensure_sound_server
pactl set-default-sink null
"$CHECKER" marker "$OUT/marker.wav"
# The idle null sink renders ahead at first and what it renders before the
# recorder settles never reaches the file, so the moment of the launch is
# marked in the recording itself: a beep half a second before it.
parecord --device=null.monitor --latency-msec=50 --format=s16le --rate=44100 --channels=1 \
    --file-format=wav "$OUT/sound.wav" &
RECORDER_PID=$!
SERVICE_PIDS+=("$RECORDER_PID")
sleep 2.5
MARKER_US=$(now_us)
paplay "$OUT/marker.wav" &
sleep 0.5

start_demo "$OUT/plok.log"
wait_for_timeline || true
screenshot_at 4.5 "$OUT/scene0-a.png"
screenshot_at 5.0 "$OUT/scene0-b.png"
# Half a second apart: the cube turns about 100 degrees a second at full
# rate, so shots a second apart may both catch it nearly face-on.
screenshot_at 10.5 "$OUT/scene1-a.png"
screenshot_at 11.0 "$OUT/scene1-b.png"
screenshot_at 18.0 "$OUT/scene2.png"
screenshot_at 31.0 "$OUT/scene3-a.png"
screenshot_at 34.0 "$OUT/scene3-b.png"
wait_demo 60
sleep 1
kill -INT "$RECORDER_PID"
wait "$RECORDER_PID" || true

expect_exit 44.5 46.5
check log "$OUT/plok.log.times" 44 45
check scene 0 "$OUT/scene0-a.png" "$OUT/scene0-b.png"
check scene 1 "$OUT/scene1-a.png" "$OUT/scene1-b.png"
check scene 2 "$OUT/scene2.png"
check scene 3 "$OUT/scene3-a.png" "$OUT/scene3-b.png"
check sound "$SOUNDTRACK" "$OUT/sound.wav" "$(format_us $((DEMO_START_US - MARKER_US)))" \
    "$DEMO_SECONDS"
finish
