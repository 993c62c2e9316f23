#!/usr/bin/env bash
# plok-capture refuses bad input with a message and status 2 before it
# writes anything; a framebuffer the GL implementation cannot make, or a GL
# error while it draws, ends it with a message and status 1; a capture
# stopped by Ctrl+C or SIGTERM ends at a frame boundary with 130 or 143. In
# every case nothing is left behind, under OUTPUT's name or a temporary one.
# GL_ERROR is a library that, preloaded, makes a GL error with each change of
# the viewport.
set -euo pipefail
CAPTURE=$1
OUT=$2
GL_ERROR=$3
source "$(dirname "$0")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/demo.sh"

begin_test "$OUT"
[ -n "${DISPLAY:-}" ] || start_xvfb 640x480

# Runs the capture in a fresh folder with the remaining arguments and checks
# its status, its message (ending in MESSAGE where that is set) and that the
# folder holds nothing new afterwards. PRELOAD is a library preloaded into it.
refused() {
    local want=$1 what=$2 dir status=0 message
    shift 2
    dir=$(mktemp -d "$OUT/case.XXXXXX")
    (cd "$dir" && env ${PRELOAD:+LD_PRELOAD="$PRELOAD"} "$CAPTURE" "$@") 2>"$dir.log" || status=$?
    message=$(grep -m 1 "^plok-capture:" "$dir.log") || true
    expect "$([ "$status" -eq "$want" ] && [[ $message == plok-capture:*${MESSAGE:-} ]] &&
        echo true)" "$what: status $want and a message" "status $status: $message"
    expect "$([ -z "$(ls -A "$dir")" ] && echo true)" "$what: nothing written" \
        "$(ls -A "$dir" | tr '\n' ' ')"
}

refused 2 "an unknown extension" out.avi
refused 2 "a width of 0" --size 0x480 out.mkv
refused 2 "a negative size" --size=-640x480 out.mkv
refused 2 "an absurd size" --size 100000x100000 out.mkv
refused 2 "a size beyond the GL framebuffer limit" --size 20000x16 out.mkv
refused 2 "an odd size for .mp4" --size 641x480 out.mp4
refused 2 "--from after --to" --from 8 --to 7 out.mkv
refused 2 "--from before 0" --from -1 out.mkv
refused 2 "--to beyond 45" --to 46 out.mkv
refused 2 "a folder that does not exist" no/such/folder/out.mkv
refused 2 "frames into a folder that does not exist" --frames no/such/folder

# llvmpipe makes no buffer over 1 GB: the depth and stencil with 4 samples
# take 2.3 GB here, without samples 576 MB.
MESSAGE="with --samples 0 it does" refused 1 "a size the framebuffer with samples is refused at" \
    --size 12000x12000 --from 10 --to 10.03 out.mkv
MESSAGE="GL_INVALID_ENUM by the frame at 10.000 s" PRELOAD=$GL_ERROR \
    refused 1 "a GL error while drawing" --from 10 --to 10.1 out.mkv

# Root may write anywhere but on a read-only file system.
readonly_dir=$OUT/read-only
mkdir -p "$readonly_dir"
status=0
unshare --mount bash -c "mount -t tmpfs -o ro tmpfs '$readonly_dir' &&
    '$CAPTURE' '$readonly_dir/out.mkv'" 2>"$readonly_dir.log" || status=$?
expect "$([ "$status" -eq 2 ] && echo true)" "a folder that cannot be written: status 2" \
    "status $status: $(grep -m 1 "^plok-capture:" "$readonly_dir.log")"

existing=$(mktemp -d "$OUT/case.XXXXXX")
echo "an earlier video" >"$existing/out.mkv"
status=0
(cd "$existing" && "$CAPTURE" out.mkv) 2>"$existing.log" || status=$?
expect "$([ "$status" -eq 2 ] && [ "$(cat "$existing/out.mkv")" = "an earlier video" ] &&
    [ "$(ls -A "$existing")" = out.mkv ] && echo true)" \
    "an existing OUTPUT without --force: status 2, the file untouched" \
    "status $status: $(grep -m 1 "^plok-capture:" "$existing.log")"

# A whole capture, stopped once its temporary file exists.
stopped() {
    local signal=$1 want=$2 dir pid status=0 i
    dir=$(mktemp -d "$OUT/stopped.XXXXXX")
    (cd "$dir" && exec "$CAPTURE" --size 320x240 out.mkv) 2>"$dir.log" &
    pid=$!
    for i in $(seq 600); do
        [ -n "$(ls -A "$dir")" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "-$signal" "$pid" 2>/dev/null || true
    wait "$pid" || status=$?
    expect "$([ "$status" -eq "$want" ] && [ -z "$(ls -A "$dir")" ] && echo true)" \
        "SIG$signal during a capture: status $want, nothing left" \
        "status $status, left: $(ls -A "$dir" | tr '\n' ' ')"
}
stopped INT 130
stopped TERM 143

echo "What each case wrote to standard error: $OUT/*.log"
[ "$FAILURES" -eq 0 ]
