#!/usr/bin/env bash
# plok-capture end to end around the first scene change, at a small size:
# what the files say of themselves, the frames on each side of the cut, two
# captures alike frame for frame, and the soundtrack in place in both
# formats.
set -euo pipefail
CAPTURE=$1
CHECKER=$2
SOUNDTRACK=$3
OUT=$4
source "$(dirname "$0")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/demo.sh"

begin_test "$OUT"
[ -n "${DISPLAY:-}" ] || start_xvfb 640x480

# 6.5 s to 7.5 s at 100/3 frames a second: 34 frames of 30 ms, 1.02 s; frame
# 16 shows 6.98 s, the last of the plasma, frame 17 shows 7.01 s. The .mp4
# runs on to 13 s, long enough for its sound to be placed by correlation.
FROM=6.5
LAST_PLASMA=16
FIRST_CUBE=17
FIRST_SAMPLE=286650 # 6.5 s at 44100 Hz
SAMPLES=44982       # 1.02 s

capture() {
    local video=$1 status=0
    shift
    "$CAPTURE" --size 320x240 --from "$FROM" "$@" "$OUT/$video" 2>>"$OUT/capture.log" || status=$?
    expect "$([ "$status" -eq 0 ] && echo true)" "capturing $video ends with status 0" \
        "status $status"
}

# Prints KEY=VALUE lines: the video's frame count and rates, the duration.
probe() {
    ffprobe -v error -select_streams v:0 -count_frames \
        -show_entries stream=nb_read_frames,r_frame_rate,avg_frame_rate \
        -show_entries format=duration -of default=noprint_wrappers=1 "$1"
}

# The mean brightness of video frame N, 0 to 1.
frame_brightness() {
    ffmpeg -v error -i "$1" -vf "select=eq(n\,$2)" -fps_mode passthrough -frames:v 1 -y "$OUT/frame-$2.png"
    convert "$OUT/frame-$2.png" -colorspace Gray -format '%[fx:mean]' info:
}

capture first.mkv --to 7.5
capture second.mkv --to 7.5
capture web.mp4 --to 13

# VIDEO FRAMES SECONDS: what the file says of itself.
expect_written() {
    local written wanted
    written=$(probe "$OUT/$1" | sort | tr '\n' ' ')
    wanted="avg_frame_rate=100/3 duration=$3 nb_read_frames=$2 r_frame_rate=100/3 "
    expect "$([ "$written" = "$wanted" ] && echo true)" "$1 holds $2 frames at 100/3 a second, $3 s" \
        "$written"
}
expect_written first.mkv 34 1.020000
expect_written web.mp4 217 6.510000

plasma=$(frame_brightness "$OUT/first.mkv" "$LAST_PLASMA")
cube=$(frame_brightness "$OUT/first.mkv" "$FIRST_CUBE")
expect "$(awk -v p="$plasma" -v c="$cube" 'BEGIN { if (p > 0.3 && c < 0.15) print "true" }')" \
    "frame $LAST_PLASMA shows the plasma, frame $FIRST_CUBE the cube on black" \
    "mean brightness $plasma and $cube"

frames_of() { ffmpeg -v error -i "$1" -map 0:v -f framemd5 - | grep -v '^#'; }
expect "$(cmp -s <(frames_of "$OUT/first.mkv") <(frames_of "$OUT/second.mkv") && echo true)" \
    "two captures decode to the same frames" "$(frames_of "$OUT/first.mkv" | wc -l) frames compared"

# FLAC is lossless: the sound decodes to the soundtrack's own samples.
ffmpeg -v error -i "$OUT/first.mkv" -map 0:a -f s16le - >"$OUT/first.pcm"
dd if="$SOUNDTRACK" of="$OUT/soundtrack.pcm" iflag=skip_bytes,count_bytes bs=64K status=none \
    skip=$((44 + 2 * FIRST_SAMPLE)) count=$((2 * SAMPLES))
expect "$(cmp -s "$OUT/first.pcm" "$OUT/soundtrack.pcm" && echo true)" \
    "the .mkv's sound is the soundtrack from 6.5 s, sample for sample" \
    "$(($(stat -c %s "$OUT/first.pcm") / 2)) samples decoded, $SAMPLES expected"

# AAC is lossy and starts late by its encoder's delay, which the .mp4's edit
# list must take out.
ffmpeg -v error -i "$OUT/web.mp4" -map 0:a -c:a pcm_s16le "$OUT/web.wav"
"$CHECKER" place "$SOUNDTRACK" "$OUT/web.wav" "$FROM" || FAILURES=$((FAILURES + 1))

# A capture smooths the plasma's scene too: with 4 samples and with none,
# its caption's glow comes out a level apart here and there (103 pixels at
# this size), where a window's frames would not differ at all.
for samples in 4 0; do
    mkdir "$OUT/samples-$samples"
    "$CAPTURE" --size 1920x1080 --samples "$samples" --from 3 --to 3.03 \
        --frames "$OUT/samples-$samples" 2>>"$OUT/capture.log" || FAILURES=$((FAILURES + 1))
done
apart=$(compare -metric AE "$OUT"/samples-{4,0}/frame-00000.png null: 2>&1 || true)
expect "$(awk -v n="$apart" 'BEGIN { if (n > 0) print "true" }')" \
    "the plasma's scene at 3 s differs with 4 samples and with none" "$apart pixels apart"

echo "Captures and what was taken from them: $OUT"
[ "$FAILURES" -eq 0 ]
