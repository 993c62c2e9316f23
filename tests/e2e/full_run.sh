#!/usr/bin/env bash
# The whole demo as it is played: the 45 s timeline runs to its end and the
# program exits with status 0; the log starts with "Loading cubes", has one
# FPS line a second and never says that the soundtrack cannot play;
# screenshots in the middle of each scene show that scene; the soundtrack
# that reaches the sound server is the embedded one, from the start of the
# run to its end, starting with the timeline that the pictures show; and
# each cut shows when the music reaches it.
# With "headset" after the usual arguments, the demo plays through a sink
# with a Bluetooth headset's latency and what that sink lets be heard is
# recorded: a cut may then come no earlier before the music heard than half
# the latency that a beep measures in the same run.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"
SINK=${5:-null}
# VLC 3.0 resamples the music through such a sink, whatever plays through
# it (docs/flavours.md): what is heard is not the soundtrack to compare.
if [ "$SINK" = headset ] && [ "$SOUND_BACKEND" = phonon4qt6-backend-vlc ]; then
    echo "Skipped: VLC resamples the music through a sink with a headset's latency"
    rm -rf "${OUT:?}"
    exit 77
fi

RECORDING=$OUT/sound.wav
RECORDING_BYTES_PER_S=88200 # 16-bit mono at 44.1 kHz, after a 44-byte header

# recording_holds BYTES: the recording has grown to that size.
recording_holds() {
    [ "$(stat -c %s "$RECORDING" 2>/dev/null || echo 0)" -ge "$1" ]
}

# Notes the recording's size with the wall-clock time, every 20 ms, into
# FILE: where the sound heard at a moment lies in it.
note_recording() {
    while :; do
        printf '%s %s\n' "$(now_us)" "$(stat -c %s "$RECORDING" 2>/dev/null || echo 0)"
        sleep 0.02
    done >"$1"
}

if [ "$SINK" = headset ]; then
    start_sound_server
    start_headset_sink
else
    ensure_sound_server
    pactl set-default-sink null
    HEARD_SERVER=${PULSE_SERVER:-}
fi
"$CHECKER" marker "$OUT/marker.wav"
# The idle null sink renders ahead at first and what it renders before the
# recorder settles never reaches the file: the file grows from the moment
# the recorder gets its sound. That moment is marked in the recording
# itself, by a beep played before the launch.
parecord ${HEARD_SERVER:+--server="$HEARD_SERVER"} --device=null.monitor --latency-msec=50 --format=s16le --rate=44100 --channels=1 \
    --file-format=wav "$RECORDING" &
RECORDER_PID=$!
SERVICE_PIDS+=("$RECORDER_PID")
wait_until_ready "the recorder" "$RECORDER_PID" /dev/null \
    recording_holds $((44 + RECORDING_BYTES_PER_S / 10)) || true
note_recording "$OUT/recording.times" &
SERVICE_PIDS+=($!)
MARKER_US=$(now_us)
MARKER_BYTES=$(stat -c %s "$RECORDING" 2>/dev/null || echo 0)
paplay "$OUT/marker.wav"

start_demo "$OUT/plok.log"
wait_for_timeline || true
window=$(demo_window) || true
# The later shot of a pair waits for frames, not time: a busy machine paints
# fewer a second. The cube turns 3 degrees a frame; 16 frames keep the shots
# clear of a quarter turn, which may show it nearly face-on twice.
# A shot is grabbed a while after it is begun: none begins in the last second
# before a cut. The later scenes are timed from the first cut, which the
# music sets.
screenshot_pair_at 3.0 "$OUT/scene0-a.ppm" "$OUT/scene0-b.ppm" 4 6.0
follow_first_cut "$CHECKER" "$window" || true
# The later cuts as the window shows them, in the background.
("$CHECKER" await-cut "$window" 2 60 && "$CHECKER" await-cut "$window" 3 60) >"$OUT/cuts" &
SERVICE_PIDS+=($!)
screenshot_pair_at 10.0 "$OUT/scene1-a.ppm" "$OUT/scene1-b.ppm" 16 13.5
screenshot_at 18.0 "$OUT/scene2.ppm"
screenshot_pair_at 31.0 "$OUT/scene3-a.ppm" "$OUT/scene3-b.ppm" 20 44.0
wait_demo 90
# Until the recording holds a second past the end of the run.
wait_until_ready "the recorder" "$RECORDER_PID" /dev/null recording_holds \
    $((MARKER_BYTES + (DEMO_END_US - MARKER_US + 1000000) * RECORDING_BYTES_PER_S / 1000000)) ||
    true
kill -INT "$RECORDER_PID"
wait "$RECORDER_PID" || true

expect_timeline_end "the demo"
check_log sound
check scene 0 "$OUT/scene0-a.ppm" "$OUT/scene0-b.ppm"
check scene 1 "$OUT/scene1-a.ppm" "$OUT/scene1-b.ppm"
check scene 2 "$OUT/scene2.ppm"
check scene 3 "$OUT/scene3-a.ppm" "$OUT/scene3-b.ppm"
check sound "$SOUNDTRACK" "$RECORDING" "$(format_us $((DEMO_START_US - MARKER_US)))" \
    "$(format_us $((DEMO_ZERO_US - DEMO_START_US)))" "$DEMO_SECONDS"
FIRST_CUT_US=$((DEMO_ZERO_US + SCENE_STARTS_MS[1] * 1000))
if [ "$SINK" = headset ]; then
    check cuts-heard "$SOUNDTRACK" "$RECORDING" "$OUT/recording.times" "$MARKER_US" \
        "$FIRST_CUT_US" $(cat "$OUT/cuts")
else
    check cuts "$SOUNDTRACK" "$RECORDING" "$OUT/recording.times" "$FIRST_CUT_US" \
        $(cat "$OUT/cuts")
fi
finish
