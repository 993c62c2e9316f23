# Shared by the robustness scripts in this folder; source it with the demo
# and a folder for what the runs leave behind as the first two arguments.
# Runs on $DISPLAY as scripts/test provides it, or starts Xvfb with openbox
# (a 1920 x 1080 screen, or SOAK_SCREEN).

PLOK=$1
OUT=$2
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/demo.sh"

FAILURES=0
mkdir -p "$OUT"
rm -rf "${OUT:?}"/*
trap stop_services EXIT
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb "${SOAK_SCREEN:-1920x1080}"
    start_window_manager
fi
# Without a runtime folder the toolkit writes a warning of its own first.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$OUT/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
fi

# Random choices are repeatable: SOAK_SEED=N replays a run.
SEED=${SOAK_SEED:-$((RANDOM * 32768 + RANDOM))}
RANDOM=$SEED
echo "seed $SEED (SOAK_SEED=$SEED repeats this run)"

# true if the command succeeds, else false.
holds() {
    "$@" >/dev/null 2>&1 && echo true || echo false
}

# expect_run WHAT MIN_S MAX_S: the demo ended with status 0 within that time
# of its start.
expect_run() {
    local ms=$(((DEMO_END_US - DEMO_START_US) / 1000))
    expect "$([ "$DEMO_STATUS" -eq 0 ] && [ "$ms" -ge "$(($(seconds_to_us "$2") / 1000))" ] &&
        [ "$ms" -le "$(($(seconds_to_us "$3") / 1000))" ] && echo true)" \
        "$1 exits with status 0 after $2 to $3 s" "status $DEMO_STATUS after $DEMO_SECONDS s"
}

# expect_log WHAT MIN_FPS MAX_FPS: the log has "Loading cubes" before the
# first FPS line and between MIN_FPS and MAX_FPS FPS lines, each well formed.
expect_log() {
    local loading fps malformed
    loading=$(grep -c '^Loading cubes $' "$DEMO_LOG") || true
    fps=$(grep -c '^"FPS: [0-9]*" $' "$DEMO_LOG") || true
    malformed=$(grep -c '^"FPS' "$DEMO_LOG" | awk -v good="$fps" '{ print $1 - good }')
    expect "$([ "$loading" -eq 1 ] && [ "$fps" -ge "$2" ] && [ "$fps" -le "$3" ] &&
        [ "$malformed" -eq 0 ] &&
        [ "$(grep -m 1 -n -e '^Loading cubes $' -e '^"FPS' "$DEMO_LOG" | cut -d: -f2)" = "Loading cubes " ] &&
        echo true)" "$1 logs \"Loading cubes\" then $2 to $3 FPS lines" \
        "\"Loading cubes\" $loading time(s), $fps FPS lines, $malformed malformed"
}

finish() {
    echo "What the runs left behind: $OUT"
    [ "$FAILURES" -eq 0 ]
}
