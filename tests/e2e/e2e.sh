# Shared by the end-to-end test scripts; source it with the test's
# arguments: the demo, the checker (plok_e2echeck), the soundtrack WAV and a
# folder for what the run leaves behind (log, screenshots, recording).
# Runs on $DISPLAY and $PULSE_SERVER as scripts/test provides them, or
# starts its own when there are none.

PLOK=$1
CHECKER=$2
SOUNDTRACK=$3
OUT=$4
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/demo.sh"

FAILURES=0
mkdir -p "$OUT"
rm -f "$OUT"/*
trap stop_services EXIT
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb 1920x1080
    start_window_manager
fi

# Makes sure a sound server answers at $PULSE_SERVER.
ensure_sound_server() {
    pactl info >/dev/null 2>&1 || start_sound_server
}

# Runs the checker; a failed check counts as a failure of the test.
check() {
    "$CHECKER" "$@" || FAILURES=$((FAILURES + 1))
}

# expect_exit MIN_S MAX_S: the demo ended with status 0 within that time.
expect_exit() {
    local ms=$(((DEMO_END_US - DEMO_START_US) / 1000))
    expect "$([ "$DEMO_STATUS" -eq 0 ] && echo true)" "the demo exits with status 0" \
        "status $DEMO_STATUS"
    expect "$([ "$ms" -ge $(($(seconds_to_us "$1") / 1000)) ] &&
        [ "$ms" -le $(($(seconds_to_us "$2") / 1000)) ] && echo true)" \
        "it runs for $1 to $2 s" "$DEMO_SECONDS s"
}

finish() {
    echo "Log, screenshots and recording of this run: $OUT"
    [ "$FAILURES" -eq 0 ]
}
