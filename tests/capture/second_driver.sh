#!/usr/bin/env bash
# plok-capture draws a frame of each scene with both of Mesa's software
# drivers: llvmpipe, and zink, OpenGL on Vulkan over lavapipe. Their frames
# agree but for rounding. Where zink does not start, the test fails and says
# why: it never passes without comparing.
set -euo pipefail
CAPTURE=$1
OUT=$2
source "$(dirname "$0")/../../scripts/lib/common.sh"

begin_test "$OUT"
[ -n "${DISPLAY:-}" ] || start_xvfb 640x480

SIZE=640x360
# A frame of each scene: the plasma, one cube, the lit cubes, the textured
# cubes under the credits.
SECONDS_SHOWN=(3 10 18 30)
# Lavapipe is llvmpipe behind Vulkan: the two rasterise and sample alike,
# but each compiles the fixed-function pipeline its own way. Lit and
# textured colours then round 1 or 2 levels of 255 apart over thousands of
# pixels, which 3 % absorbs; and a few pixels on the cubes' edges, where a
# sample falls on the other side, are up to 45 levels apart: at most 3 in a
# frame over 16 frames of the timeline measured at this size. A frame that
# shows something else (a missing texture, an object out of place, black)
# has thousands apart.
FUZZ=3%
MOST_APART=20

declare -A ENVIRONMENT=(
    [llvmpipe]="LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe"
    [zink]="LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=zink"
)

# draw DRIVER SECOND: the frame at SECOND into OUT/DRIVER-SECOND/, and that
# the driver named drew it.
draw() {
    local driver=$1 second=$2 dir=$OUT/$1-$2 status=0 renderer why
    mkdir "$dir"
    # The environment, split into its words.
    env ${ENVIRONMENT[$driver]} "$CAPTURE" --size "$SIZE" --from "$second" --to "$second.03" \
        --frames "$dir" 2>"$dir.log" || status=$?
    renderer=$(sed -n 's/^plok-capture: drawn by //p' "$dir.log")
    if [ "$status" -eq 0 ] && [[ $renderer == "$driver "* ]]; then
        expect true "$driver draws the frame at $second s" "$renderer"
    else
        why=$(grep -v '^frame \|^QStandardPaths' "$dir.log" | tail -n 4 | tr '\n' ' ')
        expect false "$driver draws the frame at $second s" \
            "status $status, drawn by ${renderer:-nothing}: $why"
    fi
}

for second in "${SECONDS_SHOWN[@]}"; do
    draw llvmpipe "$second"
    draw zink "$second"
    frames=("$OUT"/{llvmpipe,zink}-"$second"/frame-00000.png)
    [ -f "${frames[0]}" ] && [ -f "${frames[1]}" ] || continue
    apart=$(compare -metric AE -fuzz "$FUZZ" "${frames[@]}" null: 2>&1 || true)
    apart=$(awk '{ printf "%d", $1 }' <<<"$apart")
    expect "$([ "$apart" -le "$MOST_APART" ] && echo true)" \
        "at $second s the drivers' frames agree within $FUZZ but for $MOST_APART pixels" \
        "$apart pixels apart"
done

echo "The frames and what each capture wrote to standard error: $OUT"
[ "$FAILURES" -eq 0 ]
